// Other threads' output on its way to the MIDI thread: a writer thread sends
// records of random lengths while the MIDI thread runs cycles, some too full to
// take all that waits. Every record reaches the output whole and in order,
// also where it meets the ring's end.
#include "midi/output_ring.h"

#include <gtest/gtest.h>

#include <atomic>
#include <random>
#include <thread>
#include <vector>

#include "midi/pass_through.h"
#include "support/fake_midi_system.h"

namespace ostrel {
namespace {

// A System Exclusive message of 5 to 304 bytes, numbered, with a pattern that
// shows any byte that was lost, doubled or taken from another record.
std::vector<uint8_t> Record(uint32_t n, std::mt19937& random) {
    std::vector<uint8_t> bytes(5 + random() % 300);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>((n * 31 + i) & 0x7F);
    bytes[0] = 0xF0;
    bytes[1] = n & 0x7F;
    bytes[2] = (n >> 7) & 0x7F;
    bytes[3] = (n >> 14) & 0x7F;
    bytes.back() = 0xF7;
    return bytes;
}

TEST(OutputRing, AWritersRecordsReachTheOutputWholeAndInOrderAcrossTheWrap) {
    constexpr uint32_t kRecords = 100000;
    AssignmentTable table;
    CurrentCurves curves;
    FakeMidiSystem midi;
    // A ring of about a dozen records: every dozen records wrap.
    PassThrough passThrough(table, curves, midi, 64, 4000);
    ASSERT_TRUE(midi.Open("Ostrel", passThrough.Processor(), nullptr));
    std::atomic<bool> writing{true};
    std::thread midiThread([&] {
        for (size_t n = 0; writing.load(); ++n) {
            midi.SetCycleRoom(n % 3 == 0 ? 400 : 2000);
            midi.RunCycle({});
        }
    });
    std::mt19937 random(7);
    for (uint32_t n = 0; n < kRecords; ++n) {
        const std::vector<uint8_t> bytes = Record(n, random);
        PassThrough::Sending sending;
        while ((sending = passThrough.SendMessage(bytes.data(), bytes.size())) ==
               PassThrough::Sending::NoRoom)
            std::this_thread::yield();
        ASSERT_EQ(sending, PassThrough::Sending::Queued);
    }
    EXPECT_TRUE(passThrough.Flush());
    writing = false;
    midiThread.join();

    const std::vector<FakeMidiSystem::Bytes> sent = midi.Sent();
    ASSERT_EQ(sent.size(), kRecords);
    std::mt19937 again(7);
    for (uint32_t n = 0; n < kRecords; ++n) ASSERT_EQ(sent[n], Record(n, again)) << "record " << n;
    EXPECT_EQ(passThrough.Lost(), passThrough.DroppedSends());
}

// The smallest ring (64 bytes; a record takes 4 and its length rounded up to
// 4) wrapped step by step: a record that does not fit before the ring's end
// goes to its start, and a push that would reach the waiting record is refused.
TEST(OutputRing, APushThatWouldReachTheWaitingRecordIsRefused) {
    using Bytes = std::vector<uint8_t>;
    OutputRing ring(64);
    const auto push = [&](uint8_t n, size_t length) {
        return ring.Push(OutputRing::Kind::Message, Bytes(length, n).data(), length);
    };
    const auto pop = [&] {
        OutputRing::Record r;
        if (!ring.Front(r)) return Bytes{};
        const Bytes b(r.bytes, r.bytes + r.length);
        ring.PopFront();
        return b;
    };
    ASSERT_TRUE(push(1, 20) && push(2, 20));  // at 0..24 and 24..48
    EXPECT_EQ(pop(), Bytes(20, 1));           // free: 16 before the end, 24 at the start
    EXPECT_FALSE(push(3, 24));                // 28 at the start would reach record 2
    EXPECT_TRUE(push(4, 12) && push(5, 20));  // up to the end, then up to record 2
    EXPECT_FALSE(push(6, 0));                 // full
    for (const Bytes& b : {Bytes(20, 2), Bytes(12, 4), Bytes(20, 5)}) EXPECT_EQ(pop(), b);
    EXPECT_TRUE(push(7, 24) && push(8, 20));  // at 24..52; 12 before the end skipped: 0..24
    EXPECT_FALSE(push(9, 0));                 // would stand at 24, on record 7
    for (const Bytes& b : {Bytes(24, 7), Bytes(20, 8)}) EXPECT_EQ(pop(), b);
    EXPECT_TRUE(ring.Empty());
}

}  // namespace
}  // namespace ostrel
