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

// The value of a digit code: one to three decimal digits, the rest of the cell
// empty. A hand-edited file can hold "1" or "07": their value is the decimal
// number of their characters, as for "001" and "007". -1 for any other code.
constexpr int DigitCodeValue(const AssignmentCode& code) {
    int value = 0, digits = 0;
    for (; digits < 3 && code.text[digits] >= '0' && code.text[digits] <= '9'; ++digits)
        value = value * 10 + (code.text[digits] - '0');
    for (int i = digits; i < 3; ++i)
        if (code.text[i] != '\0') return -1;
    return digits > 0 ? value : -1;
}

// The code as the lists write it: a digit code of one or two digits gets its
// leading zeros ("1" is "001"), so that the window shows the item in force.
constexpr AssignmentCode ListFormOf(const AssignmentCode& code) {
    const int n = DigitCodeValue(code);
    if (n < 0) return code;
    AssignmentCode listed;
    listed.text[0] = static_cast<char>('0' + n / 100);
    listed.text[1] = static_cast<char>('0' + n / 10 % 10);
    listed.text[2] = static_cast<char>('0' + n % 10);
    return listed;
}

// Position in the lists of 130 items ("###", "***", "000".."127"): "###" 0,
// "***" 1, a digit code of value n (of one to three digits) gives n + 2.
// Anything else gives -1.
int CodeToListPosition(const AssignmentCode& code);

// Note map index of key k (0..11, C..B) in octave o (0..10).
constexpr int NoteIndex(int octave, int key) { return octave * 12 + key; }

}  // namespace ostrel
