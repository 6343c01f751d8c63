#include "support/fake_midi_system.h"

#include <algorithm>
#include <utility>

namespace ostrel {

class FakeMidiSystem::Writer final : public MidiWriter {
  public:
    Writer(std::vector<Bytes>& sent, size_t room) : sent_(sent), room_(room) {}
    bool Write(const uint8_t* bytes, size_t length) override {
        if (length > room_) return false;
        room_ -= length;
        sent_.emplace_back(bytes, bytes + length);
        return true;
    }
    size_t Room() const override { return room_; }

  private:
    std::vector<Bytes>& sent_;
    size_t room_;
};

FakeMidiSystem::FakeMidiSystem(std::vector<std::string> inputs, std::vector<std::string> outputs)
    : inputs_(std::move(inputs)), outputs_(std::move(outputs)) {}

bool FakeMidiSystem::Open(const std::string& clientName, MidiProcessor& processor,
                          std::string* why) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!serverAvailable_) {
        SetWhy(why, "the fake server is away");
        return false;
    }
    processor_ = &processor;
    Joined(clientName, clientName + ":" + PortName(PortDirection::Input),
           clientName + ":" + PortName(PortDirection::Output));
    MarkServerLost(false);
    ++opens_;
    UpdateLinks();
    return true;
}

void FakeMidiSystem::Close() {
    std::lock_guard<std::mutex> lock(mutex_);
    processor_ = nullptr;
    Left();
    connections_[0].clear();
    connections_[1].clear();
    UpdateLinks();
}

std::vector<std::string> FakeMidiSystem::Devices(PortDirection direction) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (processor_ == nullptr) return {};
    std::vector<std::string> names = direction == PortDirection::Input ? inputs_ : outputs_;
    std::sort(names.begin(), names.end());
    return names;
}

bool FakeMidiSystem::Connect(PortDirection direction, const std::string& device, std::string* why) {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto& names = direction == PortDirection::Input ? inputs_ : outputs_;
    if (processor_ == nullptr || std::find(names.begin(), names.end(), device) == names.end()) {
        SetWhy(why, "no such port: " + device);
        return false;
    }
    auto& list = connections_[Side(direction)];
    if (std::find(list.begin(), list.end(), device) == list.end()) list.push_back(device);
    UpdateLinks();
    MarkPortsChanged();
    return true;
}

void FakeMidiSystem::Disconnect(PortDirection direction, const std::string& device) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto& list = connections_[Side(direction)];
    list.erase(std::remove(list.begin(), list.end(), device), list.end());
    UpdateLinks();
    MarkPortsChanged();
}

bool FakeMidiSystem::IsConnected(PortDirection direction, const std::string& device) {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto& list = connections_[Side(direction)];
    return std::find(list.begin(), list.end(), device) != list.end();
}

bool FakeMidiSystem::RunCycle(const std::vector<Bytes>& events) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (processor_ == nullptr) return false;
    Writer writer(sent_, cycleRoom_);
    processor_->BeginCycle(writer);
    for (const Bytes& e : events) processor_->Event(e.data(), e.size(), writer);
    processor_->EndCycle();
    return true;
}

void FakeMidiSystem::SetDevices(PortDirection direction, std::vector<std::string> names) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const std::string& before : direction == PortDirection::Input ? inputs_ : outputs_)
        if (std::find(names.begin(), names.end(), before) == names.end())
            MarkDeparted(before.substr(0, before.find(':')));
    (direction == PortDirection::Input ? inputs_ : outputs_) = std::move(names);
    // A port that goes away takes its connections with it.
    auto& list = connections_[Side(direction)];
    const auto& now = direction == PortDirection::Input ? inputs_ : outputs_;
    list.erase(std::remove_if(list.begin(), list.end(),
                              [&](const std::string& c) {
                                  return std::find(now.begin(), now.end(), c) == now.end();
                              }),
               list.end());
    UpdateLinks();
    MarkPortsChanged();
}

void FakeMidiSystem::LoseServer() {
    std::lock_guard<std::mutex> lock(mutex_);
    serverAvailable_ = false;
    processor_ = nullptr;
    Left();
    connections_[0].clear();
    connections_[1].clear();
    UpdateLinks();
    MarkServerLost(true);
}

void FakeMidiSystem::SetOtherLinks(PortDirection direction, int count) {
    std::lock_guard<std::mutex> lock(mutex_);
    otherLinks_[Side(direction)] = count;
    UpdateLinks();
}

void FakeMidiSystem::UpdateLinks() {
    for (PortDirection d : {PortDirection::Input, PortDirection::Output})
        MarkLinked(d, processor_ != nullptr &&
                          (!connections_[Side(d)].empty() || otherLinks_[Side(d)] > 0));
}

void FakeMidiSystem::SetServerAvailable(bool available) {
    std::lock_guard<std::mutex> lock(mutex_);
    serverAvailable_ = available;
}

void FakeMidiSystem::SetCycleRoom(size_t bytes) {
    std::lock_guard<std::mutex> lock(mutex_);
    cycleRoom_ = bytes;
}

std::vector<FakeMidiSystem::Bytes> FakeMidiSystem::Sent() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return sent_;
}

void FakeMidiSystem::ClearSent() {
    std::lock_guard<std::mutex> lock(mutex_);
    sent_.clear();
}

std::vector<std::string> FakeMidiSystem::Connections(PortDirection direction) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return connections_[Side(direction)];
}

int FakeMidiSystem::OpenCount() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return opens_;
}

}  // namespace ostrel
