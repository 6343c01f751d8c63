#pragma once
// A short MIDI message as one small value: its bytes and its length. The one
// form of a short message everywhere: what the input gave and the output gets,
// the setlist's triggers, the ledger's entries and the monitor's records.
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>

#include "core/midi_bytes.h"

namespace ostrel {

namespace detail {
constexpr int LengthOfStatus(uint8_t status) {
    using namespace midi;
    if (!IsStatus(status) || status == kSystemExclusive) return 0;
    if (status < kProgramChange) return 3;
    if (status < kPitchBend) return 2;
    if (!IsSystem(status)) return 3;
    if (status == kSongPosition) return 3;
    if (status == kTimeCode || status == kSongSelect) return 2;
    return 1;
}
// Looked up for every message on the MIDI path: one load instead of a chain
// of comparisons.
inline constexpr auto kLengthOfStatus = [] {
    std::array<uint8_t, 256> lengths{};
    for (int s = 0; s < 256; ++s) lengths[s] = static_cast<uint8_t>(LengthOfStatus(uint8_t(s)));
    return lengths;
}();
}  // namespace detail

// The number of bytes that a message with this status byte has: 3 for note off
// and on, key pressure, control change, pitch bend and song position; 2 for
// program change, channel pressure, time code and song select; 1 for the other
// system messages. 0 for a data byte and for F0, which never travels as a short
// message.
constexpr int ShortMessageLength(uint8_t status) { return detail::kLengthOfStatus[status]; }

struct ShortMessage {
    uint8_t bytes[3] = {};  // status first; 0 past the message
    uint8_t length = 0;     // 0: no message (nothing goes out)

    uint8_t Status() const { return bytes[0]; }
    // Whether it came with fewer data bytes than its status implies.
    bool Incomplete() const { return length < ShortMessageLength(bytes[0]); }
    bool operator==(const ShortMessage&) const = default;
};
static_assert(sizeof(ShortMessage) == 4 && std::endian::native == std::endian::little);

// A message of three bytes at most, sized from its status (the bytes given
// when a status byte is missing or fewer came).
// Put together in a register: a value built byte by byte in memory and read
// back whole stalls the load for every message.
constexpr ShortMessage ReadShort(const uint8_t* bytes, size_t length) {
    const uint32_t n = length < 3 ? static_cast<uint32_t>(length) : 3;
    const uint32_t wanted = static_cast<uint32_t>(ShortMessageLength(bytes[0]));
    const uint32_t kept = wanted != 0 && wanted < n ? wanted : n;
    uint32_t value = kept << 24;
    if (n > 0) value |= bytes[0];
    if (n > 1) value |= uint32_t{bytes[1]} << 8;
    if (n > 2) value |= uint32_t{bytes[2]} << 16;
    return std::bit_cast<ShortMessage>(value);
}

// The message with these bytes, as many as its status implies; no message for
// a data byte or F0 in the status place.
constexpr ShortMessage MakeShort(uint8_t status, uint8_t data1 = 0, uint8_t data2 = 0) {
    const uint32_t length = static_cast<uint32_t>(ShortMessageLength(status));
    uint32_t value = length == 0 ? 0 : status | length << 24;
    if (length > 1) value |= uint32_t{data1} << 8;
    if (length > 2) value |= uint32_t{data2} << 16;
    return std::bit_cast<ShortMessage>(value);
}

// A short message as one 32-bit word: its bytes, then its length in the top
// byte. The MIDI path carries messages in this form: a struct of bytes that the
// compiler takes apart and puts back together in memory stalls the loads that
// follow it.
constexpr uint32_t WordOf(ShortMessage m) { return std::bit_cast<uint32_t>(m); }
constexpr ShortMessage MessageOf(uint32_t word) { return std::bit_cast<ShortMessage>(word); }
constexpr uint32_t LengthOf(uint32_t word) { return word >> 24; }

}  // namespace ostrel
