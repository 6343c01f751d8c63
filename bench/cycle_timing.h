#pragma once
// One way to time cycles of MIDI messages, for the forwarding and for an
// in-host filter alike: the steady clock read around what a cycle runs, and
// nothing else. A pause of the benchmark's own timers reads the process's CPU
// clock, a system call that would weigh on every cycle; so each iteration
// readies its input before taking the clock and clears after reading it, and
// the benchmark runs with UseManualTime.
#include <benchmark/benchmark.h>

#include <chrono>

namespace ostrel::bench {

// Each iteration: ready() outside the time, then `cycles` calls of
// runCycle() timed together (more than one when a cycle is so short that the
// clock's own reading would weigh), then clear() outside the time. Counters:
// message_ns, the time of one message; cycle_ns, the time of one cycle.
template <class Ready, class RunCycle, class Clear>
void TimeCycles(benchmark::State& state, int cycles, int messagesPerCycle, Ready&& ready,
                RunCycle&& runCycle, Clear&& clear) {
    using Clock = std::chrono::steady_clock;
    double total = 0;
    for (auto _ : state) {
        ready();
        const auto begin = Clock::now();
        for (int c = 0; c < cycles; ++c) runCycle();
        const std::chrono::duration<double> took = Clock::now() - begin;
        state.SetIterationTime(took.count());
        total += took.count();
        clear();
    }
    const double cyclesRun = double(state.iterations()) * cycles;
    state.SetItemsProcessed(state.iterations() * cycles * messagesPerCycle);
    state.counters["cycle_ns"] = total * 1e9 / cyclesRun;
    state.counters["message_ns"] = total * 1e9 / (cyclesRun * messagesPerCycle);
}

}  // namespace ostrel::bench
