// Time of the MIDI path over the mixed stream of the no-allocation tests
// (knobs, faders, notes, pressure, wheels, transport, clock and System
// Exclusive): the whole forwarding as the input callback runs it (engine,
// ledger, monitor record), in cycles of a lone message, of 256 messages and of
// 1,364; and the engine alone.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>
#include <vector>

#include "bench/cycle_timing.h"
#include "bench/mixed_stream_messages.h"
#include "core/assignment_table.h"
#include "core/short_message.h"
#include "core/translation_engine.h"
#include "core/translation_plan.h"
#include "curves/current_curve.h"
#include "midi/pass_through.h"
#include "support/fake_midi_system.h"
#include "support/mixed_stream.h"

namespace ostrel {
namespace {

using bench::Message;
using bench::MixedStream;

// An output port that takes everything, as a cycle's buffer with room to spare.
class CountingWriter final : public MidiWriter {
  public:
    bool Write(const uint8_t*, size_t length) override {
        bytes_ += length;
        return true;
    }
    size_t Room() const override { return 65536; }

  private:
    size_t bytes_ = 0;
};

// The whole forwarding, Running, of the mixed stream as the MIDI thread runs
// it: cycles of perCycle messages, each cycle timed from BeginCycle to EndCycle
// (`cycles` of them together); between iterations the window's side drains
// the monitor queue, outside the time measured. Argument 1: the monitor logs,
// as in the figure that counts; 0: it does not, to show its part.
void ForwardCycles(benchmark::State& state, int cycles, int perCycle) {
    AssignmentTable table;
    CurrentCurves curves;
    test::SetUpPlayersTable(table, curves);
    FakeMidiSystem system;
    // Room for every record of an iteration, so that none is lost unread.
    PassThrough passThrough(table, curves, system, 2 * static_cast<size_t>(cycles * perCycle));
    // Open, so that both ports count as connected, as when a keyboard plays a
    // synth: a pass-through whose output nobody hears forgets its ledger in
    // every cycle.
    system.Open("Ostrel", passThrough.Processor(), nullptr);
    passThrough.SetMonitorLogging(state.range(0) != 0);
    passThrough.Start();
    MidiProcessor& cycle = passThrough.Processor();
    CountingWriter out;
    const std::vector<Message> stream = MixedStream();
    size_t i = 0;
    bench::TimeCycles(
        state, cycles, perCycle, [] {},
        [&] {
            cycle.BeginCycle(out);
            for (int k = 0; k < perCycle; ++k) {
                cycle.Event(stream[i].data(), stream[i].size(), out);
                if (++i == stream.size()) i = 0;
            }
            cycle.EndCycle();
        },
        [&] {
            MonitorEvent event;
            while (passThrough.PopEvent(event)) {
            }
        });
    state.SetLabel(std::to_string(stream.size()) + " messages in the stream");
}

// message_ns: the time of one message in cycles of 256.
void BM_ForwardMixedStream(benchmark::State& state) { ForwardCycles(state, 1, 256); }
BENCHMARK(BM_ForwardMixedStream)->Arg(1)->Arg(0)->UseManualTime();

// cycle_ns: a cycle that carries one message, what a player's lone key costs;
// 256 such cycles are timed together, as one is shorter than a clock reading.
void BM_ForwardLoneMessage(benchmark::State& state) { ForwardCycles(state, 256, 1); }
BENCHMARK(BM_ForwardLoneMessage)->Arg(1)->Arg(0)->UseManualTime();

// message_ns in a full cycle of 1,364 messages.
void BM_ForwardFullCycle(benchmark::State& state) { ForwardCycles(state, 1, 1364); }
BENCHMARK(BM_ForwardFullCycle)->Arg(1)->Arg(0)->UseManualTime();

// The monitor's reader: a record taken from the queue and turned into what a
// line is made of, its deciding codes looked up (argument 1) or not (0).
// Cycles of 256 messages fill the queue outside the time measured.
void BM_MonitorReader(benchmark::State& state) {
    using Clock = std::chrono::steady_clock;
    AssignmentTable table;
    CurrentCurves curves;
    test::SetUpPlayersTable(table, curves);
    FakeMidiSystem system;
    PassThrough passThrough(table, curves, system, 512);
    system.Open("Ostrel", passThrough.Processor(), nullptr);
    passThrough.SetMonitorLogging(true);
    passThrough.Start();
    MidiProcessor& cycle = passThrough.Processor();
    CountingWriter out;
    const std::vector<Message> stream = MixedStream();
    size_t i = 0, records = 0;
    double total = 0;
    MonitorEvent event;
    for (auto _ : state) {
        cycle.BeginCycle(out);
        for (int k = 0; k < 256; ++k) {
            cycle.Event(stream[i].data(), stream[i].size(), out);
            if (++i == stream.size()) i = 0;
        }
        cycle.EndCycle();
        const auto begin = Clock::now();
        size_t n = 0;
        while (passThrough.PopEvent(event, state.range(0) != 0)) ++n;
        const std::chrono::duration<double> took = Clock::now() - begin;
        state.SetIterationTime(took.count());
        total += took.count();
        records += n;
    }
    state.counters["record_ns"] = total * 1e9 / double(records);
}
BENCHMARK(BM_MonitorReader)->Arg(1)->Arg(0)->UseManualTime();

// The engine alone: short messages as one value, System Exclusive in a buffer.
void BM_TranslateMixedStream(benchmark::State& state) {
    AssignmentTable table;
    CurrentCurves curves;
    test::SetUpPlayersTable(table, curves);
    TranslationEngine engine(table, curves);
    const std::vector<Message> stream = MixedStream();
    uint8_t message[kMessageBufferSize] = {};
    uint8_t work[kMessageBufferSize] = {};
    size_t i = 0;
    for (auto _ : state) {
        const Message& m = stream[i];
        if (m[0] != midi::kSystemExclusive) {
            benchmark::DoNotOptimize(engine.TranslateMessage(ReadShort(m.data(), m.size())));
        } else {
            std::copy(m.begin(), m.end(), message);
            benchmark::DoNotOptimize(
                engine.TranslateMessage(message, static_cast<int>(m.size()), work));
        }
        benchmark::ClobberMemory();
        if (++i == stream.size()) i = 0;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TranslateMixedStream);

// The stream's short messages through the plan, as the pass-through does.
// Argument 0: the engine for all of them, to compare over the same messages.
void BM_PlanMixedStream(benchmark::State& state) {
    AssignmentTable table;
    CurrentCurves curves;
    test::SetUpPlayersTable(table, curves);
    TranslationEngine engine(table, curves);
    const TranslationPlan plan(table);
    const CurveValues values = curves.Values();
    std::vector<ShortMessage> stream;
    for (const auto& m : test::kMixedShorts) stream.push_back(ReadShort(m, 3));
    const bool byPlan = state.range(0) != 0;
    size_t i = 0;
    for (auto _ : state) {
        const ShortMessage m = stream[i];
        benchmark::DoNotOptimize(byPlan ? plan.Translate(m, values, engine.Transport())
                                        : engine.TranslateMessage(m));
        benchmark::ClobberMemory();
        if (++i == stream.size()) i = 0;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PlanMixedStream)->Arg(1)->Arg(0);

}  // namespace
}  // namespace ostrel
