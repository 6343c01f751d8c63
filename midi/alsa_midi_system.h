#pragma once
// The MIDI system on the ALSA sequencer, through RtMidi: a client with the
// ports "in" and "out". RtMidi delivers input on its own thread; output queued
// by other threads is written by whichever thread holds the processor's token
// (the input thread at an event, else a small idle thread or the thread that
// queued it), so the processor only ever runs on one thread at a time and the
// input thread never waits for it. Only this file and its .cpp know RtMidi.
#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "midi/graph_client.h"
#include "midi/spsc_queue.h"

class RtMidi;
class RtMidiIn;
class RtMidiOut;

namespace ostrel {

class AlsaMidiSystem final : public GraphClient {
  public:
    AlsaMidiSystem();
    ~AlsaMidiSystem() override;

    // Whether the ALSA sequencer device can be opened.
    static bool SequencerPresent();

    const char* Name() const override { return "ALSA"; }
    bool Open(const std::string& clientName, MidiProcessor& processor, std::string* why) override;
    void Close() override;
    // The sequencer never goes away under a client.
    bool ServerLost() const override { return false; }
    // Devices are ports of the sequencer's clients, looked at anew: RtMidi tells
    // of no change and of no client leaving (TakeDepartedClients stays empty),
    // so a port is new only when a look finds it after its absence.
    bool TakePortsChanged() override;
    bool Listen(GraphListener*) override { return false; }
    std::vector<std::string> Devices(PortDirection direction) override;
    bool Connect(PortDirection direction, const std::string& device, std::string* why) override;
    void Disconnect(PortDirection direction, const std::string& device) override;
    bool IsConnected(PortDirection direction, const std::string& device) override;
    // RtMidi does not see the connections that other clients make to our
    // ports: both count as connected, so held notes are always released.
    bool Linked(PortDirection) const override { return true; }
    void Wake() override { RunIdle(); }

  private:
    // An input event that arrived while another thread held the token.
    struct Deferred {
        uint32_t length = 0;
        uint8_t bytes[1024] = {};
    };
    class Writer;
    class OutputHold;
    static void Input(double, std::vector<unsigned char>* message, void* self);
    void OnInput(const uint8_t* bytes, size_t length);
    void RunIdle();
    // Token holder: one cycle with the deferred events and event (if any).
    void RunCycle(const uint8_t* event, size_t length);
    // An ordinary thread's: waits for a cycle another thread runs, then holds
    // the token (no cycle runs until ReleaseToken).
    void TakeToken();
    void ReleaseToken();
    std::vector<std::string> PortNames(PortDirection direction);
    // Under mutex_: our RtMidi port of that direction.
    RtMidi* Port(PortDirection direction) const;

    // The RtMidi objects, under mutex_ for ordinary threads.
    std::unique_ptr<RtMidiIn> in_;
    std::unique_ptr<RtMidiOut> out_;
    std::string connected_[2];
    std::vector<std::string> lastDevices_[2];
    std::atomic<MidiProcessor*> processor_{nullptr};
    std::atomic<bool> busy_{false};
    std::atomic<uint64_t> droppedInput_{0};
    SpscQueue<Deferred> deferred_{256};
    std::atomic<bool> idleRunning_{false};
    std::thread idle_;
};

}  // namespace ostrel
