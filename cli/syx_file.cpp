#include "cli/syx_file.h"

#include "midi/sysex_transmit.h"
#include "store/read_file.h"

namespace ostrel::cli {

std::string ReadSyxFileStart(const char* path, std::string& content) {
    std::string why;
    if (!ReadRegularFileStart(path, kTransmitBufferSize / 2 + 1, content, &why)) return why;
    return "";
}

}  // namespace ostrel::cli
