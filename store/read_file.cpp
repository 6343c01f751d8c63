#include "store/read_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>

#include "store/in_place_write.h"

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

int OpenRegularFile(const std::string& path, std::string* why, bool* missing) {
    if (missing) *missing = false;
    // O_NONBLOCK: a pipe is looked at, not waited on; it changes nothing for a
    // regular file.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0) {
        const int error = errno;
        if (missing) *missing = fd < 0 && (error == ENOENT || error == ENOTDIR);
        if (why) *why = std::strerror(error);
        if (fd >= 0) ::close(fd);
        return -1;
    }
    if (!S_ISREG(st.st_mode)) {
        if (why) *why = kNotRegularFile;
        ::close(fd);
        return -1;
    }
    return fd;
}

bool ReadRegularFileStart(const std::string& path, size_t limit, std::string& content,
                          std::string* why) {
    content.clear();
    const int fd = OpenRegularFile(path, why);
    if (fd < 0) return false;
    const bool ok = ReadUpTo(fd, limit, content);
    if (!ok) {
        if (why) *why = std::strerror(errno);
        content.clear();
    }
    ::close(fd);
    return ok;
}

bool ReadStoredFile(const std::string& path, std::string& content, std::string* why,
                    bool* missing) {
    content.clear();
    const int fd = OpenRegularFile(path, why, missing);
    if (fd < 0) return false;
    const char* failure = nullptr;
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        failure = std::strerror(errno);
    } else if (static_cast<uint64_t>(st.st_size) > InPlaceWriteLimit(kMaxStoredFileSize) ||
               (static_cast<uint64_t>(st.st_size) > kMaxStoredFileSize &&
                !EndsWithInPlaceJournal(fd, static_cast<uint64_t>(st.st_size)))) {
        // An unfinished in-place write of a file within the limit may hold more.
        failure = "larger than 1 MB";
    } else if (!ReadUpTo(fd, static_cast<size_t>(st.st_size), content)) {
        failure = std::strerror(errno);
    }
    ::close(fd);
    if (failure != nullptr) {
        content.clear();
        if (why) *why = failure;
        return false;
    }
    SettleInPlaceWrite(path, content);
    if (content.size() > kMaxStoredFileSize) {
        content.clear();
        if (why) *why = "larger than 1 MB";
        return false;
    }
    return true;
}

}  // namespace ostrel
