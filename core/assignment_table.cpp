#include "core/assignment_table.h"

#include <cstring>

namespace ostrel {
namespace {

constexpr const char* kNames[kEntryCount] = {
    "KNOB01",   "KNOB02",   "KNOB03",   "KNOB04",   "KNOB05",   "KNOB06",   "KNOB07",
    "KNOB08",   "VOLM",     "VOL01",    "VOL02",    "VOL03",    "VOL04",    "VOL05",
    "VOL06",    "VOL07",    "VOL08",    "VOL09",    "VOL10",    "VOL11",    "VOL12",
    "VOL13",    "VOL14",    "VOL15",    "VOL16",    "DRAWBARM", "DRAWBAR1", "DRAWBAR2",
    "DRAWBAR3", "DRAWBAR4", "DRAWBAR5", "DRAWBAR6", "DRAWBAR7", "DRAWBAR8", "RTZ",
    "REW",      "FF",       "REC",      "STOP",     "PLAY",     "PITCH",    "MODULATION",
    "SUSTAIN",  "CONTROL",  "BC",       "GMON",     "XGON",     "GSON",     "ACTIVE",
    "CHANEL",   "TOUCH",    "CURVE",
};

// Cells are stored in memory order: byte 0 is the first character.
uint32_t Pack(const char c[4]) {
    uint32_t v;
    std::memcpy(&v, c, 4);
    return v;
}

}  // namespace

const char* EntryName(Entry e) { return kNames[static_cast<int>(e)]; }

const char* EntryDefault(Entry e) {
    switch (e) {
        case Entry::RTZ:
            return "115";
        case Entry::REW:
            return "116";
        case Entry::FF:
            return "117";
        case Entry::REC:
            return "114";
        case Entry::STOP:
            return "118";
        case Entry::PLAY:
            return "119";
        default:
            return "***";
    }
}

void AssignmentTable::ResetToDefaults() {
    const char stars[4] = {'*', '*', '*', '*'};
    for (int i = 0; i < kNoteMapSize; ++i) {
        notes_[i].store(Pack(stars), std::memory_order_relaxed);
        decidedNotes_[i].store(Packed(DecideCode(Decode(notes_[i]))), std::memory_order_relaxed);
    }
    for (int i = 0; i < kEntryCount; ++i) {
        char c[4] = {'*', '*', '*', '*'};
        std::memcpy(c, EntryDefault(EntryAt(i)), 3);
        entries_[i].store(Pack(c), std::memory_order_relaxed);
        decidedEntries_[i].store(Packed(DecideCode(Decode(entries_[i]))),
                                 std::memory_order_relaxed);
    }
    Changed();
}

void AssignmentTable::CopyFrom(const AssignmentTable& other) {
    const auto copy = [](auto& to, const auto& from) {
        for (size_t i = 0; i < to.size(); ++i)
            to[i].store(from[i].load(std::memory_order_relaxed), std::memory_order_relaxed);
    };
    copy(entries_, other.entries_);
    copy(decidedEntries_, other.decidedEntries_);
    copy(notes_, other.notes_);
    copy(decidedNotes_, other.decidedNotes_);
    Changed();
}

void AssignmentTable::Changed() {
    static std::atomic<uint64_t> generations{0};
    generation_.store(generations.fetch_add(1, std::memory_order_relaxed) + 1,
                      std::memory_order_release);
    if (changed_) changed_();
}

AssignmentCode AssignmentTable::Decode(const std::atomic<uint32_t>& cell) {
    // One 4-byte copy with the fourth byte cleared: the code's three characters
    // and its terminator, without a partial store that stalls the next load.
    char bytes[4];
    const uint32_t v = cell.load(std::memory_order_relaxed);
    std::memcpy(bytes, &v, 4);
    bytes[3] = 0;
    AssignmentCode code;
    std::memcpy(code.text, bytes, 4);
    return code;
}

void AssignmentTable::Write(std::atomic<uint32_t>& cell, std::atomic<uint16_t>& decided,
                            const AssignmentCode& code) {
    uint32_t old = cell.load(std::memory_order_relaxed);
    char c[4];
    std::memcpy(c, &old, 4);
    std::memcpy(c, code.text, 3);
    cell.store(Pack(c), std::memory_order_relaxed);
    decided.store(Packed(DecideCode(Decode(cell))), std::memory_order_relaxed);
}

}  // namespace ostrel
