#include "store/read_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>

namespace ostrel {

bool ReadUpTo(int fd, size_t limit, std::string& content) {
    char chunk[65536];
    while (content.size() < limit) {
        const size_t want = std::min(sizeof chunk, limit - content.size());
        const ssize_t n = ::read(fd, chunk, want);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) break;
        content.append(chunk, static_cast<size_t>(n));
    }
    return true;
}

bool ReadFileStart(const std::string& path, size_t limit, std::string& content, bool* missing) {
    content.clear();
    if (missing) *missing = false;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (missing) *missing = (errno == ENOENT || errno == ENOTDIR);
        return false;
    }
    const bool ok = ReadUpTo(fd, limit, content);
    ::close(fd);
    if (!ok) content.clear();
    return ok;
}

bool ReadWholeFile(const std::string& path, std::string& content, bool* missing) {
    return ReadFileStart(path, SIZE_MAX, content, missing);
}

bool ReadRegularFile(const std::string& path, std::string& content, std::string* why) {
    content.clear();
    // Opened without blocking, so that a pipe is looked at, not waited on; the flag
    // changes nothing for a regular file.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    const char* failure = nullptr;
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0)
        failure = std::strerror(errno);
    else if (!S_ISREG(st.st_mode))
        failure = "not a regular file";
    else if (!ReadUpTo(fd, SIZE_MAX, content))
        failure = std::strerror(errno);
    if (fd >= 0) ::close(fd);
    if (failure == nullptr) return true;
    content.clear();
    if (why) *why = failure;
    return false;
}

}  // namespace ostrel
