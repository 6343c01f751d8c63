#pragma once
// Which scene of an open setlist is in force: chosen by the setlist's triggers
// in the input, by a scene asked for, or by steps asked for from another
// thread; in force from the start of the next cycle, so that a cycle
// translates wholly with one table.
//
// Threads: Request, Step, Restart and Current from any thread but the MIDI
// thread; Pick and Choose on the MIDI thread only.
#include <atomic>
#include <cstdint>

#include "core/setlist.h"
#include "midi/cycle_snapshot.h"
#include "midi/monitor_tap.h"

namespace ostrel {

class SceneSwitch {
  public:
    static constexpr int kNoScene = -1;

    // The scene in force (its index), 0 without scenes.
    int Current() const { return current_.load(std::memory_order_acquire); }
    // Scene 1 in force, whatever a trigger chose in the meantime (a setlist set).
    void Restart();
    // The scene in force from the next cycle on.
    void Request(int index) { requested_.store(index, std::memory_order_release); }
    bool RequestTaken() const { return requested_.load(std::memory_order_acquire) == kNoScene; }
    // One step (+1 next, -1 previous) from the scene in force when the next
    // cycle takes it; steps and triggers of one cycle add up.
    void Step(int by) { steps_.fetch_add(by, std::memory_order_acq_rel); }
    bool StepsTaken() const { return steps_.load(std::memory_order_acquire) == 0; }

    // MIDI thread, at the start of a cycle: the scene in force for the cycle
    // in the snapshot taken, told to the monitor when it switched.
    int Pick(const CycleSnapshot& snapshot, MonitorTap& tap) {
        // Without a setlist, before and now, and nothing asked: scene 0, told inline.
        if (snapshot.scenes.empty() && !hadScenes_ && snapshot.sceneStarts == startsSeen_ &&
            requested_.load(std::memory_order_relaxed) == kNoScene &&
            steps_.load(std::memory_order_relaxed) == 0)
            return 0;
        return PickScene(snapshot, tap);
    }
    // MIDI thread: a trigger received, of a snapshot of count scenes: the
    // scene it chooses, in force from the next cycle on.
    void Choose(const TriggerMatch& match, int count);

  private:
    int PickScene(const CycleSnapshot& snapshot, MonitorTap& tap);

    std::atomic<int> current_{0};
    std::atomic<int> requested_{kNoScene};
    std::atomic<int> steps_{0};
    uint64_t startsSeen_ = 0;  // MIDI thread
    bool hadScenes_ = false;   // MIDI thread
    int scene_ = 0;            // MIDI thread
    int chosen_ = kNoScene;    // MIDI thread
};

}  // namespace ostrel
