#pragma once
// The mixed stream of the no-allocation tests as a list of input events, for
// every benchmark that plays it.
#include <cstdint>
#include <iterator>
#include <vector>

#include "core/short_message.h"
#include "support/mixed_stream.h"

namespace ostrel::bench {

using Message = std::vector<uint8_t>;

// Each message as an input event carries it: a short one with as many bytes as
// its status implies, then the System Exclusive messages.
inline std::vector<Message> MixedStream() {
    std::vector<Message> s;
    for (const auto& m : test::kMixedShorts) s.emplace_back(m, m + ShortMessageLength(m[0]));
    for (int k = 0; k < static_cast<int>(std::size(test::kMixedSysEx)); ++k)
        s.emplace_back(test::kMixedSysEx[k], test::kMixedSysEx[k] + test::kMixedSysExLength[k]);
    return s;
}

}  // namespace ostrel::bench
