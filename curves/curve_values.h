#pragma once
// The two curves in force as plain value tables, over every byte value (past
// 127 a curve gives 127, so that any byte indexes them): what a cycle's
// snapshot holds instead of reading the live curves per message.
#include <array>
#include <cstdint>

namespace ostrel {

struct CurveValues {
    std::array<uint8_t, 256> velocity{};
    std::array<uint8_t, 256> touch{};
    bool operator==(const CurveValues&) const = default;
};

}  // namespace ostrel
