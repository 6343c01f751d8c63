#pragma once
// Whether a stream's firing lights its box, on the window's own clock. A firing
// lights the box when the stream was quiet for at least a second before it (or
// had never fired). A stream that never ends (MIDI clock, Active Sensing) so
// lights its box once as it starts and again only after a pause, and the light
// keeps meaning "this control just moved".
#include <cstdint>

namespace ostrel {

class StreamLight {
  public:
    static constexpr int64_t kPauseMs = 1000;

    // The entry was seen firing at nowMs (a steady clock in milliseconds).
    // True when this firing lights the box.
    bool Fired(int64_t nowMs) {
        const bool lights = !fired_ || nowMs - lastMs_ >= kPauseMs;
        fired_ = true;
        lastMs_ = nowMs;
        return lights;
    }

  private:
    bool fired_ = false;
    int64_t lastMs_ = 0;  // when it was last seen firing
};

}  // namespace ostrel
