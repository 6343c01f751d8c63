#pragma once
// Lines for the standard output, written by a thread of their own, so that a
// reader that does not keep up (or nobody reading a pipe) never holds up the
// caller: signals are still answered and forwarding never waits. The lines of
// a drain come as one text and what waits is written with one call, so a busy
// monitor costs one write per drain, not per line, and no line is a string of
// its own. When too many lines wait, the newest drains are dropped and their
// lines counted.
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

namespace ostrel::cli {

class StdoutLines {
  public:
    explicit StdoutLines(size_t maxWaiting = 20000);
    // Waits at most a second for the lines still waiting; a writer stuck on a
    // pipe that nobody reads is left to end with the process.
    ~StdoutLines();
    StdoutLines(const StdoutLines&) = delete;
    StdoutLines& operator=(const StdoutLines&) = delete;

    // The lines of one drain, each ending in a line feed, handed over at once
    // (text is emptied, its capacity kept for the next drain).
    void Push(std::string& text, size_t lines);
    uint64_t Dropped() const;

  private:
    // Shared with the writer thread, which may outlive this object.
    struct Shared {
        std::mutex mutex;
        std::condition_variable ready, drained;
        std::string waiting;
        size_t waitingLines = 0;
        uint64_t dropped = 0;
        bool stopping = false, writing = false;
    };
    static void Write(std::shared_ptr<Shared> shared);

    std::shared_ptr<Shared> shared_;
    const size_t maxWaiting_;
};

}  // namespace ostrel::cli
