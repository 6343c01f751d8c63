#pragma once
// The MIDI bytes that Ostrel reads and writes, by name: status bytes, the
// controller numbers it treats specially, and small tests on a message's first
// bytes. Channel messages carry their channel (0..15) in the low four bits of the
// status byte; the names below are those of channel 1.
#include <cstdint>

namespace ostrel::midi {

// Channel messages (the kind in the high four bits).
inline constexpr uint8_t kNoteOff = 0x80;
inline constexpr uint8_t kNoteOn = 0x90;
inline constexpr uint8_t kKeyPressure = 0xA0;
inline constexpr uint8_t kControlChange = 0xB0;
inline constexpr uint8_t kProgramChange = 0xC0;
inline constexpr uint8_t kChannelPressure = 0xD0;
inline constexpr uint8_t kPitchBend = 0xE0;

// System messages.
inline constexpr uint8_t kSystemExclusive = 0xF0;
inline constexpr uint8_t kTimeCode = 0xF1;
inline constexpr uint8_t kSongPosition = 0xF2;
inline constexpr uint8_t kSongSelect = 0xF3;
inline constexpr uint8_t kEndOfExclusive = 0xF7;
inline constexpr uint8_t kTimingClock = 0xF8;
inline constexpr uint8_t kStart = 0xFA;
inline constexpr uint8_t kStop = 0xFC;
inline constexpr uint8_t kActiveSensing = 0xFE;

// Controller numbers.
inline constexpr uint8_t kModulationWheel = 0x01;
inline constexpr uint8_t kBreathControl = 0x02;
inline constexpr uint8_t kChannelVolume = 0x07;
inline constexpr uint8_t kPan = 0x0A;
inline constexpr uint8_t kExpression = 0x0B;
inline constexpr uint8_t kChannelVolumeFine = 0x27;
inline constexpr uint8_t kSustainPedal = 0x40;
inline constexpr uint8_t kSostenutoPedal = 0x42;
inline constexpr uint8_t kSoftPedal = 0x43;

// Values of a data byte: 0..127. A pedal at 64 or more is down.
inline constexpr uint8_t kMaxData = 0x7F;
inline constexpr uint8_t kPedalDown = 64;

constexpr bool IsStatus(uint8_t byte) { return byte >= 0x80; }
constexpr bool IsSystem(uint8_t status) { return status >= kSystemExclusive; }
// The kind of a channel message: its status on channel 1.
constexpr uint8_t KindOf(uint8_t status) { return status & 0xF0; }
constexpr int ChannelOf(uint8_t status) { return status & 0x0F; }
constexpr uint8_t OnChannel(uint8_t kind, int channel) {
    return static_cast<uint8_t>(KindOf(kind) | (channel & 0x0F));
}

constexpr bool IsControlChange(uint8_t status) { return KindOf(status) == kControlChange; }
constexpr bool IsPitchBend(uint8_t status) { return KindOf(status) == kPitchBend; }
constexpr bool IsChannelPressure(uint8_t status) { return KindOf(status) == kChannelPressure; }
// Notes. A note on with velocity 0 ends the note: IsNoteOnStatus tells the
// status, IsNoteOn and IsNoteOff the meaning (m: at least three bytes).
constexpr bool IsNoteOnStatus(uint8_t status) { return KindOf(status) == kNoteOn; }
// 80..9F: one mask and compare.
constexpr bool IsNote(uint8_t status) { return (status & 0xE0) == kNoteOff; }
constexpr bool IsChannelOneNote(uint8_t status) { return IsNote(status) && ChannelOf(status) == 0; }
constexpr bool IsNoteOn(const uint8_t* m) { return IsNoteOnStatus(m[0]) && m[2] != 0; }
constexpr bool IsNoteOff(const uint8_t* m) { return IsNote(m[0]) && !IsNoteOn(m); }

}  // namespace ostrel::midi
