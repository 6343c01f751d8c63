#include "cli/loop_wait.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

namespace ostrel::cli {

LoopWait::LoopWait(std::initializer_list<int> signals) {
    sigemptyset(&signals_);
    for (int signal : signals) sigaddset(&signals_, signal);
    pthread_sigmask(SIG_BLOCK, &signals_, nullptr);
    signalFd_ = signalfd(-1, &signals_, SFD_CLOEXEC | SFD_NONBLOCK);
    const int nudge = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (nudge >= 0)
        nudgeFd_ = std::shared_ptr<const int>(new int(nudge), [](const int* fd) {
            close(*fd);
            delete fd;
        });
    if (signalFd_ < 0 || nudge < 0)
        failure_ = std::string("cannot wait for signals: ") + std::strerror(errno);
}

LoopWait::~LoopWait() {
    if (signalFd_ >= 0) close(signalFd_);
}

std::function<void()> LoopWait::Nudger() const {
    return [fd = nudgeFd_] {
        if (!fd) return;
        const uint64_t one = 1;
        // Full (never in practice) means a nudge is pending anyway.
        [[maybe_unused]] const ssize_t written = write(*fd, &one, sizeof one);
    };
}

int LoopWait::Wait(int timeoutMs) {
    pollfd fds[2] = {{signalFd_, POLLIN, 0}, {nudgeFd_ ? *nudgeFd_ : -1, POLLIN, 0}};
    if (poll(fds, 2, timeoutMs) <= 0) return 0;
    if (fds[1].revents & POLLIN) {
        uint64_t count = 0;
        [[maybe_unused]] const ssize_t got = read(*nudgeFd_, &count, sizeof count);
    }
    signalfd_siginfo info{};
    if ((fds[0].revents & POLLIN) && read(signalFd_, &info, sizeof info) == sizeof info)
        return static_cast<int>(info.ssi_signo);
    return 0;
}

void LoopWait::Unblock() { pthread_sigmask(SIG_UNBLOCK, &signals_, nullptr); }

}  // namespace ostrel::cli
