#include "midi/graph_client.h"

#include <utility>

namespace ostrel {

bool GraphClient::IsOpen() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return open_;
}

std::string GraphClient::ClientName() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return clientName_;
}

std::string GraphClient::OwnPort(PortDirection direction) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return open_ ? ownPorts_[Side(direction)] : std::string();
}

void GraphClient::Joined(std::string name, std::string inPort, std::string outPort) {
    open_ = true;
    clientName_ = std::move(name);
    ownPorts_[0] = std::move(inPort);
    ownPorts_[1] = std::move(outPort);
}

void GraphClient::Left() {
    open_ = false;
    ownPorts_[0].clear();
    ownPorts_[1].clear();
    MarkLinked(PortDirection::Input, false);
    MarkLinked(PortDirection::Output, false);
}

bool GraphClient::IsOwn(const std::string& port) const {
    return port.rfind(clientName_ + ":", 0) == 0;
}

std::vector<std::string> GraphClient::TakeDepartedClients() {
    std::lock_guard<std::mutex> lock(departedMutex_);
    return std::exchange(departed_, {});
}

void GraphClient::MarkDeparted(std::string name) {
    {
        std::lock_guard<std::mutex> lock(departedMutex_);
        // Bounded: a keeper that does not ask only needs to know of the latest.
        if (departed_.size() >= 256) departed_.erase(departed_.begin());
        departed_.push_back(std::move(name));
    }
    Tell();
}

}  // namespace ostrel
