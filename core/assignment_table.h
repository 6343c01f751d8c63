#pragma once
// The one record of all assignments: 50 control entries, the 256-cell note map
// and the two curve choices. Each cell is one atomic 32-bit word holding the
// code's three characters and a fourth byte of no meaning, so the MIDI thread
// always reads a whole code while the window writes one. Beside each cell, the
// code's meaning is decided once when it is written, so that the engine reads
// it with one load instead of reading the characters for every message.
#include <array>
#include <atomic>
#include <cstdint>
#include <functional>

#include "core/assignment_code.h"
#include "core/code_rule.h"

namespace ostrel {

// Control entries in table order, then the two curve choices. The names are also
// the section names of configuration files.
// clang-format off
enum class Entry : int {
    KNOB01, KNOB02, KNOB03, KNOB04, KNOB05, KNOB06, KNOB07, KNOB08,
    VOLM,
    VOL01, VOL02, VOL03, VOL04, VOL05, VOL06, VOL07, VOL08,
    VOL09, VOL10, VOL11, VOL12, VOL13, VOL14, VOL15, VOL16,
    DRAWBARM, DRAWBAR1, DRAWBAR2, DRAWBAR3, DRAWBAR4, DRAWBAR5, DRAWBAR6, DRAWBAR7, DRAWBAR8,
    RTZ, REW, FF, REC, STOP, PLAY,
    PITCH, MODULATION, SUSTAIN, CONTROL, BC,
    GMON, XGON, GSON, ACTIVE, CHANEL,
    TOUCH, CURVE,
};
// clang-format on

inline constexpr int kControlEntryCount = 50;  // KNOB01 .. CHANEL
inline constexpr int kEntryCount = 52;         // plus TOUCH and CURVE
inline constexpr int kNoteMapSize = 256;

// "KNOB01", ... "CHANEL", "TOUCH", "CURVE".
const char* EntryName(Entry e);
// Default code of an entry: "115".."119"/"114" for the transport buttons, else "***".
const char* EntryDefault(Entry e);
inline constexpr Entry EntryAt(int i) { return static_cast<Entry>(i); }

class AssignmentTable {
  public:
    AssignmentTable() { ResetToDefaults(); }
    AssignmentTable(const AssignmentTable&) = delete;
    AssignmentTable& operator=(const AssignmentTable&) = delete;

    // Transport buttons get their numbers, everything else "***"; the note map is
    // filled with '*' in all four bytes of every cell.
    void ResetToDefaults();

    AssignmentCode Get(Entry e) const { return Decode(entries_[Index(e)]); }
    void Set(Entry e, const AssignmentCode& code) {
        Write(entries_[Index(e)], decidedEntries_[Index(e)], code);
        Changed();
    }
    // The first three characters of a text (a code, or a list item's text) become the code.
    void Set(Entry e, const char* text) { Set(e, AssignmentCode::FromText(text)); }

    AssignmentCode GetNote(int index) const { return Decode(notes_[index & 0xFF]); }
    void SetNote(int index, const AssignmentCode& code) {
        Write(notes_[index & 0xFF], decidedNotes_[index & 0xFF], code);
        Changed();
    }
    void SetNote(int index, const char* text) { SetNote(index, AssignmentCode::FromText(text)); }

    // What the engine reads: the meaning of an entry's or a note's code.
    CodeDecision Decided(Entry e) const { return Unpacked(decidedEntries_[Index(e)]); }
    CodeDecision DecidedNote(int index) const { return Unpacked(decidedNotes_[index & 0xFF]); }

    // Publishes a whole table read elsewhere (configuration file loading), cell by cell.
    void CopyFrom(const AssignmentTable& other);

    // Told after every change (a cell, a whole table), on the thread that made
    // it: the pass-through works the table out again for the MIDI thread.
    void Watch(std::function<void()> changed) { changed_ = std::move(changed); }
    // A number that every change makes new, unique among all tables: a table
    // of the same generation holds the same codes.
    uint64_t Generation() const { return generation_.load(std::memory_order_acquire); }

    // Raw cell, for tests of the fourth byte.
    uint32_t RawEntryCell(Entry e) const {
        return entries_[Index(e)].load(std::memory_order_relaxed);
    }
    uint32_t RawNoteCell(int index) const {
        return notes_[index & 0xFF].load(std::memory_order_relaxed);
    }

  private:
    static int Index(Entry e) { return static_cast<int>(e); }
    void Changed();
    static AssignmentCode Decode(const std::atomic<uint32_t>& cell);
    // Writes exactly three characters and keeps the cell's fourth byte; then
    // the code's meaning.
    static void Write(std::atomic<uint32_t>& cell, std::atomic<uint16_t>& decided,
                      const AssignmentCode& code);
    static uint16_t Packed(CodeDecision d) { return uint16_t(uint16_t(d.action) << 8 | d.number); }
    static CodeDecision Unpacked(const std::atomic<uint16_t>& cell) {
        const uint16_t v = cell.load(std::memory_order_relaxed);
        return {static_cast<CodeAction>(v >> 8), static_cast<uint8_t>(v)};
    }

    std::array<std::atomic<uint32_t>, kEntryCount> entries_;
    std::array<std::atomic<uint32_t>, kNoteMapSize> notes_;
    std::array<std::atomic<uint16_t>, kEntryCount> decidedEntries_;
    std::array<std::atomic<uint16_t>, kNoteMapSize> decidedNotes_;
    std::atomic<uint64_t> generation_{0};
    std::function<void()> changed_;
};

}  // namespace ostrel
