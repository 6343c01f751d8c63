#pragma once
// Three-character assignment codes: "###" off, "***" no change, "000".."127" a
// controller number (or "001".."016" an output channel for CHANEL).
#include <cstdint>
#include <cstring>

namespace ostrel {

// A code as read from a cell: its three characters and a terminating NUL. A cell
// may hold fewer than three characters (NULs), as a configuration file can leave it.
struct AssignmentCode {
    char text[4] = {0, 0, 0, 0};

    static AssignmentCode FromText(const char* s) {
        AssignmentCode c;
        for (int i = 0; i < 3 && s && s[i]; ++i) c.text[i] = s[i];
        return c;
    }
    bool Is(const char* three) const { return std::memcmp(text, three, 3) == 0; }
    bool IsOff() const { return Is("###"); }
    bool IsNoChange() const { return Is("***"); }
    // True for three decimal digits.
    bool IsDigits() const;
    bool operator==(const AssignmentCode& o) const { return std::memcmp(text, o.text, 4) == 0; }
};

// Decimal value of the code's characters by the atoi rule (leading digits only;
// "###" and "***" give 0).
int CodeValue(const AssignmentCode& code);

// Position in the lists of 130 items ("###", "***", "000".."127"): "###" 0,
// "***" 1, a digit code of value n gives n + 2. Anything else gives -1.
int CodeToListPosition(const AssignmentCode& code);

// Note map index of key k (0..11, C..B) in octave o (0..10).
constexpr int NoteIndex(int octave, int key) { return octave * 12 + key; }

}  // namespace ostrel
