#pragma once
// The two response curves in force: two control points in pixels of the kind's
// drawing area, with that area's size. The window changes them; values map
// through a 128-entry table that each change rebuilds, so that a mapping is one
// load, and each change is told to the watcher (the pass-through, which hands
// the MIDI thread a copy of both tables in its snapshot). The fields and the
// table are atomics so that any thread may read them while the window drags a
// point.
#include <atomic>
#include <cstdint>
#include <functional>

#include "curves/curve_values.h"

namespace ostrel {

enum class CurveKind : int { Velocity = 0, Touch = 1 };

// Plain copy of one curve's six fields.
struct CurvePoints {
    int32_t firstX = 0, firstY = 0, secondX = 0, secondY = 0;
    int32_t width = 0, height = 0;  // W and H of the drawing area
    bool operator==(const CurvePoints&) const = default;
};

class CurrentCurve {
  public:
    CurrentCurve() { Rebuild(); }
    CurvePoints Load() const;
    void SetPoints(int32_t firstX, int32_t firstY, int32_t secondX, int32_t secondY);
    void SetArea(int32_t width, int32_t height);
    void SetAll(const CurvePoints& p);
    // Both points at the centre of the area (integer division); all 0 while W and H are 0.
    void SetDefault();
    // What v maps to: one load for 0..127; below 0 is 0, above 127 is 127.
    int Map(int v) const {
        if (v < 0) return 0;
        if (v > 127) return 127;
        return table_[v].load(std::memory_order_relaxed);
    }

  private:
    friend class CurrentCurves;
    // Written by one thread at a time (the window's); the table follows each
    // change, and whoever watches is told.
    void Rebuild();

    const std::function<void()>* changed_ = nullptr;  // the watcher of both curves
    std::atomic<int32_t> firstX_{0}, firstY_{0}, secondX_{0}, secondY_{0};
    std::atomic<int32_t> width_{0}, height_{0};
    std::atomic<uint8_t> table_[128] = {};
};

// Maps 0..127 to 0..127 through a curve, with the exact double arithmetic of the
// editor: divide first, then multiply, truncate toward zero.
int MapValue(const CurvePoints& curve, int value);

class CurrentCurves {
  public:
    CurrentCurves() {
        for (CurrentCurve& c : curves_) c.changed_ = &changed_;
    }
    CurrentCurves(const CurrentCurves&) = delete;
    CurrentCurves& operator=(const CurrentCurves&) = delete;
    CurrentCurve& Of(CurveKind kind) { return curves_[static_cast<int>(kind)]; }
    const CurrentCurve& Of(CurveKind kind) const { return curves_[static_cast<int>(kind)]; }
    // Safe on the MIDI thread.
    int MapValue(CurveKind kind, int value) const { return Of(kind).Map(value); }
    // What each curve maps 0..127 to, as plain tables.
    CurveValues Values() const;
    void Reset();
    // Told after every change of either curve, on the thread that made it.
    void Watch(std::function<void()> changed) { changed_ = std::move(changed); }

  private:
    std::function<void()> changed_;
    CurrentCurve curves_[2];
};

}  // namespace ostrel
