#pragma once
// What every MIDI system keeps of its client in the graph: whether it is open,
// its name and the full names of its ports "in" and "out" (under one mutex, for
// ordinary threads), and the flags that the system's own notifications set and
// the keeper or the MIDI thread read (the server lost, ports that came or went,
// clients that left, whether each of our ports has a connection). A system
// derives from this and says, under mutex_, when it joined and left the graph.
#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "midi/midi_system.h"

namespace ostrel {

class GraphClient : public MidiSystem {
  public:
    bool IsOpen() const final;
    std::string ClientName() const final;
    std::string OwnPort(PortDirection direction) const final;
    bool ServerLost() const override { return serverLost_.load(std::memory_order_acquire); }
    bool TakePortsChanged() override {
        return portsChanged_.exchange(false, std::memory_order_acq_rel);
    }
    std::vector<std::string> TakeDepartedClients() override;
    bool Listen(GraphListener* listener) override {
        listener_.store(listener, std::memory_order_release);
        return true;
    }
    // Safe on the MIDI thread: one atomic load.
    bool Linked(PortDirection direction) const override {
        return linked_[Side(direction)].load(std::memory_order_acquire);
    }

  protected:
    // Our port's own name: "in" or "out".
    static const char* PortName(PortDirection direction) {
        return direction == PortDirection::Input ? "in" : "out";
    }
    static void SetWhy(std::string* why, const std::string& text) {
        if (why != nullptr) *why = text;
    }

    // Under mutex_: the client is in the graph as name (the name the system
    // gave), its ports are inPort and outPort (full names).
    void Joined(std::string name, std::string inPort, std::string outPort);
    // Under mutex_: the client has left; its ports have no connection now. The
    // name stays as it was (ClientName tells it still).
    void Left();
    // Under mutex_: whether port (a full name) is one of our own.
    bool IsOwn(const std::string& port) const;

    // From any thread, the system's notification thread among them. Each mark
    // but MarkLinked (which only the MIDI thread reads) tells the listener.
    void MarkServerLost(bool lost) {
        serverLost_.store(lost, std::memory_order_release);
        Tell();
    }
    void MarkPortsChanged() {
        portsChanged_.store(true, std::memory_order_release);
        Tell();
    }
    void MarkLinked(PortDirection direction, bool linked) {
        linked_[Side(direction)].store(linked, std::memory_order_release);
    }
    // A client left the graph (its name is kept for TakeDepartedClients).
    void MarkDeparted(std::string name);

    mutable std::mutex mutex_;  // the client and what the system keeps of it

  private:
    void Tell() const {
        if (GraphListener* listener = listener_.load(std::memory_order_acquire))
            listener->GraphChanged();
    }

    bool open_ = false;
    std::string clientName_;
    std::string ownPorts_[2];
    std::atomic<bool> serverLost_{false};
    std::atomic<bool> portsChanged_{false};
    std::atomic<bool> linked_[2] = {false, false};
    std::atomic<GraphListener*> listener_{nullptr};
    std::mutex departedMutex_;  // the notification thread's and the keeper's
    std::vector<std::string> departed_;
};

}  // namespace ostrel
