#pragma once
// The mark of a running copy: an exclusive lock on the file "MutexRunning". The
// kernel drops the lock when the process ends, however it ends.
#include <string>

namespace ostrel {

enum class InstanceCheck {
    First,           // this copy holds the lock
    AlreadyRunning,  // another copy holds it
    Failed,          // the lock file could not be opened
};

// $XDG_RUNTIME_DIR/MutexRunning, or /tmp/MutexRunning-<uid> without a runtime directory.
std::string SingleInstanceLockPath();

class SingleInstanceLock {
  public:
    SingleInstanceLock() = default;
    ~SingleInstanceLock();
    SingleInstanceLock(const SingleInstanceLock&) = delete;
    SingleInstanceLock& operator=(const SingleInstanceLock&) = delete;

    // Tries once, without waiting. On First the lock is kept until this object goes.
    InstanceCheck Acquire(const std::string& path);
    bool Held() const { return fd_ >= 0; }
    void Release();

  private:
    int fd_ = -1;
};

}  // namespace ostrel
