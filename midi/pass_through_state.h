#pragma once
#include <atomic>

namespace ostrel {

// What the input callback does with a message: ignore it (Stopped) or
// translate, send and show it (Running).
enum class PassThroughState : int { Stopped = 0, Running = 1 };

}  // namespace ostrel
