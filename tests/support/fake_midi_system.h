#pragma once
// An in-process MIDI system: named devices of other clients, connections
// recorded, input events delivered by the caller (each delivery is one cycle on
// the caller's thread, as the MIDI thread would run it), output recorded. Serves
// tests and runs that must not touch the machine's MIDI system.
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "midi/graph_client.h"

namespace ostrel {

class FakeMidiSystem final : public GraphClient {
  public:
    using Bytes = std::vector<uint8_t>;

    FakeMidiSystem(std::vector<std::string> inputs = {"Fake Keyboard:out"},
                   std::vector<std::string> outputs = {"Fake Synth:in"});
    ~FakeMidiSystem() override { Close(); }

    const char* Name() const override { return "fake"; }
    bool Open(const std::string& clientName, MidiProcessor& processor, std::string* why) override;
    void Close() override;
    std::vector<std::string> Devices(PortDirection direction) override;
    bool Connect(PortDirection direction, const std::string& device, std::string* why) override;
    void Disconnect(PortDirection direction, const std::string& device) override;
    bool IsConnected(PortDirection direction, const std::string& device) override;
    // Runs one cycle without input, for output queued by other threads.
    void Wake() override { RunCycle({}); }

    // The system's own clock in microseconds: when each cycle begins, and now
    // (both 0 by default: no time told).
    void SetClock(uint64_t cycleMicros, uint64_t nowMicros) {
        cycleMicros_ = cycleMicros;
        nowMicros_ = nowMicros;
    }
    uint64_t CycleMicros() const override { return cycleMicros_; }
    uint64_t NowMicros() const override { return nowMicros_; }

    // One cycle with these input events. False when the client is not open.
    bool RunCycle(const std::vector<Bytes>& events);
    bool Deliver(const Bytes& message) { return RunCycle({message}); }

    // The test's hand on the graph: devices coming and going (a device that
    // goes takes its client with it), the server leaving,
    // a patchbay connecting or disconnecting our ports (Connect and Disconnect
    // serve for that too). Each of our ports also starts with one connection to
    // a port that is no device (a patchbay's wiring): SetOtherLinks changes
    // how many there are, 0 leaves only the devices' connections.
    void SetDevices(PortDirection direction, std::vector<std::string> names);
    void LoseServer();
    void SetOtherLinks(PortDirection direction, int count);
    // Opening fails while the server is away.
    void SetServerAvailable(bool available);
    // Largest event the output takes per cycle (all of a cycle's events together).
    void SetCycleRoom(size_t bytes);

    // What the output wrote, in order.
    std::vector<Bytes> Sent() const;
    void ClearSent();
    // Connections of our port, in the order made.
    std::vector<std::string> Connections(PortDirection direction) const;
    int OpenCount() const;

  private:
    class Writer;
    // Under mutex_: what Linked() reads, from the connections.
    void UpdateLinks();
    // All under mutex_, which also keeps to one cycle at a time, like a MIDI thread.
    std::vector<std::string> inputs_, outputs_;
    std::vector<std::string> connections_[2];
    int otherLinks_[2] = {1, 1};
    std::atomic<uint64_t> cycleMicros_{0}, nowMicros_{0};
    MidiProcessor* processor_ = nullptr;
    bool serverAvailable_ = true;
    size_t cycleRoom_ = 32768;
    int opens_ = 0;
    std::vector<Bytes> sent_;
};

}  // namespace ostrel
