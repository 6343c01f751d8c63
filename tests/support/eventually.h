#pragma once
// Waits, bounded, for something that another thread or process brings about.
#include <chrono>
#include <thread>

namespace ostrel::test {

// True as soon as pred() holds; false once timeout has passed.
template <typename Pred>
bool Eventually(Pred pred, std::chrono::milliseconds timeout = std::chrono::milliseconds(60000)) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!pred()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

}  // namespace ostrel::test
