#pragma once
// A mixed stream of what the keyboard sends (knobs, faders, notes, pressure,
// wheels, transport, clock, System Exclusive), in fixed arrays so that playing
// it allocates nothing, and a table that a player would use to play it through.
#include <cstddef>
#include <cstdint>

#include "core/assignment_table.h"
#include "curves/current_curve.h"

namespace ostrel::test {

inline constexpr uint8_t kMixedShorts[][3] = {
    {0xB0, 0x4A, 0x10}, {0xB3, 0x47, 0x20}, {0xB2, 0x07, 0x30}, {0xB0, 0x27, 0x40},
    {0x90, 60, 0x40},   {0x80, 60, 0x40},   {0x90, 61, 0x33},   {0x90, 62, 0x33},
    {0x91, 64, 0x50},   {0xD0, 0x45, 0},    {0xD7, 0x12, 0},    {0xE0, 0x00, 0x40},
    {0xF8, 0, 0},       {0xFA, 0, 0},       {0xFC, 0, 0},       {0xF2, 0x10, 0x00},
    {0xF2, 0x08, 0x00}, {0xF2, 0x00, 0x00}, {0xFE, 0, 0},       {0xC0, 0x05, 0},
    {0xA0, 0x3C, 0x10}, {0xB5, 0x55, 0x10}, {0xF6, 0, 0},       {0x80, 61, 0x20},
    {0x90, 62, 0x00},   {0xB0, 0x40, 0x7F}, {0xB0, 0x40, 0x00},
};
inline constexpr uint8_t kMixedSysEx[][11] = {
    {0xF0, 0x7F, 0x7F, 0x04, 0x01, 0x7F, 0x64, 0xF7},
    {0xF0, 0x7F, 0x00, 0x06, 0x06, 0xF7},
    {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7},
    {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7},
    {0xF0, 0x00, 0x5A, 0x52, 0x4B, 0x0B, 0xF7},
};
inline constexpr int kMixedSysExLength[] = {8, 6, 6, 11, 7};

// Knobs moved to other controllers and one off, a fader off, the master fader
// moved, some keys turned into switches and one off, a velocity and a touch
// curve, an output channel.
inline void SetUpPlayersTable(AssignmentTable& table, CurrentCurves& curves) {
    table.Set(Entry::KNOB01, "074");
    table.Set(Entry::KNOB02, "###");
    table.Set(Entry::VOL03, "###");
    table.Set(Entry::VOLM, "007");
    table.Set(Entry::PITCH, "001");
    table.Set(Entry::CHANEL, "003");
    for (int note = 48; note < 61; ++note) table.SetNote(note, "064");
    table.SetNote(62, "###");
    curves.Of(CurveKind::Velocity).SetAll(CurvePoints{64, 128, 192, 32, 256, 256});
    curves.Of(CurveKind::Touch).SetAll(CurvePoints{32, 200, 220, 40, 256, 256});
}

}  // namespace ostrel::test
