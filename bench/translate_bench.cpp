// Time the engine takes for one message, as the input callback presents it.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "core/assignment_table.h"
#include "core/translation_engine.h"
#include "curves/current_curve.h"

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

// What a player sends in a few seconds: mostly notes with their aftertouch,
// knob and fader sweeps, the clock running, now and then a transport button or
// a System Exclusive message.
std::vector<Message> MixedStream() {
    std::vector<Message> s;
    for (int bar = 0; bar < 16; ++bar) {
        for (int n = 0; n < 4; ++n) {
            const uint8_t note = static_cast<uint8_t>(48 + (bar * 5 + n * 7) % 36);
            s.push_back(Short(0x90, note, static_cast<uint8_t>(30 + n * 25)));
            s.push_back(Short(0xD0, static_cast<uint8_t>(20 + n * 30)));
            s.push_back(Short(0xF8));
            s.push_back(Short(0x80, note, 0x40));
        }
        s.push_back(Short(0xB0, 0x4A, static_cast<uint8_t>(bar * 8)));            // knob 1
        s.push_back(Short(0xB0, 0x47, static_cast<uint8_t>(bar * 4)));            // knob 2
        s.push_back(Short(static_cast<uint8_t>(0xB0 | (bar % 16)), 0x07, 0x64));  // faders
        s.push_back(Short(0xB0, 0x0D, static_cast<uint8_t>(127 - bar)));          // drawbar 1
        s.push_back(Short(0xE0, 0x00, static_cast<uint8_t>(0x40 + bar)));         // pitch bend
        s.push_back(Short(0xB0, 0x40, bar % 2 ? 0x7F : 0x00));                    // sustain
        s.push_back(Short(0xFE));
        s.push_back(Short(0xF8));
    }
    s.push_back(Short(0xFA));
    s.push_back(Short(0xF2, 0x10, 0x00));
    s.push_back(Short(0xF2, 0x08, 0x00));
    s.push_back(Short(0xF2, 0x00, 0x00));
    s.push_back(Short(0xFC));
    s.push_back(Long({0xF0, 0x7F, 0x00, 0x06, 0x06, 0xF7}));
    s.push_back(Short(0xF2, 0x00, 0x00));
    s.push_back(Long({0xF0, 0x7F, 0x7F, 0x04, 0x01, 0x7F, 0x64, 0xF7}));
    s.push_back(Long({0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}));
    std::vector<uint8_t> dump(59, 0x11);
    const uint8_t header[] = {0xF0, 0x00, 0x5A, 0x52, 0x4B};
    std::memcpy(dump.data(), header, sizeof header);
    dump.back() = 0xF7;
    s.push_back(Long(dump));
    return s;
}

// A table a player would use: knobs moved to other controllers, a fader off,
// some keys turned into switches, a velocity and a touch curve, an output channel.
void SetUpTable(AssignmentTable& table, CurrentCurves& curves) {
    table.Set(Entry::KNOB01, "074");
    table.Set(Entry::KNOB02, "007");
    table.Set(Entry::VOL03, "###");
    table.Set(Entry::VOLM, "007");
    table.Set(Entry::PITCH, "001");
    table.Set(Entry::CHANEL, "002");
    for (int note = 48; note < 60; ++note) table.SetNote(note, "064");
    table.SetNote(61, "###");
    curves.Of(CurveKind::Velocity).SetAll(CurvePoints{64, 128, 192, 32, 256, 256});
    curves.Of(CurveKind::Touch).SetAll(CurvePoints{32, 200, 220, 40, 256, 256});
}

void RunStream(benchmark::State& state, const std::vector<Message>& stream) {
    AssignmentTable table;
    CurrentCurves curves;
    SetUpTable(table, curves);
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
