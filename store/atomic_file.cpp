#include "store/atomic_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

#include "store/in_place_write.h"
#include "store/read_file.h"

namespace ostrel {
namespace {

std::atomic<unsigned> tempCounter{0};

constexpr std::string_view kTempSuffix = ".tmp";

std::string FolderOf(const std::string& path);

// The file that a write to path really replaces: the end of a chain of symbolic
// links, followed by what each link says even where its target does not exist
// (yet), so that a link is never replaced itself. Empty, with errno ELOOP, for
// links that go round.
std::string ResolveTarget(const std::string& path) {
    std::string current = path;
    for (int hops = 0; hops < 40; ++hops) {
        char link[PATH_MAX];
        const ssize_t n = ::readlink(current.c_str(), link, sizeof link);
        if (n < 0 || static_cast<size_t>(n) >= sizeof link) return current;
        const std::string target(link, static_cast<size_t>(n));
        current = target.front() == '/' ? target : FolderOf(current) + "/" + target;
    }
    errno = ELOOP;
    return {};
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string BaseNameOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool StartsWith(std::string_view s, std::string_view prefix) {
    return s.substr(0, prefix.size()) == prefix;
}

bool EndsWith(std::string_view s, std::string_view suffix) {
    return s.size() >= suffix.size() && s.substr(s.size() - suffix.size()) == suffix;
}

// The temporary files of one target share a prefix made from its name: short
// whatever the length of that name, and different for the files of one folder.
std::string TempPrefix(const std::string& baseName) {
    uint32_t hash = 2166136261u;  // FNV-1a
    for (const char c : baseName) hash = (hash ^ static_cast<uint8_t>(c)) * 16777619u;
    char text[24];
    std::snprintf(text, sizeof text, ".ostrel-%08x-", static_cast<unsigned>(hash));
    return text;
}

// True while the file open as fd is still the one named path.
bool StillNamed(int fd, const std::string& path) {
    struct stat open, named;
    return fstat(fd, &open) == 0 && lstat(path.c_str(), &named) == 0 &&
           open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}

// Removes a leftover temporary file of our own, unless a write still holds its
// lock (the kernel dropped the lock of a write that was killed).
void RemoveIfAbandoned(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return;
    struct stat st;
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == geteuid() &&
        flock(fd, LOCK_EX | LOCK_NB) == 0 && StillNamed(fd, path))
        ::unlink(path.c_str());
    ::close(fd);
}

// Earlier versions named their temporary files ".NAME.tmp-PID-N" and did not lock
// them: such a file is abandoned once its process has ended.
bool WriterHasEnded(std::string_view pidAndCounter) {
    long pid = 0;
    size_t i = 0;
    while (i < pidAndCounter.size() && i < 10 && pidAndCounter[i] >= '0' && pidAndCounter[i] <= '9')
        pid = pid * 10 + (pidAndCounter[i++] - '0');
    if (i == 0 || i >= pidAndCounter.size() || pidAndCounter[i] != '-' || pid <= 0 || pid > INT_MAX)
        return false;
    return ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

// Whether name is one of our temporary files: ".ostrel-XXXXXXXX-PID-N.tmp".
bool IsTempName(std::string_view name) {
    constexpr std::string_view kStart = ".ostrel-";
    if (!StartsWith(name, kStart) || !EndsWith(name, kTempSuffix) ||
        name.size() < kStart.size() + 9 + kTempSuffix.size())
        return false;
    const std::string_view hash = name.substr(kStart.size(), 8);
    return hash.find_first_not_of("0123456789abcdef") == std::string_view::npos &&
           name[kStart.size() + 8] == '-';
}

// Removes what killed writes left in the folder: our temporary files of any
// target, and those of earlier versions for this one (baseName; may be empty).
void RemoveLeftovers(const std::string& folder, const std::string& baseName) {
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return;
    const std::string earlierPrefix = "." + baseName + ".tmp-";
    std::vector<std::string> abandoned;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (IsTempName(name) || (!baseName.empty() && StartsWith(name, earlierPrefix) &&
                                 WriterHasEnded(name.substr(earlierPrefix.size()))))
            abandoned.push_back(folder + "/" + std::string(name));
    }
    ::closedir(dir);
    for (const std::string& path : abandoned) RemoveIfAbandoned(path);
}

// A new temporary file in folder, locked until it is closed so that no other
// write takes it for a leftover. -1 with errno set when the folder takes none.
int CreateTempFile(const std::string& folder, const std::string& baseName, std::string& temp) {
    const std::string prefix =
        folder + "/" + TempPrefix(baseName) + std::to_string(::getpid()) + "-";
    for (int attempt = 0; attempt < 100; ++attempt) {
        temp = prefix + std::to_string(tempCounter.fetch_add(1)) + std::string(kTempSuffix);
        const int fd =
            ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            return -1;
        }
        // Another write may have removed the file as a leftover before it was locked.
        // Where the file system has no locks, nobody removes it either.
        if (::flock(fd, LOCK_EX) != 0 || StillNamed(fd, temp)) return fd;
        ::close(fd);
    }
    errno = EEXIST;
    return -1;
}

// Gives the new file the old one's owner and group; false when the system does
// not permit it (the saver is not root and the file is another user's).
bool KeepOwner(int fd, const struct stat& old) {
    if (::fchown(fd, old.st_uid, old.st_gid) == 0) return true;
    struct stat now;
    return fstat(fd, &now) == 0 && now.st_uid == old.st_uid && now.st_gid == old.st_gid;
}

// Extended attributes by name: user attributes, and the access control list
// (system.posix_acl_access) that setfacl gives a file.
using Attributes = std::vector<std::pair<std::string, std::string>>;

// Names in the form the system lists them: each ends with a NUL.
std::vector<std::string> SplitNames(const std::string& list) {
    std::vector<std::string> names;
    for (size_t at = 0; at < list.size();) {
        const size_t end = list.find('\0', at);
        names.push_back(list.substr(at, end - at));
        at = end == std::string::npos ? list.size() : end + 1;
    }
    return names;
}

// The attributes of the open file; false when they cannot be read whole. A file
// system without attributes has none.
bool ReadAttributes(int fd, Attributes& attributes) {
    attributes.clear();
    std::string list(256, '\0');
    ssize_t n;
    while ((n = ::flistxattr(fd, list.data(), list.size())) < 0) {
        if (errno == ENOTSUP) return true;
        if (errno != ERANGE) return false;
        list.resize(list.size() * 4);
    }
    list.resize(static_cast<size_t>(n));
    for (std::string& name : SplitNames(list)) {
        std::string value(256, '\0');
        while ((n = ::fgetxattr(fd, name.c_str(), value.data(), value.size())) < 0) {
            if (errno != ERANGE) return false;
            value.resize(value.size() * 4);
        }
        value.resize(static_cast<size_t>(n));
        attributes.emplace_back(std::move(name), std::move(value));
    }
    return true;
}

// Gives the new file exactly the old one's attributes: what it took from its
// folder (a default ACL) is removed. False when the system does not permit it.
bool KeepAttributes(int fd, const std::string& old) {
    const int oldFd = ::open(old.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    Attributes wanted, had;
    const bool read = oldFd >= 0 && ReadAttributes(oldFd, wanted);
    if (oldFd >= 0) ::close(oldFd);
    if (!read || !ReadAttributes(fd, had)) return false;
    for (const auto& [name, value] : had) {
        const bool kept = std::any_of(wanted.begin(), wanted.end(),
                                      [&name = name](const auto& a) { return a.first == name; });
        if (!kept && ::fremovexattr(fd, name.c_str()) != 0) return false;
    }
    for (const auto& [name, value] : wanted)
        if (::fsetxattr(fd, name.c_str(), value.data(), value.size(), 0) != 0) return false;
    return true;
}

bool WriteAll(int fd, std::string_view content) {
    const char* p = content.data();
    size_t left = content.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
    return true;
}

// Makes the rename itself durable; a failure here does not undo the write.
void SyncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

bool WriteFileAtomically(const std::string& path, std::string_view content, std::string* why) {
    const auto fail = [why](int error) {
        if (why) *why = std::strerror(error);
        return false;
    };
    if (path.empty()) return fail(ENOENT);
    const std::string target = ResolveTarget(path);
    if (target.empty()) return fail(errno);
    const std::string folder = FolderOf(target), baseName = BaseNameOf(target);
    // A file the user made read-only is not replaced behind their back (the rename
    // alone would succeed, as it only needs the folder to be writable).
    if (::access(target.c_str(), F_OK) == 0 && ::access(target.c_str(), W_OK) != 0)
        return fail(errno);
    struct stat old;
    const bool replacing = ::stat(target.c_str(), &old) == 0;
    const bool regular = replacing && S_ISREG(old.st_mode);
    // A pipe, a device or a socket is never replaced by a regular file (nor
    // opened, which could wait for a reader).
    if (replacing && !regular) {
        if (why) *why = S_ISDIR(old.st_mode) ? std::strerror(EISDIR) : kNotRegularFile;
        return false;
    }
    if (regular && old.st_nlink > 1) return WriteInPlace(target, content, why);

    RemoveLeftovers(folder, baseName);
    // A name of our own in the same folder (rename only works within one file
    // system); O_EXCL makes sure no other file is ever overwritten.
    std::string temp;
    const int fd = CreateTempFile(folder, baseName, temp);
    if (fd < 0) {
        const int error = errno;
        return regular ? WriteInPlace(target, content, why) : fail(error);
    }
    // A replaced file keeps its owner and group, its extended attributes (an ACL
    // among them) and its mode: where the new file cannot have them (another
    // user's file in a shared folder, an attribute we may not set) the file is
    // written in place, which keeps them all. The attributes follow the owner (a
    // change of owner clears some of them), the mode comes last (a change of
    // owner clears set-id bits; with an ACL, the mode's group bits are its mask).
    // A new file gets 0666 less the umask.
    if (replacing) {
        if (!KeepOwner(fd, old) || !KeepAttributes(fd, target)) {
            ::unlink(temp.c_str());
            ::close(fd);
            return WriteInPlace(target, content, why);
        }
        ::fchmod(fd, old.st_mode & 07777);
    }

    // The file stays open, and so locked, until it has its final name.
    int error = 0;
    if (!WriteAll(fd, content) || ::fsync(fd) != 0 || ::rename(temp.c_str(), target.c_str()) != 0)
        error = errno;
    if (error != 0) ::unlink(temp.c_str());
    ::close(fd);
    if (error != 0) {
        // A folder may take new files but refuse a rename over this one (a sticky
        // folder and another user's file).
        if (regular && (error == EACCES || error == EPERM))
            return WriteInPlace(target, content, why);
        return fail(error);
    }
    SyncFolder(folder);
    return true;
}

void RemoveLeftoverTempFiles(const std::string& folder) {
    RemoveLeftovers(folder.empty() ? "." : folder, "");
}

bool CanWriteFile(const std::string& path, std::string* why) {
    const auto refuse = [why](int error) {
        if (why) *why = std::strerror(error);
        return false;
    };
    if (path.empty()) return refuse(ENOENT);
    const std::string target = ResolveTarget(path);
    if (target.empty()) return refuse(errno);
    struct stat st;
    const bool exists = ::stat(target.c_str(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode)) return refuse(EISDIR);
    if (exists && !S_ISREG(st.st_mode)) {
        if (why) *why = kNotRegularFile;
        return false;
    }
    if (exists && ::access(target.c_str(), W_OK) != 0) return refuse(errno);
    // A temporary file made and removed, as the write will make one.
    std::string temp;
    const int fd = CreateTempFile(FolderOf(target), BaseNameOf(target), temp);
    if (fd >= 0) {
        ::unlink(temp.c_str());
        ::close(fd);
        return true;
    }
    const int error = errno;
    if (exists && S_ISREG(st.st_mode)) {
        const int file = ::open(target.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC);
        if (file >= 0) {
            ::close(file);
            return true;
        }
    }
    return refuse(error);
}

}  // namespace ostrel
