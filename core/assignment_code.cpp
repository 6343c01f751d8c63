#include "core/assignment_code.h"

namespace ostrel {

bool AssignmentCode::IsDigits() const {
    for (int i = 0; i < 3; ++i)
        if (text[i] < '0' || text[i] > '9') return false;
    return true;
}

int CodeToListPosition(const AssignmentCode& code) {
    if (code.IsOff()) return 0;
    if (code.IsNoChange()) return 1;
    const int n = DigitCodeValue(code);
    return n >= 0 && n <= 127 ? n + 2 : -1;
}

}  // namespace ostrel
