// The ring that carries other threads' output to the MIDI thread: records of
// any length come out whole and in order, also where they straddle the ring's
// end, while a writer thread pushes against the reader.
#include "midi/output_ring.h"

#include <gtest/gtest.h>

#include <random>
#include <thread>
#include <vector>

namespace ostrel {
namespace {

// The bytes of record number n: its length and a pattern that shows any byte
// that was lost, doubled or taken from another record.
std::vector<uint8_t> Record(uint32_t n) {
    std::vector<uint8_t> bytes(1 + (n * 2654435761u) % 300);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(n * 31 + i);
    return bytes;
}

TEST(OutputRing, RecordsOfAnyLengthComeOutWholeAcrossTheWrapWithAWriterThread) {
    constexpr uint32_t kRecords = 20000;
    OutputRing ring(1000);  // a few records at a time: every few records wrap
    std::thread writer([&] {
        for (uint32_t n = 0; n < kRecords; ++n) {
            const std::vector<uint8_t> bytes = Record(n);
            while (!ring.Push(OutputRing::Kind::Message, bytes.data(), bytes.size()))
                std::this_thread::yield();
        }
    });
    std::mt19937 random(7);
    uint32_t read = 0;
    while (read < kRecords) {
        OutputRing::Kind kind;
        const uint8_t* bytes = nullptr;
        size_t length = 0;
        if (!ring.Front(kind, bytes, length)) {
            std::this_thread::yield();
            continue;
        }
        const std::vector<uint8_t> expected = Record(read);
        ASSERT_EQ(kind, OutputRing::Kind::Message);
        ASSERT_EQ(std::vector<uint8_t>(bytes, bytes + length), expected) << "record " << read;
        // A record left for the next cycle is the same record when asked again.
        if (random() % 4 == 0) continue;
        ring.PopFront();
        ++read;
    }
    writer.join();
    EXPECT_TRUE(ring.Empty());
}

}  // namespace
}  // namespace ostrel
