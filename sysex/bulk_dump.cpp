#include "sysex/bulk_dump.h"

#include <string_view>

#include "store/atomic_file.h"
#include "store/hex_text.h"
#include "store/read_file.h"

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

SyxReadResult ReadSyxFile(const std::string& path, std::vector<uint8_t>& bytes, std::string* why) {
    bytes.clear();
    std::string content;
    if (!ReadRegularFileStart(path, kSyxReadLimit, content, why)) return SyxReadResult::ReadFailure;
    bytes.assign(content.begin(), content.end());
    if (!StartsWithDumpHeader(bytes.data(), bytes.size())) return SyxReadResult::BadHeader;
    return bytes.size() > static_cast<size_t>(kHexTextMaxBytes) ? SyxReadResult::TooLong
                                                                : SyxReadResult::Ok;
}

SyxWriteResult WriteSyxFile(const std::string& path, const std::string& hexText, std::string* why) {
    std::vector<uint8_t> bytes;
    switch (HexTextToByteVector(hexText, bytes)) {
        case HexParseResult::TooLong:
            return SyxWriteResult::TooLong;
        case HexParseResult::OddLength:
            return SyxWriteResult::BadText;
        case HexParseResult::Ok:
            break;
    }
    return WriteSyxBytes(path, bytes.data(), bytes.size(), why);
}

SyxWriteResult WriteSyxBytes(const std::string& path, const uint8_t* bytes, size_t count,
                             std::string* why) {
    const std::string_view content(reinterpret_cast<const char*>(bytes), bytes ? count : 0);
    return WriteFileAtomically(path, content, why) ? SyxWriteResult::Ok
                                                   : SyxWriteResult::WriteFailure;
}

}  // namespace ostrel
