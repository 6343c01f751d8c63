#include "sysex/bulk_dump.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <string_view>

#include "store/atomic_file.h"
#include "store/hex_text.h"

namespace ostrel {

std::optional<int> ReadDumpField(const uint8_t* bytes, size_t length, const DumpField& field) {
    if (!bytes || field.offset < 0 || static_cast<size_t>(field.offset) >= length)
        return std::nullopt;
    return bytes[field.offset];
}

DumpEditResult SetDumpByte(std::string& hexText, int offset, int value) {
    if (value < 0 || value > 255) return DumpEditResult::BadValue;
    std::vector<uint8_t> bytes;
    switch (HexTextToByteVector(hexText, bytes)) {
        case HexParseResult::TooLong:
            return DumpEditResult::TooLong;
        case HexParseResult::OddLength:
            return DumpEditResult::BadText;
        case HexParseResult::Ok:
            break;
    }
    if (offset < 0 || static_cast<size_t>(offset) >= bytes.size()) return DumpEditResult::PastEnd;
    bytes[offset] = static_cast<uint8_t>(value);
    hexText = FormatHexText(bytes.data(), bytes.size());
    return DumpEditResult::Ok;
}

SyxReadResult ReadSyxFile(const std::string& path, std::vector<uint8_t>& bytes) {
    bytes.clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return SyxReadResult::ReadFailure;
    uint8_t buffer[kSyxReadLimit];
    size_t got = 0;
    bool ok = true;
    while (got < sizeof buffer) {
        const ssize_t n = ::read(fd, buffer + got, sizeof buffer - got);
        if (n < 0) {
            if (errno == EINTR) continue;
            ok = false;
            break;
        }
        if (n == 0) break;
        got += static_cast<size_t>(n);
    }
    ::close(fd);
    if (!ok) return SyxReadResult::ReadFailure;
    bytes.assign(buffer, buffer + got);
    if (!StartsWithDumpHeader(bytes.data(), bytes.size())) return SyxReadResult::BadHeader;
    return got > static_cast<size_t>(kHexTextMaxBytes) ? SyxReadResult::TooLong : SyxReadResult::Ok;
}

SyxWriteResult WriteSyxFile(const std::string& path, const std::string& hexText) {
    std::vector<uint8_t> bytes;
    switch (HexTextToByteVector(hexText, bytes)) {
        case HexParseResult::TooLong:
            return SyxWriteResult::TooLong;
        case HexParseResult::OddLength:
            return SyxWriteResult::BadText;
        case HexParseResult::Ok:
            break;
    }
    return WriteSyxBytes(path, bytes.data(), bytes.size());
}

SyxWriteResult WriteSyxBytes(const std::string& path, const uint8_t* bytes, size_t count) {
    const std::string_view content(reinterpret_cast<const char*>(bytes), bytes ? count : 0);
    return WriteFileAtomically(path, content) ? SyxWriteResult::Ok : SyxWriteResult::WriteFailure;
}

}  // namespace ostrel
