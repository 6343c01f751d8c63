#include "midi/output_gate.h"

#include <gtest/gtest.h>

#include <functional>
#include <thread>
#include <vector>

#include "midi/fake_midi_services.h"

namespace ostrel {
namespace {

using Sent = FakeMidiServices::SentMessage;

// A port that records and, on its first long message, runs a hook: the hook
// plays the MIDI thread sending while the window holds the gate.
class HookedPort final : public MidiOutputPort {
  public:
    HookedPort(std::vector<Sent>& log, std::function<void()> hook)
        : log_(log), hook_(std::move(hook)) {}
    void SendShort(uint32_t packed) override {
        log_.push_back({true, {uint8_t(packed), uint8_t(packed >> 8), uint8_t(packed >> 16)}});
    }
    void SendLong(const uint8_t* bytes, size_t length) override {
        log_.push_back({false, std::vector<uint8_t>(bytes, bytes + length)});
        if (hook_) std::exchange(hook_, nullptr)();
    }

  private:
    std::vector<Sent>& log_;
    std::function<void()> hook_;
};

TEST(OutputGate, MidiSendsWhileTheWindowHoldsThePortGoOutAfterItInOrder) {
    OutputGate gate;
    std::vector<Sent> log;
    std::vector<uint8_t> big(600);
    for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<uint8_t>(i & 0x7F);
    big.front() = 0xF0;
    big.back() = 0xF7;
    gate.Exchange(std::make_unique<HookedPort>(log, [&] {
        // The window is inside its send: the MIDI thread must not wait.
        gate.SendShortFromMidi(0x403C90);
        gate.SendLongFromMidi(big.data(), big.size());  // longer than one queue chunk
        gate.SendShortFromMidi(0x003C80);
    }));
    const uint8_t sysex[] = {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
    gate.SendLongFromOtherThread(sysex, sizeof sysex);

    ASSERT_EQ(log.size(), 4u);
    EXPECT_EQ(log[0], (Sent{false, {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}}));
    EXPECT_EQ(log[1], (Sent{true, {0x90, 0x3C, 0x40}}));
    EXPECT_EQ(log[2], (Sent{false, big}));
    EXPECT_EQ(log[3], (Sent{true, {0x80, 0x3C, 0x00}}));
    EXPECT_EQ(gate.DroppedSends(), 0u);
}

TEST(OutputGate, AFullWaitingQueueDropsAndCountsWithoutStoppingLaterSends) {
    OutputGate gate(4 * 56);  // room for four chunks
    std::vector<Sent> log;
    gate.Exchange(std::make_unique<HookedPort>(log, [&] {
        for (int i = 0; i < 6; ++i) gate.SendShortFromMidi(0xB0 | (i << 8));
    }));
    const uint8_t sysex[] = {0xF0, 0xF7};
    gate.SendLongFromOtherThread(sysex, sizeof sysex);
    EXPECT_EQ(gate.DroppedSends(), 2u);
    ASSERT_EQ(log.size(), 5u);  // the window's message and the four that fitted
    for (int i = 0; i < 4; ++i) EXPECT_EQ(log[1 + i].bytes[1], i);

    gate.SendShortFromMidi(0x7FB0);
    EXPECT_EQ(log.back(), (Sent{true, {0xB0, 0x7F, 0x00}}));
}

TEST(OutputGate, NothingIsSentWithoutAPortAndTheOldPortGetsItsQueuedMessages) {
    OutputGate gate;
    EXPECT_FALSE(gate.HasPort());
    gate.SendShortFromMidi(0x403C90);  // no port: nowhere to go, no crash
    std::vector<Sent> first, second;
    gate.Exchange(std::make_unique<HookedPort>(first, nullptr));
    EXPECT_TRUE(gate.HasPort());
    gate.SendShortFromMidi(0x403C90);
    std::unique_ptr<MidiOutputPort> old =
        gate.Exchange(std::make_unique<HookedPort>(second, nullptr));
    EXPECT_NE(old, nullptr);
    gate.SendShortFromMidi(0x003C80);
    EXPECT_EQ(first, (std::vector<Sent>{{true, {0x90, 0x3C, 0x40}}}));
    EXPECT_EQ(second, (std::vector<Sent>{{true, {0x80, 0x3C, 0x00}}}));
    old = gate.Exchange(nullptr);
    EXPECT_FALSE(gate.HasPort());
}

// The MIDI thread and the window send at the same time: the port never sees two
// calls at once, and the MIDI thread's messages keep their order. A message is
// lost only when the window holds the port (descheduled, say) while the MIDI
// thread fills the whole waiting queue, and then it is counted.
TEST(OutputGate, ConcurrentSendersNeverOverlapOnThePort) {
    FakeMidiServices services;
    OutputGate gate;
    gate.Exchange(services.OpenOutput(0));
    constexpr int kMidiMessages = 20000;
    constexpr int kWindowMessages = 300;
    std::thread midi([&] {
        for (int i = 0; i < kMidiMessages; ++i)
            gate.SendShortFromMidi(0xB0 | ((i & 0xFF) << 8) | (((i >> 8) & 0xFF) << 16));
    });
    const uint8_t sysex[] = {0xF0, 0x01, 0x02, 0xF7};
    for (int i = 0; i < kWindowMessages; ++i) gate.SendLongFromOtherThread(sysex, sizeof sysex);
    midi.join();
    gate.Exchange(nullptr);

    EXPECT_EQ(services.OverlappingSends(), 0);
    int shorts = 0, longs = 0, previous = -1;
    for (const Sent& s : services.Sent()) {
        if (!s.isShort) {
            ++longs;
            continue;
        }
        const int value = s.bytes[1] | (s.bytes[2] << 8);
        ASSERT_GT(value, previous) << "MIDI thread message out of order";
        previous = value;
        ++shorts;
    }
    EXPECT_EQ(shorts + static_cast<int>(gate.DroppedSends()), kMidiMessages);
    EXPECT_EQ(longs, kWindowMessages);
}

}  // namespace
}  // namespace ostrel
