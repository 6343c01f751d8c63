#include "midi/scene_switch.h"

#include <algorithm>

namespace ostrel {

void SceneSwitch::Restart() {
    requested_.store(0, std::memory_order_release);
    current_.store(0, std::memory_order_release);
}

int SceneSwitch::PickScene(const CycleSnapshot& snapshot, MonitorTap& tap) {
    const int count = snapshot.SceneCount();
    // A setlist set anew starts at scene 1; one read again keeps its scene.
    if (snapshot.sceneStarts != startsSeen_ || (count > 0 && !hadScenes_)) {
        scene_ = 0;
        chosen_ = kNoScene;
        startsSeen_ = snapshot.sceneStarts;
    }
    hadScenes_ = count > 0;
    // Looked at before they are taken: an exchange in every cycle would cost
    // a locked instruction each, for what is asked now and then.
    const int requested = requested_.load(std::memory_order_relaxed) == kNoScene
                              ? kNoScene
                              : requested_.exchange(kNoScene, std::memory_order_acq_rel);
    const int steps = steps_.load(std::memory_order_relaxed) == 0
                          ? 0
                          : steps_.exchange(0, std::memory_order_acq_rel);
    if (count == 0) return 0;
    if (scene_ >= count) {  // a list replaced by a shorter one
        scene_ = count - 1;
        current_.store(scene_, std::memory_order_release);
    }
    int chosen = requested != kNoScene ? requested : chosen_;
    if (steps != 0)
        chosen = std::clamp((chosen != kNoScene ? chosen : scene_) + steps, 0, count - 1);
    chosen_ = kNoScene;
    if (chosen >= 0 && chosen < count && chosen != scene_) {
        scene_ = chosen;
        current_.store(scene_, std::memory_order_release);
        // A switch is shown whether or not the monitor logs: the command line names each.
        tap.Scene(scene_, count);
    }
    return scene_;
}

void SceneSwitch::Choose(const TriggerMatch& match, int count) {
    const int from = chosen_ != kNoScene ? chosen_ : scene_;
    switch (match.action) {
        case TriggerMatch::Action::Select:
            if (match.scene < count) chosen_ = match.scene;
            break;
        case TriggerMatch::Action::Next:
            chosen_ = std::min(from + 1, count - 1);
            break;
        case TriggerMatch::Action::Previous:
            chosen_ = std::max(from - 1, 0);
            break;
        case TriggerMatch::Action::None:
        case TriggerMatch::Action::Control:
            break;
    }
}

}  // namespace ostrel
