// Time of one curve mapping, as the engine calls it for a note or aftertouch.
#include <benchmark/benchmark.h>

#include "curves/current_curve.h"

namespace ostrel {
namespace {

void BM_MapValue(benchmark::State& state) {
    CurrentCurves curves;
    curves.Of(CurveKind::Velocity).SetAll(CurvePoints{64, 128, 192, 32, 256, 256});
    int v = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(curves.MapValue(CurveKind::Velocity, v));
        v = (v + 13) & 0x7F;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_MapValue);

}  // namespace
}  // namespace ostrel
