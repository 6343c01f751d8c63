// x42's MIDI filters in a small LV2 host over the mixed stream that the
// forwarding plays (short messages and System Exclusive): the cost of an
// in-host MIDI filter per message, in the same run as Ostrel's figures.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "bench/cycle_timing.h"
#include "bench/lv2_filter_host.h"
#include "bench/mixed_stream_messages.h"

namespace ostrel::bench {
namespace {

// A cycle of 256 frames carrying 256 messages, one a frame, timed like the
// forwarding's cycles: the input sequence is filled before the clock is read,
// the plugin's run() alone is timed. The label gives what the plugin wrote in
// its last cycle, to show that it ran over the stream.
void BM_Lv2FilterMixedStream(benchmark::State& state, const char* uri) {
    constexpr int kPerCycle = 256;
    Lv2FilterHost host(uri);
    if (!host.Ready()) {
        state.SkipWithError(host.Error().c_str());
        return;
    }
    const std::vector<Message> stream = MixedStream();
    size_t next = 0;
    TimeCycles(
        state, 1, kPerCycle, [&] { host.FillCycle(stream, &next, kPerCycle); },
        [&] { host.Run(kPerCycle); }, [] {});
    state.SetLabel(std::to_string(host.EventsOut()) + " of " + std::to_string(kPerCycle) +
                   " messages out a cycle");
}
BENCHMARK_CAPTURE(BM_Lv2FilterMixedStream, mapcc, "http://gareus.org/oss/lv2/midifilter#mapcc")
    ->UseManualTime();
BENCHMARK_CAPTURE(BM_Lv2FilterMixedStream, velocitygamma,
                  "http://gareus.org/oss/lv2/midifilter#velocitygamma")
    ->UseManualTime();

}  // namespace
}  // namespace ostrel::bench
