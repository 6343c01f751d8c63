#include "core/assignment_code.h"

namespace ostrel {

bool AssignmentCode::IsDigits() const {
    for (int i = 0; i < 3; ++i)
        if (text[i] < '0' || text[i] > '9') return false;
    return true;
}

int CodeValue(const AssignmentCode& code) {
    // atoi on a zeroed copy of exactly three characters.
    int i = 0;
    while (i < 3 && (code.text[i] == ' ' || code.text[i] == '\t')) ++i;
    bool negative = false;
    if (i < 3 && (code.text[i] == '+' || code.text[i] == '-')) negative = code.text[i++] == '-';
    int value = 0;
    for (; i < 3 && code.text[i] >= '0' && code.text[i] <= '9'; ++i)
        value = value * 10 + (code.text[i] - '0');
    return negative ? -value : value;
}

int CodeToListPosition(const AssignmentCode& code) {
    if (code.IsOff()) return 0;
    if (code.IsNoChange()) return 1;
    const int n = DigitCodeValue(code);
    return n >= 0 && n <= 127 ? n + 2 : -1;
}

}  // namespace ostrel
