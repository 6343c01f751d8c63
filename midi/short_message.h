#pragma once
// Short MIDI messages packed into one 32-bit value: status in the lowest byte,
// then data byte 1, then data byte 2.
#include <cstddef>
#include <cstdint>

#include "core/midi_bytes.h"

namespace ostrel {

// The number of bytes that a message with this status byte has: 3 for note off
// and on, key pressure, control change, pitch bend and song position; 2 for
// program change, channel pressure, time code and song select; 1 for the other
// system messages. 0 for a data byte and for F0, which never travels as a short
// message.
constexpr int ShortMessageLength(uint8_t status) {
    using namespace midi;
    if (!IsStatus(status) || status == kSystemExclusive) return 0;
    if (status < kProgramChange) return 3;
    if (status < kPitchBend) return 2;
    if (!IsSystem(status)) return 3;
    if (status == kSongPosition) return 3;
    if (status == kTimeCode || status == kSongSelect) return 2;
    return 1;
}

// Packs up to the first three bytes; missing bytes are 0.
constexpr uint32_t PackShort(const uint8_t* bytes, size_t length) {
    uint32_t packed = 0;
    for (size_t i = 0; i < length && i < 3; ++i) packed |= uint32_t{bytes[i]} << (8 * i);
    return packed;
}

constexpr uint8_t PackedByte(uint32_t packed, int index) {
    return static_cast<uint8_t>(packed >> (8 * index));
}

}  // namespace ostrel
