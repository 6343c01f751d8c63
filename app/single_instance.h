#pragma once
// The mark of a running copy: an exclusive lock on the file "MutexRunning". The
// kernel drops the lock when the process ends, however it ends.
#include <string>

namespace ostrel {

enum class InstanceCheck {
    First,           // this copy holds the lock
    AlreadyRunning,  // another copy holds it
    Failed,          // the lock file could not be opened
    Unsafe,          // a link, no regular file, or not the user's own: not used
};

// $XDG_RUNTIME_DIR/MutexRunning, or /tmp/MutexRunning-<uid> without a runtime directory.
std::string SingleInstanceLockPath();
// A folder of the user's own for the mark when the shared place cannot be used:
// $XDG_CACHE_HOME/ostrel, or ~/.cache/ostrel. Empty when there is no home.
std::string PrivateLockFolder();

class SingleInstanceLock {
  public:
    SingleInstanceLock() = default;
    ~SingleInstanceLock();
    SingleInstanceLock(const SingleInstanceLock&) = delete;
    SingleInstanceLock& operator=(const SingleInstanceLock&) = delete;

    // Tries once, without waiting. On First the lock is kept until this object goes.
    // The file is opened without following a symbolic link and used only when it
    // is a regular file of the user's own with no other name: a file that another
    // user planted in a shared folder is neither opened for them nor a block.
    InstanceCheck Acquire(const std::string& path);
    // Acquire on path; when that file is Unsafe, says so in notice and takes the
    // mark in privateFolder instead (made with mode 0700 when missing).
    InstanceCheck AcquireOrFallBack(const std::string& path, const std::string& privateFolder,
                                    std::string& notice);
    bool Held() const { return fd_ >= 0; }
    void Release();

  private:
    int fd_ = -1;
};

}  // namespace ostrel
