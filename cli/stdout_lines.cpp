#include "cli/stdout_lines.h"

#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

namespace ostrel::cli {

StdoutLines::StdoutLines(size_t maxWaiting)
    : shared_(std::make_shared<Shared>()), maxWaiting_(maxWaiting) {
    std::thread([shared = shared_] { Write(shared); }).detach();
}

StdoutLines::~StdoutLines() {
    std::unique_lock<std::mutex> lock(shared_->mutex);
    shared_->drained.wait_for(lock, std::chrono::seconds(1),
                              [this] { return shared_->waiting.empty() && !shared_->writing; });
    shared_->stopping = true;
    lock.unlock();
    shared_->ready.notify_all();
}

void StdoutLines::Push(std::string& text, size_t lines) {
    if (text.empty()) return;
    {
        std::lock_guard<std::mutex> lock(shared_->mutex);
        if (shared_->waitingLines >= maxWaiting_) {
            shared_->dropped += lines;
        } else {
            // Into an empty text the drain's text moves whole, without a copy.
            if (shared_->waiting.empty())
                shared_->waiting.swap(text);
            else
                shared_->waiting += text;
            shared_->waitingLines += lines;
        }
    }
    text.clear();
    shared_->ready.notify_one();
}

uint64_t StdoutLines::Dropped() const {
    std::lock_guard<std::mutex> lock(shared_->mutex);
    return shared_->dropped;
}

void StdoutLines::Write(std::shared_ptr<Shared> shared) {
    std::unique_lock<std::mutex> lock(shared->mutex);
    std::string text;
    for (;;) {
        shared->ready.wait(lock, [&] { return shared->stopping || !shared->waiting.empty(); });
        if (shared->stopping) return;
        // Everything that waits goes out in one write; the two texts trade
        // places, so neither is allocated again once it has grown.
        text.swap(shared->waiting);
        shared->waiting.clear();
        shared->waitingLines = 0;
        shared->writing = true;
        lock.unlock();
        size_t done = 0;
        while (done < text.size()) {
            const ssize_t n = ::write(STDOUT_FILENO, text.data() + done, text.size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;  // nobody reads any more: the lines are lost
            done += static_cast<size_t>(n);
        }
        lock.lock();
        shared->writing = false;
        if (shared->waiting.empty()) shared->drained.notify_all();
    }
}

}  // namespace ostrel::cli
