#include "cli/syx_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "midi/sysex_transmit.h"
#include "store/read_file.h"

namespace ostrel::cli {

std::string ReadSyxFileStart(const char* path, std::string& content) {
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    std::string why;
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0)
        why = std::strerror(errno);
    else if (!S_ISREG(st.st_mode))
        why = "not a regular file";
    else if (!ReadUpTo(fd, kTransmitBufferSize / 2 + 1, content))
        why = std::strerror(errno);
    if (fd >= 0) ::close(fd);
    return why;
}

}  // namespace ostrel::cli
