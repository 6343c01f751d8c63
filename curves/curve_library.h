#pragma once
// The libraries of named curves, one per kind, mirrored in the settings file
// (sections and keys in store/settings_keys.h). A CurveId names a choice: "***"
// the default curve, "%03d" a library index.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "curves/current_curve.h"

namespace ostrel {

class CIniSettings;

inline constexpr int kCurveSlots = 99;  // indices 00..98
inline constexpr int kCurveNameSize = 256;

// Text of a curve choice box item: "%03d     -- %s" of index and name.
std::string CurveItemText(int index, const char* name);

// Settings-file section of a kind's library.
const char* CurveSection(CurveKind kind);

struct CurveRecord {
    char name[kCurveNameSize] = {};  // NUL-terminated, at most 255 characters
    int32_t firstX = 0, firstY = 0, secondX = 0, secondY = 0;
};

struct CurveLibrary {
    int32_t count = 0;  // slots 0..count-1 are in use, in the order of the file
    std::array<CurveRecord, kCurveSlots> entries{};
};

class CurveLibraries {
  public:
    CurveLibrary& Of(CurveKind kind) { return libraries_[static_cast<int>(kind)]; }
    const CurveLibrary& Of(CurveKind kind) const { return libraries_[static_cast<int>(kind)]; }
    void Clear() { libraries_ = {}; }

  private:
    std::array<CurveLibrary, 2> libraries_{};
};

// Three characters and a NUL: "***" or a library index "000".."098".
struct CurveId {
    char text[4] = {'*', '*', '*', '\0'};

    static CurveId Default() { return CurveId{}; }
    static CurveId ForIndex(int index);
    // The first three characters of a text, such as a choice box item or a table code.
    static CurveId FromText(const char* text);

    bool IsDefault() const;
    // The library index by the number rule (leading digits; "1" gives 1).
    int Index() const;
    bool operator==(const CurveId& o) const;
};

// Outcome of changing a library.
enum class CurveStoreResult {
    Ok,
    LibraryFull,   // the library already holds 99 curves: nothing written
    NoSuchEntry,   // the index names no curve in use: nothing written
    InvalidName,   // the name holds a line break: nothing written
    WriteFailure,  // the settings file could not be written: library unchanged
};

// At start-up: clears both libraries and both current curves (W and H included),
// reads both libraries (at most 99 entries each; further ones are ignored) and the
// start points X0..Y1 of both kinds.
void LoadCurveLibraries(const CIniSettings& settings, CurveLibraries& libraries,
                        CurrentCurves& curves);

// The choice that a curve code (a table's CURVE or TOUCH, a choice box item, a
// dialog's id) stands for in this library: the entry it names, written "%03d",
// when the code is one to three decimal digits naming an entry in use; otherwise
// the default curve. A code made on another machine may name an entry this
// library lacks, and text that is no number names none: neither may play the
// curve of an unused slot (every velocity above 0 would become 127).
CurveId CurveChoiceIn(const CurveLibrary& library, const char* code);

// Makes the kind's current curve the curve that id stands for (CurveChoiceIn):
// the default curve, or the points of a library entry in use.
void SelectCurve(CurveKind kind, const CurveId& id, const CurveLibraries& libraries,
                 CurrentCurves& curves);

// The kind's NUMS as the file holds it now, within 0..99.
int ReadCurveCount(const CIniSettings& settings, CurveKind kind);
// The names NAME00.. of the file's entries, for the curve list dialog.
std::vector<std::string> ReadCurveNames(const CIniSettings& settings, CurveKind kind);

// Save under a new name: the new index is NUMS as the file holds it. Writes NAMEnn,
// FIRSTXnn, FIRSTYnn, SECONDXnn, SECONDYnn, then NUMS = n + 1. Names longer than 255
// characters keep their first 255.
struct AddCurveOutcome {
    CurveStoreResult result = CurveStoreResult::Ok;
    int index = -1;  // the new entry's index when result is Ok
};
AddCurveOutcome AddCurve(CurveKind kind, const char* name, int32_t firstX, int32_t firstY,
                         int32_t secondX, int32_t secondY, CIniSettings& settings,
                         CurveLibraries& libraries);

// Save under an existing name: the entry keeps its name; only FIRSTXnn, FIRSTYnn,
// SECONDXnn and SECONDYnn are written.
CurveStoreResult OverwriteCurve(CurveKind kind, int index, int32_t firstX, int32_t firstY,
                                int32_t secondX, int32_t secondY, CIniSettings& settings,
                                CurveLibraries& libraries);

// Removes entry index: NUMS = c (one less), then the entries after it move down one
// index (their five keys rewritten). The keys of the former last index stay in the
// file, outside NUMS.
CurveStoreResult DeleteCurve(CurveKind kind, int index, CIniSettings& settings,
                             CurveLibraries& libraries);

}  // namespace ostrel
