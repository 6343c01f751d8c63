// A JACK client that plays short messages at a steady rate into the graph, for
// measuring what the monitor of a reader costs: "midi_flood RATE SECONDS"
// plays RATE messages a second, spread evenly over each cycle, for SECONDS
// (0: until ended), from its port "flood:out". Note-ons and their note-offs in
// turn, over all keys, so that every message is a line of the monitor.
#include <jack/jack.h>
#include <jack/midiport.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace {

struct Flood {
    jack_port_t* out = nullptr;
    double perFrame = 0;  // messages per frame
    double owed = 0;      // messages due, not yet played
    uint32_t played = 0;
};

std::atomic<bool> stop{false};

int Process(jack_nframes_t frames, void* arg) {
    auto& flood = *static_cast<Flood*>(arg);
    void* buffer = jack_port_get_buffer(flood.out, frames);
    jack_midi_clear_buffer(buffer);
    flood.owed += flood.perFrame * frames;
    const auto count = static_cast<uint32_t>(flood.owed);
    flood.owed -= count;
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t n = flood.played++;
        const uint8_t key = static_cast<uint8_t>((n / 2) % 128);
        const uint8_t message[3] = {static_cast<uint8_t>(n % 2 ? 0x80 : 0x90), key, 0x40};
        jack_midi_event_write(buffer, static_cast<jack_nframes_t>(uint64_t(i) * frames / count),
                              message, sizeof message);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: midi_flood RATE SECONDS\n");
        return 2;
    }
    const double rate = std::atof(argv[1]);
    const double seconds = std::atof(argv[2]);
    jack_client_t* client = jack_client_open("flood", JackNoStartServer, nullptr);
    if (client == nullptr) {
        std::fprintf(stderr, "midi_flood: no JACK server\n");
        return 1;
    }
    Flood flood;
    flood.out = jack_port_register(client, "out", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
    flood.perFrame = rate / jack_get_sample_rate(client);
    jack_set_process_callback(client, Process, &flood);
    if (flood.out == nullptr || jack_activate(client) != 0) {
        std::fprintf(stderr, "midi_flood: cannot activate\n");
        return 1;
    }
    std::signal(SIGTERM, [](int) { stop = true; });
    std::signal(SIGINT, [](int) { stop = true; });
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!stop && (seconds <= 0 || std::chrono::steady_clock::now() < end))
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    jack_client_close(client);
    return 0;
}
