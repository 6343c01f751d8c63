#pragma once
// Keeps Ostrel in the MIDI graph: joins it with its two ports, connects the
// chosen devices, connects them again whenever a port of that name appears (a
// keyboard plugged in, a synth started later), and when the server goes away
// (it says so, or the cycles stop and it no longer answers) looks for it every
// two seconds and comes back with ports and connections. The patchbay has the
// last word: a connection to the chosen port that is removed from outside
// while the port stays is left removed, until the port goes and comes back or
// the user chooses again. The MIDI system's notifications only set flags and
// wake the keeper; the connecting happens here, on an ordinary thread of the
// keeper's own (or the caller's, for a choice). While the graph runs and says
// nothing that thread sleeps, but for a look at the cycles every 2 seconds.
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "midi/midi_system.h"
#include "midi/pass_through.h"

namespace ostrel {

class PortKeeper final : private GraphListener {
  public:
    PortKeeper(MidiSystem& system, PassThrough& passThrough, std::string clientName);
    // Shutdown().
    ~PortKeeper();
    PortKeeper(const PortKeeper&) = delete;
    PortKeeper& operator=(const PortKeeper&) = delete;

    // Joins the graph and starts watching it. False, with the reason in *why,
    // when the MIDI system does not answer now; the keeper keeps looking.
    bool Start(std::string* why);
    // Releases every note still held on the output, then leaves the graph.
    void Shutdown();

    // Chooses the device of a direction (empty: none). The connection that the
    // previous choice made goes (held notes are released first when the output
    // changes); connections made elsewhere stay. Connects at once when the port
    // is there, else as soon as it appears. False, with the reason in *why, when
    // the port is there and cannot be connected, or is Ostrel's own; the choice
    // is kept either way.
    bool Choose(PortDirection direction, const std::string& device, std::string* why = nullptr);
    std::string Chosen(PortDirection direction) const;
    // Whether the chosen device is connected right now.
    bool Connected(PortDirection direction);

    std::vector<std::string> Devices(PortDirection direction);
    bool Online() const;
    std::string ClientName() const;
    const char* SystemName() const { return system_.Name(); }

    // What changed in the graph that the user should hear of, oldest first:
    // the server went away or came back. One consumer.
    bool TakeNotice(std::string& text);
    // Called, on the keeper's thread, after each notice is queued (null: none),
    // so that the consumer can sleep until there is one. It must return at once.
    void OnNotice(std::function<void()> told);

  private:
    // The MIDI system's word that the graph changed: wakes the watch.
    void GraphChanged() override;
    // Sleeps until the graph changes, Shutdown, or until.
    void WaitForChange(std::chrono::steady_clock::time_point until);
    // Waits until then, or until the keeper is shut down; without mutex_.
    void WaitOut(std::chrono::steady_clock::time_point until);
    void Watch();
    // Under mutex_: joins the graph, or leaves a dead one.
    void Rejoin();
    void LeaveLostServer();
    // Whether the cycles have stopped and the server no longer answers. Takes
    // lock off mutex_ while it asks the server.
    bool CyclesStoppedForGood(std::unique_lock<std::mutex>& lock);
    void KeepConnected(PortDirection direction);
    // A chosen port whose client left is new when it is found again.
    void ForgetDepartedPorts();
    // Whether choosing device for the output leaves a chosen output that is
    // connected now (its held notes are released first).
    bool LeavesConnectedOutput(const std::string& device);
    // Under mutex_: connects the chosen device, noting whether Ostrel made it.
    bool ConnectChosen(PortDirection direction, std::string* why);
    void Notice(std::string text);

    MidiSystem& system_;
    PassThrough& passThrough_;
    const std::string requestedName_;
    mutable std::mutex mutex_;
    // The watch's sleep, apart from mutex_: the system tells of changes while
    // the keeper, holding mutex_, waits on it.
    std::mutex wakeMutex_;
    std::condition_variable wake_;
    bool woken_ = false;
    // Whether the system tells of changes; else it is looked at every 100 ms.
    bool told_ = false;
    bool running_ = false;
    bool online_ = false;
    bool everOnline_ = false;
    std::string chosen_[2];
    bool wasConnected_[2] = {false, false};
    // Whether the chosen port was in the graph at the last look: it is
    // connected when it appears, not whenever it is found unconnected.
    bool present_[2] = {false, false};
    // The watch on the cycles: the count last seen and when it last moved.
    uint64_t lastCycles_ = 0;
    std::chrono::steady_clock::time_point lastCycleAt_{};
    std::chrono::steady_clock::time_point nextProbe_{};
    // Whether the chosen connection is Ostrel's own doing: one that a patchbay
    // made first is left in place when the choice changes.
    bool madeByUs_[2] = {false, false};
    std::deque<std::string> notices_;
    std::function<void()> noticeTold_;
    std::thread watcher_;
};

}  // namespace ostrel
