// Other threads' output on its way to the MIDI thread: a writer thread sends
// records of random lengths while the MIDI thread runs cycles, some too full to
// take all that waits. Every record reaches the output whole and in order,
// also where it meets the ring's end.
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

}  // namespace
}  // namespace ostrel
