#include "curves/current_curve.h"

namespace ostrel {

CurvePoints CurrentCurve::Load() const {
    CurvePoints p;
    p.firstX = firstX_.load(std::memory_order_relaxed);
    p.firstY = firstY_.load(std::memory_order_relaxed);
    p.secondX = secondX_.load(std::memory_order_relaxed);
    p.secondY = secondY_.load(std::memory_order_relaxed);
    p.width = width_.load(std::memory_order_relaxed);
    p.height = height_.load(std::memory_order_relaxed);
    return p;
}

void CurrentCurve::SetPoints(int32_t fx, int32_t fy, int32_t sx, int32_t sy) {
    firstX_.store(fx, std::memory_order_relaxed);
    firstY_.store(fy, std::memory_order_relaxed);
    secondX_.store(sx, std::memory_order_relaxed);
    secondY_.store(sy, std::memory_order_relaxed);
    Rebuild();
}

void CurrentCurve::Rebuild() {
    const CurvePoints p = Load();
    for (int v = 0; v < 128; ++v)
        table_[v].store(static_cast<uint8_t>(ostrel::MapValue(p, v)), std::memory_order_relaxed);
    if (changed_ != nullptr && *changed_) (*changed_)();
}

void CurrentCurve::SetArea(int32_t w, int32_t h) {
    width_.store(w, std::memory_order_relaxed);
    height_.store(h, std::memory_order_relaxed);
    Rebuild();
}

void CurrentCurve::SetAll(const CurvePoints& p) {
    SetArea(p.width, p.height);
    SetPoints(p.firstX, p.firstY, p.secondX, p.secondY);
}

void CurrentCurve::SetDefault() {
    const int32_t x = width_.load(std::memory_order_relaxed) / 2;
    const int32_t y = height_.load(std::memory_order_relaxed) / 2;
    SetPoints(x, y, x, y);
}

namespace {

// Truncation toward zero. A scaled coordinate of 32-bit fields stays within about
// 2^31 * 127 even for a hand-edited settings file: exact in 64 bits and in a
// double, so the mapping follows its formula for every coordinate.
int64_t Trunc(double d) { return static_cast<int64_t>(d); }

}  // namespace

int MapValue(const CurvePoints& c, int v) {
    if (v <= 0) return 0;
    if (v >= 127) return 127;  // 127 maps to itself; larger bytes are not MIDI data
    // Scaled coordinates: divide first, multiply second, truncate toward zero.
    const double w = c.width, h = c.height;
    const int64_t x1 = c.width ? Trunc(c.firstX / w * 127.0) : 0;
    const int64_t x2 = c.width ? Trunc(c.secondX / w * 127.0) : 0;
    const int64_t y1 = c.height ? Trunc(127.0 - c.firstY / h * 127.0) : 0;
    const int64_t y2 = c.height ? Trunc(127.0 - c.secondY / h * 127.0) : 0;

    double f;
    if (v <= x1) {
        f = static_cast<double>(y1) / x1 * v;
    } else if (v < x2) {
        f = static_cast<double>(y2 - y1) / static_cast<double>(x2 - x1) * (v - x1) + y1;
    } else {
        f = static_cast<double>(127 - y2) / static_cast<double>(127 - x2) * (v - x2) + y2;
    }
    // Out-of-range coordinates can give huge values; clamp in double before the cast.
    if (f >= 127.0) return 127;
    if (f <= 0.0) return 0;
    const int r = static_cast<int>(f);
    return r >= 127 ? 127 : (r <= 0 ? 0 : r);
}

void CurrentCurves::Reset() {
    for (auto& c : curves_) c.SetAll(CurvePoints{});
}

CurveValues CurrentCurves::Values() const {
    CurveValues values;
    for (int v = 0; v < 256; ++v) {
        values.velocity[v] = static_cast<uint8_t>(Of(CurveKind::Velocity).Map(v));
        values.touch[v] = static_cast<uint8_t>(Of(CurveKind::Touch).Map(v));
    }
    return values;
}

}  // namespace ostrel
