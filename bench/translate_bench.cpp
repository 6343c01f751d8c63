// Time of one message on the MIDI path, over the mixed stream of the
// no-allocation tests (knobs, faders, notes, pressure, wheels, transport, clock
// and System Exclusive): the whole forwarding as the input callback runs it
// (engine, ledger, monitor record), and the engine alone.
#include <benchmark/benchmark.h>

#include <chrono>
#include <iterator>
#include <string>
#include <vector>

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

using Message = std::vector<uint8_t>;

// Each message as an input event carries it: a short one with as many bytes as
// its status implies.
std::vector<Message> MixedStream() {
    std::vector<Message> s;
    for (const auto& m : test::kMixedShorts) s.emplace_back(m, m + ShortMessageLength(m[0]));
    for (int k = 0; k < static_cast<int>(std::size(test::kMixedSysEx)); ++k)
        s.emplace_back(test::kMixedSysEx[k], test::kMixedSysEx[k] + test::kMixedSysExLength[k]);
    return s;
}

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

// The whole forwarding of one message, Running with the monitor logging: what
// Event costs the MIDI thread. One benchmark iteration is a cycle of 256
// messages timed with the steady clock (a pause of the benchmark's own timers
// reads the process's CPU clock, a system call that would weigh on every
// cycle); between cycles the window's side drains the monitor queue, outside
// the time measured. message_ns: the time of one message. Argument 1: the
// monitor logs, as in the figure that counts; 0: it does not, to show its part.
void BM_ForwardMixedStream(benchmark::State& state) {
    using Clock = std::chrono::steady_clock;
    constexpr int kPerCycle = 256;
    AssignmentTable table;
    CurrentCurves curves;
    test::SetUpPlayersTable(table, curves);
    FakeMidiSystem system;
    PassThrough passThrough(table, curves, system, kPerCycle);
    passThrough.SetMonitorLogging(state.range(0) != 0);
    passThrough.Start();
    MidiProcessor& cycle = passThrough.Processor();
    CountingWriter out;
    const std::vector<Message> stream = MixedStream();
    size_t i = 0;
    double total = 0;
    for (auto _ : state) {
        cycle.BeginCycle(out);
        const auto begin = Clock::now();
        for (int k = 0; k < kPerCycle; ++k) {
            cycle.Event(stream[i].data(), stream[i].size(), out);
            if (++i == stream.size()) i = 0;
        }
        const std::chrono::duration<double> took = Clock::now() - begin;
        cycle.EndCycle();
        state.SetIterationTime(took.count());
        total += took.count();
        MonitorEvent event;
        while (passThrough.PopEvent(event)) {
        }
    }
    state.SetItemsProcessed(state.iterations() * kPerCycle);
    state.counters["message_ns"] = total * 1e9 / double(state.iterations() * kPerCycle);
    state.SetLabel(std::to_string(stream.size()) + " messages in the stream");
}
BENCHMARK(BM_ForwardMixedStream)->Arg(1)->Arg(0)->UseManualTime();

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

// The stream's short messages through the plan, song position through the
// engine, as the pass-through does. Argument 0: the engine for all of them, to
// compare over the same messages.
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
        benchmark::DoNotOptimize(byPlan && TranslationPlan::Decides(m)
                                     ? plan.Translate(m, values)
                                     : engine.TranslateMessage(m));
        benchmark::ClobberMemory();
        if (++i == stream.size()) i = 0;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PlanMixedStream)->Arg(1)->Arg(0);

}  // namespace
}  // namespace ostrel
