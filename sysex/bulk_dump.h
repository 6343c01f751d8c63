#pragma once
// The bulk dump: the 59-byte System Exclusive message that says which controller
// number each knob, fader, sustain and breath input sends. Dumps are held as hex
// text ("%02X " per byte) and stored raw in .syx files.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "store/hex_text.h"
#include "sysex/dump_header.h"

namespace ostrel {

// A new dump: 59 bytes of hex text, without a blank after the final F7.
inline constexpr const char* kDumpTemplateText =
    "F0 00 5A 52 4B 0B 02 0B 02 00 20 0B 0B 0B 0B 0B 02 00 20 "
    "0B 0B 0B 0B 0B 02 00 20 0B 0B 0B 0B 0B 0B 0B 0B 0B 0B 0B "
    "0B 0B 0B 0B 0B 0B 0B 0B 0B 0B 0B 0B 0B 0B 0B 0B 0B 0B 0B "
    "0B F7";

// A .syx file is read up to this many bytes.
inline constexpr int kSyxReadLimit = 256;

// One of the nineteen editable bytes, in the order both dump dialogs show them.
struct DumpField {
    const char* label;   // dialog label: "Sustain", "B.C.", "Knob1", ..., "Fader8"
    int offset;          // byte offset in the dump
    int sendListId;      // list control of the send dialog
    int receiveFieldId;  // field control of the receive dialog
    int templateValue;   // controller number in the template
};

inline constexpr int kDumpFieldCount = 19;
inline constexpr std::array<DumpField, kDumpFieldCount> kDumpFields = {{
    {"Sustain", 5, 1104, 1020, 11}, {"B.C.", 6, 1055, 1021, 2},      {"Knob1", 7, 1046, 1003, 11},
    {"Knob2", 8, 1077, 1004, 2},    {"Knob3", 9, 1078, 1005, 0},     {"Knob4", 10, 1079, 1006, 32},
    {"Knob5", 11, 1080, 1007, 11},  {"Knob6", 12, 1081, 1008, 11},   {"Knob7", 13, 1082, 1009, 11},
    {"Knob8", 14, 1083, 1010, 11},  {"Fader.M", 31, 1102, 1019, 11}, {"Fader1", 32, 1093, 1011, 11},
    {"Fader2", 33, 1094, 1012, 11}, {"Fader3", 34, 1095, 1013, 11},  {"Fader4", 35, 1096, 1014, 11},
    {"Fader5", 36, 1097, 1015, 11}, {"Fader6", 37, 1098, 1016, 11},  {"Fader7", 38, 1099, 1017, 11},
    {"Fader8", 39, 1100, 1018, 11},
}};

// The byte of a field, 0..255, or nothing when the data ends before its offset.
std::optional<int> ReadDumpField(const uint8_t* bytes, size_t length, const DumpField& field);

// Sets the byte at offset to value in a dump held as hex text and formats the text
// again; the byte count stays as it was. On any result but Ok the text is unchanged.
enum class DumpEditResult {
    Ok,
    PastEnd,   // the message ends before offset: nothing to change
    TooLong,   // the text does not fit the 256-byte buffers: refused
    BadText,   // an odd number of digits
    BadValue,  // value outside 0..255
};
DumpEditResult SetDumpByte(std::string& hexText, int offset, int value);

// .syx files: the raw bytes of one message.
enum class SyxReadResult {
    Ok,
    ReadFailure,  // the file could not be opened or read
    BadHeader,    // the first five bytes are not the dump header (bytes still given)
    TooLong,      // a dump of more than 128 bytes: its hex text would not fit the
                  // 256-byte buffers (bytes still given, at most 256)
};
// Reads at most the first 256 bytes of the file into bytes. BadHeader is checked
// before TooLong. Only a regular file is read, opened without waiting; the reason
// of a ReadFailure is in why ("not a regular file", or the system's words).
SyxReadResult ReadSyxFile(const std::string& path, std::vector<uint8_t>& bytes,
                          std::string* why = nullptr);

enum class SyxWriteResult {
    Ok,
    WriteFailure,  // the file could not be written; an old file of that name is intact
    TooLong,       // the text does not fit the 256-byte buffers: nothing written
    BadText,       // an odd number of digits: nothing written
};
// Writes exactly the bytes of the hex text, replacing the file in one crash-safe step
// (see WriteFileAtomically: a pipe or a device is refused, never replaced). The
// reason of a WriteFailure is in why.
SyxWriteResult WriteSyxFile(const std::string& path, const std::string& hexText,
                            std::string* why = nullptr);
SyxWriteResult WriteSyxBytes(const std::string& path, const uint8_t* bytes, size_t count,
                             std::string* why = nullptr);

}  // namespace ostrel
