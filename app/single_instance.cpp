#include "app/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace ostrel {

std::string SingleInstanceLockPath() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime) return std::string(runtime) + "/MutexRunning";
    return "/tmp/MutexRunning-" + std::to_string(getuid());
}

SingleInstanceLock::~SingleInstanceLock() { Release(); }

InstanceCheck SingleInstanceLock::Acquire(const std::string& path) {
    Release();
    // O_CLOEXEC: a program started from here (the help page viewer) must not
    // inherit the lock and keep it after this copy has ended.
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return InstanceCheck::Failed;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int err = errno;
        close(fd);
        return err == EWOULDBLOCK ? InstanceCheck::AlreadyRunning : InstanceCheck::Failed;
    }
    fd_ = fd;
    return InstanceCheck::First;
}

void SingleInstanceLock::Release() {
    if (fd_ < 0) return;
    close(fd_);  // closing the only descriptor drops the lock
    fd_ = -1;
}

}  // namespace ostrel
