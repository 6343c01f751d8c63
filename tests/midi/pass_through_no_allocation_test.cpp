// What runs on the MIDI thread (a whole cycle of the pass-through: output of
// other threads and releases of held notes, forwarding with the ledger, monitor
// entries, the receive hook, triggers switching scenes) must never allocate. Counted around the
// cycles alone.
#include <gtest/gtest.h>

#include <cstring>

#include "midi/pass_through.h"
#include "support/counting_allocator.h"
#include "support/mixed_stream.h"

namespace ostrel {
namespace {

// Takes what a cycle writes into a fixed buffer, as a JACK port buffer would.
class FixedWriter final : public MidiWriter {
  public:
    bool Write(const uint8_t*, size_t length) override {
        if (length > Room()) return false;
        used_ += length;
        ++written_;
        return true;
    }
    size_t Room() const override { return sizeof buffer_ - used_; }
    void NextCycle() { used_ = 0; }
    long Written() const { return written_; }

  private:
    uint8_t buffer_[32768] = {};
    size_t used_ = 0;
    long written_ = 0;
};

class NoSystem final : public MidiSystem {
  public:
    const char* Name() const override { return "none"; }
    bool Open(const std::string&, MidiProcessor&, std::string*) override { return true; }
    void Close() override {}
    bool IsOpen() const override { return true; }
    std::string ClientName() const override { return {}; }
    std::string OwnPort(PortDirection) const override { return {}; }
    bool ServerLost() const override { return false; }
    bool TakePortsChanged() override { return false; }
    std::vector<std::string> TakeDepartedClients() override { return {}; }
    std::vector<std::string> Devices(PortDirection) override { return {}; }
    bool Connect(PortDirection, const std::string&, std::string*) override { return true; }
    void Disconnect(PortDirection, const std::string&) override {}
    bool IsConnected(PortDirection, const std::string&) override { return false; }
    bool Linked(PortDirection) const override { return true; }
};

TEST(PassThroughNoAllocation, CyclesOfAMixedStreamAllocateNothing) {
    AssignmentTable table;
    CurrentCurves curves;
    test::SetUpPlayersTable(table, curves);
    NoSystem system;
    PassThrough passThrough(table, curves, system, 64);
    // Two scenes on the same table, switched by a program change every cycle.
    SceneTables scenes = {{&table, &table}, {SetlistTriggers::kAnyChannel, {}, {}, false}};
    passThrough.SetScenes(&scenes);
    passThrough.SetMonitorLogging(true);
    passThrough.SetReceiveHook(true);
    passThrough.Start();
    MidiProcessor& cycle = passThrough.Processor();
    FixedWriter out;
    uint8_t big[1000];
    std::memset(big, 0x11, sizeof big);
    big[0] = 0xF0;
    big[sizeof big - 1] = 0xF7;
    const uint8_t toSend[] = {0xF0, 0x7D, 0x01, 0xF7};

    long during = 0, shown = 0, switches = 0;
    for (int round = 0; round < 500; ++round) {
        // Other threads' part, outside the count: queued output and releases.
        passThrough.SendMessage(toSend, sizeof toSend);
        if (round % 50 == 0) passThrough.ReleaseHeld();
        MonitorEvent event;
        while (passThrough.PopEvent(event)) {
            ++shown;
            switches += event.kind == MonitorEvent::Kind::SceneSwitch;
        }
        const long before = test::AllocationCount();
        out.NextCycle();
        cycle.BeginCycle(out);
        const uint8_t program[] = {0xC0, static_cast<uint8_t>(round % 2)};
        cycle.Event(program, sizeof program, out);
        for (const auto& s : test::kMixedShorts) cycle.Event(s, 3, out);
        for (int k = 0; k < 5; ++k)
            cycle.Event(test::kMixedSysEx[k], static_cast<size_t>(test::kMixedSysExLength[k]), out);
        cycle.Event(big, sizeof big, out);
        cycle.EndCycle();
        during += test::AllocationCount() - before;
    }
    EXPECT_EQ(during, 0);
    EXPECT_GT(out.Written(), 500 * 20);
    EXPECT_GT(shown, 500 * 20);
    EXPECT_GT(switches, 400);
}

}  // namespace
}  // namespace ostrel
