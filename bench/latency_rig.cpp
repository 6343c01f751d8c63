// The player and the listener of the latency bench, in their process callbacks.
#include "bench/latency_rig.h"

#include <jack/midiport.h>

#include <algorithm>
#include <chrono>
#include <thread>

namespace ostrel::bench {

BenchClient::BenchClient(const std::string& name, JackProcessCallback process, void* arg,
                         const std::vector<std::pair<const char*, unsigned long>>& ports) {
    client_ = jack_client_open(name.c_str(), JackNoStartServer, nullptr);
    if (!client_) return;
    for (const auto& [portName, flags] : ports) {
        ports_.push_back(jack_port_register(client_, portName, JACK_DEFAULT_MIDI_TYPE, flags, 0));
        if (!ports_.back()) {
            Close();
            return;
        }
    }
    jack_set_process_callback(client_, process, arg);
    jack_set_xrun_callback(
        client_,
        [](void* self) {
            static_cast<BenchClient*>(self)->xruns_.fetch_add(1);
            return 0;
        },
        this);
    if (jack_activate(client_) != 0) Close();
}

BenchClient::~BenchClient() {
    if (!client_) return;
    jack_deactivate(client_);
    jack_client_close(client_);
}

void BenchClient::Close() {
    jack_client_close(client_);
    client_ = nullptr;
}

LatencyRig::LatencyRig(const std::string& stem)
    : player_(stem + "-player", &LatencyRig::PlayCycle, this, {{"out", JackPortIsOutput}}),
      listener_(stem + "-listener", &LatencyRig::ListenCycle, this,
                {{"direct", JackPortIsInput}, {"thru", JackPortIsInput}}) {}

void LatencyRig::StartStream(uint32_t rate, uint32_t count) {
    rate_ = rate;
    count_ = count;
    std::fill(played_.begin(), played_.end(), kNotArrived);
    for (Arrivals& a : arrivals_) {
        std::fill(a.frame.begin(), a.frame.end(), kNotArrived);
        a.duplicates = a.foreign = a.outOfOrder = a.last = 0;
        a.any = false;
    }
    next_.store(0, std::memory_order_relaxed);
    started_ = false;
    streaming_.store(true, std::memory_order_release);
}

void LatencyRig::StopStream() {
    streaming_.store(false, std::memory_order_release);
    WaitCycles(2);
}

bool LatencyRig::WaitCycles(uint64_t n) {
    const uint64_t player = player_.Cycles() + n, listener = listener_.Cycles() + n;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (player_.Cycles() < player || listener_.Cycles() < listener) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

int64_t LatencyRig::SwitchScene(uint8_t program, uint32_t offset, uint8_t cc) {
    program_ = program;
    offset_ = offset;
    wantedCc_ = cc;
    switch_.store(kAsked, std::memory_order_release);
    for (int cycles = 0; cycles < 20 && switch_.load(std::memory_order_acquire) != kSeen; ++cycles)
        WaitCycles(1);
    const bool seen = switch_.exchange(kNoSwitch, std::memory_order_acq_rel) == kSeen;
    WaitCycles(2);  // the last probes go by
    return seen ? int64_t(int32_t(switchArrival_ - triggerFrame_)) : -1;
}

int LatencyRig::PlayCycle(jack_nframes_t frames, void* arg) {
    auto* self = static_cast<LatencyRig*>(arg);
    self->Play(frames);
    self->player_.CycleDone();
    return 0;
}

int LatencyRig::ListenCycle(jack_nframes_t frames, void* arg) {
    auto* self = static_cast<LatencyRig*>(arg);
    for (int p = 0; p < kPaths; ++p) self->Record(static_cast<Path>(p), frames);
    self->listener_.CycleDone();
    return 0;
}

void LatencyRig::Record(Path path, jack_nframes_t frames) {
    const bool streaming = streaming_.load(std::memory_order_acquire);
    const uint32_t start = jack_last_frame_time(listener_.handle());
    void* buffer = jack_port_get_buffer(listener_.port(path), frames);
    Arrivals& a = arrivals_[path];
    const uint32_t count = jack_midi_get_event_count(buffer);
    for (uint32_t i = 0; i < count; ++i) {
        jack_midi_event_t e;
        if (jack_midi_event_get(&e, buffer, i) != 0) continue;
        if (e.size == 1 && e.buffer[0] == kProbe) {
            a.probeSeen.store(true);
            continue;
        }
        if (path == kThru && e.size == 3 && e.buffer[0] == 0xB0 && e.buffer[1] == wantedCc_ &&
            switch_.load(std::memory_order_acquire) == kPlayed) {
            switchArrival_ = start + e.time;
            switch_.store(kSeen, std::memory_order_release);
        }
        if (!streaming) continue;
        if (e.size != 3 || (e.buffer[0] & 0xF0) != 0xA0 || e.buffer[1] > 0x7F ||
            e.buffer[2] > 0x7F) {
            ++a.foreign;
            continue;
        }
        const uint32_t seq =
            (uint32_t(e.buffer[0] & 0x0F) << 14) | (uint32_t(e.buffer[1]) << 7) | e.buffer[2];
        if (seq >= count_ || a.frame[seq] != kNotArrived) {
            ++a.duplicates;
            continue;
        }
        a.frame[seq] = start + e.time;
        if (a.any && seq < a.last) ++a.outOfOrder;
        a.last = seq;
        a.any = true;
    }
}

// Message k is due at frame base + k * sample rate / rate, base being the
// first frame of the stream's first cycle. A message the cycle has no room
// for waits for the next one; the frame it was written at is kept.
void LatencyRig::Play(jack_nframes_t frames) {
    const bool streaming = streaming_.load(std::memory_order_acquire);
    const uint32_t start = jack_last_frame_time(player_.handle());
    void* buffer = jack_port_get_buffer(player_.port(0), frames);
    jack_midi_clear_buffer(buffer);
    if (probe_.exchange(false, std::memory_order_acq_rel)) {
        const jack_midi_data_t probe = kProbe;
        jack_midi_event_write(buffer, 0, &probe, 1);
    }
    PlaySwitch(buffer, frames, start);
    if (!streaming) return;
    if (!started_) {
        base_ = start;
        started_ = true;
    }
    const uint64_t sampleRate = jack_get_sample_rate(player_.handle());
    uint32_t k = next_.load(std::memory_order_relaxed);
    uint32_t last = 0;
    for (; k < count_; ++k) {
        const uint32_t due = base_ + uint32_t(uint64_t(k) * sampleRate / rate_);
        if (int32_t(due - (start + frames)) >= 0) break;  // a later cycle's
        const uint32_t offset = std::max(last, int32_t(due - start) > 0 ? due - start : 0);
        const jack_midi_data_t m[3] = {jack_midi_data_t(0xA0 | (k >> 14)),
                                       jack_midi_data_t((k >> 7) & 0x7F),
                                       jack_midi_data_t(k & 0x7F)};
        if (jack_midi_event_write(buffer, offset, m, 3) != 0) break;
        played_[k] = start + offset;
        last = offset;
    }
    next_.store(k, std::memory_order_release);
}

void LatencyRig::PlaySwitch(void* buffer, jack_nframes_t frames, uint32_t start) {
    const int state = switch_.load(std::memory_order_acquire);
    if (state != kAsked && state != kPlayed) return;
    const jack_midi_data_t probe[3] = {0xB0, 0x4A, 0x00};
    uint32_t from = 0;
    if (state == kAsked) {
        const uint32_t offset = std::min<uint32_t>(offset_, frames - 1);
        const jack_midi_data_t change[2] = {0xC0, program_};
        jack_midi_event_write(buffer, offset, change, 2);
        triggerFrame_ = start + offset;
        switch_.store(kPlayed, std::memory_order_release);
        from = offset + 1;
    }
    // Every later frame of the trigger's cycle, the first of each cycle after it.
    const uint32_t to = state == kAsked ? frames : 1;
    for (uint32_t f = from; f < to; ++f) jack_midi_event_write(buffer, f, probe, 3);
}

}  // namespace ostrel::bench
