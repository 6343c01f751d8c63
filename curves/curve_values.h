#pragma once
// The two curves in force as plain 128-entry value tables: what a plan of the
// translation copies, once, instead of reading the live curves per message.
#include <array>
#include <cstdint>

namespace ostrel {

struct CurveValues {
    std::array<uint8_t, 128> velocity{};
    std::array<uint8_t, 128> touch{};
    bool operator==(const CurveValues&) const = default;
};

}  // namespace ostrel
