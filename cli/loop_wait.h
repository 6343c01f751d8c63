#pragma once
// What the loop of `ostrel-cli run` sleeps on, without a tick: its signals,
// taken through a signalfd, and a nudge from its other threads (the keeper's
// notices, a table read that is done), through an eventfd. The signals are
// blocked from construction on, so every thread started later inherits the
// mask and none of them takes one.
#include <signal.h>

#include <functional>
#include <initializer_list>
#include <memory>
#include <string>

namespace ostrel::cli {

class LoopWait {
  public:
    explicit LoopWait(std::initializer_list<int> signals);
    ~LoopWait();
    LoopWait(const LoopWait&) = delete;
    LoopWait& operator=(const LoopWait&) = delete;

    // Empty when the loop can wait, else why not.
    const std::string& Failure() const { return failure_; }
    // What another thread calls to end the loop's wait. It stays safe to call
    // after this object is gone (a detached thread may finish later).
    std::function<void()> Nudger() const;
    // Waits for a signal or a nudge, timeoutMs at most (negative: as long as it
    // takes). The signal taken, else 0; a nudge is used up.
    int Wait(int timeoutMs);
    // Lets the signals through again, as a program started in place of this
    // one expects them.
    void Unblock();

  private:
    sigset_t signals_;
    int signalFd_ = -1;
    std::shared_ptr<const int> nudgeFd_;  // closed when its last user is gone
    std::string failure_;
};

}  // namespace ostrel::cli
