#pragma once
#include <atomic>

namespace ostrel {

// What the input callback does with a message: ignore it (Stopped, Loading) or
// translate, send and show it (Running).
enum class PassThroughState : int { Stopped = 0, Running = 1, Loading = 2 };

// Current device indices: positions in the system's input and output lists, -1 none.
struct DeviceIndices {
    std::atomic<int> input{0};
    std::atomic<int> output{0};
};

}  // namespace ostrel
