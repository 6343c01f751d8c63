// Time the engine takes for one message, as the input callback presents it.
#include <benchmark/benchmark.h>

#include <cstring>
#include <iterator>
#include <vector>

#include "core/assignment_table.h"
#include "core/translation_engine.h"
#include "curves/current_curve.h"
#include "support/mixed_stream.h"

namespace ostrel {
namespace {

struct Message {
    std::vector<uint8_t> bytes;
    int length;  // as presented: 4 for short messages
};

Message Short(uint8_t s, uint8_t d1 = 0, uint8_t d2 = 0) { return {{s, d1, d2, 0}, 4}; }
Message Long(std::vector<uint8_t> b) {
    const int n = static_cast<int>(b.size());
    return {std::move(b), n};
}

// The mixed stream of the no-allocation tests: knobs, faders, notes, pressure,
// wheels, transport, clock and System Exclusive, each as the callback presents it.
std::vector<Message> MixedStream() {
    std::vector<Message> s;
    for (const auto& m : test::kMixedShorts) s.push_back(Short(m[0], m[1], m[2]));
    for (int k = 0; k < static_cast<int>(std::size(test::kMixedSysEx)); ++k)
        s.push_back(
            Long({test::kMixedSysEx[k], test::kMixedSysEx[k] + test::kMixedSysExLength[k]}));
    return s;
}

void RunStream(benchmark::State& state, const std::vector<Message>& stream) {
    AssignmentTable table;
    CurrentCurves curves;
    test::SetUpPlayersTable(table, curves);
    TranslationEngine engine(table, curves);
    uint8_t message[kMessageBufferSize] = {};
    uint8_t work[kMessageBufferSize] = {};
    size_t i = 0;
    for (auto _ : state) {
        const Message& m = stream[i];
        std::memcpy(message, m.bytes.data(), m.bytes.size());
        benchmark::DoNotOptimize(engine.TranslateMessage(message, m.length, work));
        benchmark::ClobberMemory();
        if (++i == stream.size()) i = 0;
    }
    state.SetItemsProcessed(state.iterations());
    state.SetLabel(std::to_string(stream.size()) + " messages in the stream");
}

// Time per message over the whole mixed stream.
void BM_TranslateMixedStream(benchmark::State& state) { RunStream(state, MixedStream()); }
BENCHMARK(BM_TranslateMixedStream);

// The two kinds that dominate a performance: a knob and a note through the curve.
void BM_TranslateKnob(benchmark::State& state) { RunStream(state, {Short(0xB0, 0x4A, 0x40)}); }
BENCHMARK(BM_TranslateKnob);

void BM_TranslateNoteThroughCurve(benchmark::State& state) {
    RunStream(state, {Short(0x90, 0x3E, 0x50), Short(0x80, 0x3E, 0x40)});
}
BENCHMARK(BM_TranslateNoteThroughCurve);

}  // namespace
}  // namespace ostrel
