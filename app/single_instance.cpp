#include "app/single_instance.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace ostrel {
namespace {

constexpr const char* kMarkName = "MutexRunning";

bool IsOwnPlainFile(const struct stat& st) {
    return S_ISREG(st.st_mode) && st.st_uid == geteuid() && st.st_nlink == 1;
}

// Makes folder and the folders above it that are missing, each of mode 0700, and
// accepts it only as a folder of the user's own that is no symbolic link.
bool MakePrivateFolder(const std::string& folder) {
    for (size_t slash = folder.find('/', 1); slash != std::string::npos;
         slash = folder.find('/', slash + 1))
        mkdir(folder.substr(0, slash).c_str(), 0700);
    mkdir(folder.c_str(), 0700);
    struct stat st;
    return lstat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == geteuid();
}

}  // namespace

std::string SingleInstanceLockPath() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime) return std::string(runtime) + "/" + kMarkName;
    return "/tmp/MutexRunning-" + std::to_string(getuid());
}

std::string PrivateLockFolder() {
    const char* cache = std::getenv("XDG_CACHE_HOME");
    if (cache && cache[0] == '/') return std::string(cache) + "/ostrel";
    const char* home = std::getenv("HOME");
    if (!home || home[0] != '/') {
        const passwd* user = getpwuid(getuid());
        home = user ? user->pw_dir : nullptr;
    }
    if (!home || home[0] != '/') return {};
    return std::string(home) + "/.cache/ostrel";
}

SingleInstanceLock::~SingleInstanceLock() { Release(); }

InstanceCheck SingleInstanceLock::Acquire(const std::string& path) {
    Release();
    // O_CLOEXEC: a program started from here (the help page viewer) must not
    // inherit the lock and keep it after this copy has ended. O_NONBLOCK: a FIFO
    // planted there does not hold the start.
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    struct stat st;
    if (fd < 0) {
        // Something that is there but cannot be opened (a link, another user's
        // file in a sticky folder) is no mark of ours.
        return lstat(path.c_str(), &st) == 0 && !IsOwnPlainFile(st) ? InstanceCheck::Unsafe
                                                                    : InstanceCheck::Failed;
    }
    if (fstat(fd, &st) != 0 || !IsOwnPlainFile(st)) {
        close(fd);
        return InstanceCheck::Unsafe;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int err = errno;
        close(fd);
        return err == EWOULDBLOCK ? InstanceCheck::AlreadyRunning : InstanceCheck::Failed;
    }
    fd_ = fd;
    return InstanceCheck::First;
}

InstanceCheck SingleInstanceLock::AcquireOrFallBack(const std::string& path,
                                                    const std::string& privateFolder,
                                                    std::string& notice) {
    const InstanceCheck shared = Acquire(path);
    if (shared != InstanceCheck::Unsafe) return shared;
    notice = path + " is not a regular file of this user";
    if (privateFolder.empty() || !MakePrivateFolder(privateFolder)) return InstanceCheck::Failed;
    const std::string own = privateFolder + "/" + kMarkName;
    notice += "; using " + own + " instead";
    const InstanceCheck check = Acquire(own);
    return check == InstanceCheck::Unsafe ? InstanceCheck::Failed : check;
}

void SingleInstanceLock::Release() {
    if (fd_ < 0) return;
    close(fd_);  // closing the only descriptor drops the lock
    fd_ = -1;
}

}  // namespace ostrel
