#pragma once
// Lines for the standard output, written by a thread of their own, so that a
// reader that does not keep up (or nobody reading a pipe) never holds up the
// caller: signals are still answered and forwarding never waits. What waits is
// written with one call, so a busy monitor costs one write per drain, not per
// line. When too many lines wait, the newest are dropped and counted.
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace ostrel::cli {

class StdoutLines {
  public:
    explicit StdoutLines(size_t maxWaiting = 20000);
    // Waits at most a second for the lines still waiting; a writer stuck on a
    // pipe that nobody reads is left to end with the process.
    ~StdoutLines();
    StdoutLines(const StdoutLines&) = delete;
    StdoutLines& operator=(const StdoutLines&) = delete;

    // Lines of one drain, handed over at once (lines is emptied).
    void Push(std::vector<std::string>& lines);
    uint64_t Dropped() const;

  private:
    // Shared with the writer thread, which may outlive this object.
    struct Shared {
        std::mutex mutex;
        std::condition_variable ready, drained;
        std::deque<std::string> waiting;
        uint64_t dropped = 0;
        bool stopping = false, writing = false;
    };
    static void Write(std::shared_ptr<Shared> shared);

    std::shared_ptr<Shared> shared_;
    const size_t maxWaiting_;
};

}  // namespace ostrel::cli
