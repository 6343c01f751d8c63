#include "midi/port_keeper.h"

#include <algorithm>
#include <chrono>

namespace ostrel {
namespace {

using Clock = std::chrono::steady_clock;
// How often a system that tells of no change is looked at.
constexpr auto kTick = std::chrono::milliseconds(100);
constexpr auto kRetryServer = std::chrono::seconds(2);
constexpr auto kRecheck = std::chrono::seconds(1);
// How often the cycles are looked at while the graph runs: a server that goes
// without a word (both JACK libraries say when theirs is killed) is noticed
// within two looks, and a quiet graph costs the keeper one wake-up per look.
constexpr auto kCycleLook = std::chrono::seconds(2);
// Cycles that stop for this long make the keeper ask whether the server still
// answers: many periods of any usual setting.
constexpr auto kCyclesStopped = std::chrono::milliseconds(500);
// A server that goes away tells its clients of every other client it closes.
// jackd's library tells ours on a thread of its own, holding a lock of the
// library meanwhile, and closing our client stops that thread wherever it is:
// stopped while it holds that lock, it leaves the lock held for good, and the
// close and every later open wait for ever. So a lost server is left this
// long after it is seen lost, when it has told all it had to tell.
constexpr auto kLeaveGrace = std::chrono::milliseconds(500);

}  // namespace

PortKeeper::PortKeeper(MidiSystem& system, PassThrough& passThrough, std::string clientName)
    : system_(system), passThrough_(passThrough), requestedName_(std::move(clientName)) {}

PortKeeper::~PortKeeper() { Shutdown(); }

bool PortKeeper::Start(std::string* why) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (running_) return online_;
    running_ = true;
    told_ = system_.Listen(this);
    online_ = system_.Open(requestedName_, passThrough_.Processor(), why);
    everOnline_ = online_;
    watcher_ = std::thread([this] { Watch(); });
    return online_;
}

void PortKeeper::Shutdown() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!running_) return;
        running_ = false;
    }
    GraphChanged();
    if (watcher_.joinable()) watcher_.join();
    std::lock_guard<std::mutex> lock(mutex_);
    if (online_) {
        // Every note-off and pedal release goes out before the ports close.
        passThrough_.Stop();
        passThrough_.Flush();
    }
    system_.Close();
    // Closed, the system tells nothing more: nobody is left to tell.
    system_.Listen(nullptr);
    online_ = false;
}

bool PortKeeper::Choose(PortDirection direction, const std::string& device, std::string* why) {
    // What sounds on the old synth ends there, before it goes. The flush waits
    // for the MIDI thread, so not under mutex_: the watcher and the window's
    // questions go on meanwhile.
    if (direction == PortDirection::Output && LeavesConnectedOutput(device)) {
        passThrough_.ReleaseHeld();
        passThrough_.Flush();
    }
    std::lock_guard<std::mutex> lock(mutex_);
    std::string& chosen = chosen_[Side(direction)];
    if (!chosen.empty() && chosen != device && online_ && madeByUs_[Side(direction)])
        system_.Disconnect(direction, chosen);
    if (chosen != device) madeByUs_[Side(direction)] = false;
    chosen = device;
    wasConnected_[Side(direction)] = false;
    present_[Side(direction)] = false;
    if (device.empty()) return true;
    if (device.rfind(system_.ClientName() + ":", 0) == 0 ||
        (!online_ && device.rfind(requestedName_ + ":", 0) == 0)) {
        if (why) *why = kConnectedToItself;
        chosen.clear();
        return false;
    }
    if (!online_) return true;  // connected when the server comes
    const std::vector<std::string> present = system_.Devices(direction);
    if (std::find(present.begin(), present.end(), device) == present.end()) return true;
    present_[Side(direction)] = true;
    return ConnectChosen(direction, why);
}

bool PortKeeper::LeavesConnectedOutput(const std::string& device) {
    std::lock_guard<std::mutex> lock(mutex_);
    const std::string& chosen = chosen_[Side(PortDirection::Output)];
    return !chosen.empty() && chosen != device && online_ &&
           system_.IsConnected(PortDirection::Output, chosen);
}

bool PortKeeper::ConnectChosen(PortDirection direction, std::string* why) {
    const int side = Side(direction);
    if (system_.IsConnected(direction, chosen_[side])) {
        wasConnected_[side] = true;
        return true;
    }
    const bool ok = system_.Connect(direction, chosen_[side], why);
    wasConnected_[side] = ok;
    madeByUs_[side] = ok;
    return ok;
}

std::string PortKeeper::Chosen(PortDirection direction) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return chosen_[Side(direction)];
}

bool PortKeeper::Connected(PortDirection direction) {
    std::lock_guard<std::mutex> lock(mutex_);
    const std::string& chosen = chosen_[Side(direction)];
    if (!online_ || chosen.empty() || !wasConnected_[Side(direction)]) return false;
    // A connection just made shows in the graph only from a later cycle on; the
    // port being there still is what can change meanwhile.
    const std::vector<std::string> present = system_.Devices(direction);
    return std::find(present.begin(), present.end(), chosen) != present.end();
}

std::vector<std::string> PortKeeper::Devices(PortDirection direction) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!online_) return {};
    return system_.Devices(direction);
}

bool PortKeeper::Online() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return online_;
}

std::string PortKeeper::ClientName() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return online_ ? system_.ClientName() : requestedName_;
}

bool PortKeeper::TakeNotice(std::string& text) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (notices_.empty()) return false;
    text = std::move(notices_.front());
    notices_.pop_front();
    return true;
}

void PortKeeper::OnNotice(std::function<void()> told) {
    std::lock_guard<std::mutex> lock(mutex_);
    noticeTold_ = std::move(told);
}

void PortKeeper::Notice(std::string text) {
    if (notices_.size() < 64) notices_.push_back(std::move(text));
    if (noticeTold_) noticeTold_();
}

void PortKeeper::GraphChanged() {
    {
        std::lock_guard<std::mutex> lock(wakeMutex_);
        woken_ = true;
    }
    wake_.notify_one();
}

void PortKeeper::WaitForChange(Clock::time_point until) {
    std::unique_lock<std::mutex> lock(wakeMutex_);
    wake_.wait_until(lock, until, [this] { return woken_; });
    woken_ = false;
}

void PortKeeper::WaitOut(Clock::time_point until) {
    const auto stopping = [this] {
        std::lock_guard<std::mutex> lock(mutex_);
        return !running_;
    };
    while (Clock::now() < until && !stopping()) WaitForChange(until);
}

void PortKeeper::Watch() {
    std::unique_lock<std::mutex> lock(mutex_);
    auto nextServerTry = Clock::now() + kRetryServer;
    auto nextRecheck = Clock::now();
    auto nextCycleLook = Clock::now() + kCycleLook;
    lastCycleAt_ = Clock::now();
    while (running_) {
        // Without a server only the next try is due; with one, the next look
        // at the cycles, unless the system must be looked at by the tick.
        auto until = online_ ? nextCycleLook : nextServerTry;
        if (!told_) until = std::min(until, Clock::now() + kTick);
        lock.unlock();
        WaitForChange(until);
        lock.lock();
        if (!running_) break;
        const auto now = Clock::now();
        if (now >= nextCycleLook) nextCycleLook = now + kCycleLook;
        if (online_ && (system_.ServerLost() || CyclesStoppedForGood(lock))) {
            lock.unlock();
            WaitOut(Clock::now() + kLeaveGrace);
            lock.lock();
            if (!running_) break;
            LeaveLostServer();
            nextServerTry = Clock::now() + kRetryServer;
        }
        if (!running_) break;
        if (!online_ && now >= nextServerTry) {
            nextServerTry = now + kRetryServer;
            Rejoin();
        }
        if (!online_) continue;
        if (system_.TakePortsChanged() || (!told_ && now >= nextRecheck)) {
            nextRecheck = now + kRecheck;
            ForgetDepartedPorts();
            KeepConnected(PortDirection::Input);
            KeepConnected(PortDirection::Output);
        }
    }
}

bool PortKeeper::CyclesStoppedForGood(std::unique_lock<std::mutex>& lock) {
    const auto now = Clock::now();
    const uint64_t cycles = passThrough_.Cycles();
    if (cycles != lastCycles_) {
        lastCycles_ = cycles;
        lastCycleAt_ = now;
        return false;
    }
    if (now - lastCycleAt_ < kCyclesStopped || now < nextProbe_) return false;
    nextProbe_ = now + kRetryServer;
    // Asking may take as long as the library waits for a server: the window
    // must not wait for that on mutex_.
    lock.unlock();
    const bool answers = system_.Answers();
    lock.lock();
    return !answers && online_;
}

void PortKeeper::LeaveLostServer() {
    system_.Close();
    passThrough_.ForgetGraph();
    online_ = false;
    wasConnected_[0] = wasConnected_[1] = false;
    present_[0] = present_[1] = false;
    Notice(std::string("The ") + system_.Name() +
           " server has stopped; Ostrel looks for it every 2 seconds.");
}

void PortKeeper::Rejoin() {
    // What was queued while no graph ran belongs to no graph: it does not go
    // out minutes later on the new one.
    passThrough_.ForgetGraph();
    std::string why;
    if (!system_.Open(requestedName_, passThrough_.Processor(), &why)) return;
    online_ = true;
    present_[0] = present_[1] = false;  // every chosen port there now is connected
    lastCycleAt_ = Clock::now();
    if (everOnline_)
        Notice(std::string("The ") + system_.Name() + " server is back; Ostrel's ports are " +
               system_.OwnPort(PortDirection::Input) + " and " +
               system_.OwnPort(PortDirection::Output) + ".");
    else
        Notice(std::string("Connected to the ") + system_.Name() + " server as " +
               system_.ClientName() + ".");
    everOnline_ = true;
    KeepConnected(PortDirection::Input);
    KeepConnected(PortDirection::Output);
}

void PortKeeper::ForgetDepartedPorts() {
    for (const std::string& client : system_.TakeDepartedClients())
        for (int side : {0, 1})
            if (chosen_[side].rfind(client + ":", 0) == 0) present_[side] = false;
}

void PortKeeper::KeepConnected(PortDirection direction) {
    const int side = Side(direction);
    const std::string& chosen = chosen_[side];
    if (chosen.empty()) return;
    const std::vector<std::string> devices = system_.Devices(direction);
    const bool present = std::find(devices.begin(), devices.end(), chosen) != devices.end();
    const bool appeared = present && !present_[side];
    present_[side] = present;
    if (system_.IsConnected(direction, chosen)) {
        wasConnected_[side] = true;
        return;
    }
    if (wasConnected_[side] && direction == PortDirection::Output &&
        system_.Linked(PortDirection::Output)) {
        // The synth went away, or its wire was pulled, while the output still
        // goes elsewhere: what it held is released there. With no connection
        // left the pass-through forgets what was held by itself.
        passThrough_.ReleaseAndForgetHeld();
    }
    wasConnected_[side] = false;
    // Connected when the port appears; a connection removed from outside while
    // the port stayed is the patchbay's word and stays removed.
    if (appeared) ConnectChosen(direction, nullptr);
}

}  // namespace ostrel
