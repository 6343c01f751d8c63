// Added latency and loss of Ostrel in a JACK graph, beside a direct connection.
//
// A player client plays a stream at a given rate on its port "out", each
// message stamped with a sequence number; a listener client records the frame
// at which each one arrives on two ports: "direct" (connected straight to
// "out") and "thru" (connected through `ostrel-cli run`, started as a child
// process as a user starts it). Both paths are measured in the same run, so
// they share every cycle. The stream is polyphonic key pressure, which the
// default table passes unchanged: channel, key and pressure carry 18 bits of
// sequence number. The JACK DSP load is sampled during each stream, without
// Ostrel and with it.
//
// Run beside a JACK server (`make bench`: scripts/with-jack.sh at 256 frames a
// period, real-time scheduling); usage:
//   jack_latency_bench [--seconds N] [--cli PATH]
#include <jack/jack.h>
#include <jack/midiport.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "support/child_process.h"

namespace {

using Clock = std::chrono::steady_clock;
using ostrel::test::ChildProcess;

constexpr uint32_t kNotArrived = 0xFFFFFFFF;
constexpr uint32_t kMaxMessages = 1u << 18;  // sequence numbers 4 + 7 + 7 bits wide
constexpr uint8_t kProbe = 0xF6;             // tune request: passed unchanged, not part of a stream
constexpr int kRates[] = {1000, 10000, 50000};

enum Path { kDirect, kThru, kPaths };
const char* const kPathNames[kPaths] = {"direct", "Ostrel"};

// What one input port saw of the current stream: written by the process
// callback while a stream runs, read by the main thread once it has stopped.
struct Arrivals {
    // Arrival frame by sequence number.
    std::vector<uint32_t> frame = std::vector<uint32_t>(kMaxMessages, kNotArrived);
    uint64_t duplicates = 0;  // a sequence number seen twice
    uint64_t foreign = 0;     // anything but the stream's messages and probes
    uint64_t outOfOrder = 0;  // a lower sequence number after a higher one
    uint32_t last = 0;
    bool any = false;
    std::atomic<bool> probeSeen{false};
};

// A JACK client of the bench: opened, its ports registered, activated; counts
// its cycles.
class BenchClient {
  public:
    BenchClient(const std::string& name, JackProcessCallback process, void* arg,
                const std::vector<std::pair<const char*, unsigned long>>& ports) {
        client_ = jack_client_open(name.c_str(), JackNoStartServer, nullptr);
        if (!client_) return;
        for (const auto& [portName, flags] : ports) {
            ports_.push_back(
                jack_port_register(client_, portName, JACK_DEFAULT_MIDI_TYPE, flags, 0));
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
    ~BenchClient() {
        if (!client_) return;
        jack_deactivate(client_);
        jack_client_close(client_);
    }
    BenchClient(const BenchClient&) = delete;
    BenchClient& operator=(const BenchClient&) = delete;

    bool ok() const { return client_ != nullptr; }
    jack_client_t* handle() const { return client_; }
    jack_port_t* port(size_t i) const { return ports_[i]; }
    std::string Port(const char* shortName) const {
        return std::string(jack_get_client_name(client_)) + ":" + shortName;
    }
    // Called at the end of each process callback.
    void CycleDone() { cycles_.fetch_add(1, std::memory_order_release); }
    uint64_t Cycles() const { return cycles_.load(std::memory_order_acquire); }
    uint64_t Xruns() const { return xruns_.load(); }

  private:
    void Close() {
        jack_client_close(client_);
        client_ = nullptr;
    }
    jack_client_t* client_ = nullptr;
    std::vector<jack_port_t*> ports_;
    std::atomic<uint64_t> cycles_{0}, xruns_{0};
};

// The measuring pair: a player ("out", the keyboard) and a listener ("direct"
// and "thru", the synth). Two clients, so that the graph runs the player
// first, then Ostrel, then the listener: a message can arrive in the cycle in
// which it was played.
class LatencyRig {
  public:
    explicit LatencyRig(const std::string& stem)
        : player_(stem + "-player", &LatencyRig::PlayCycle, this, {{"out", JackPortIsOutput}}),
          listener_(stem + "-listener", &LatencyRig::ListenCycle, this,
                    {{"direct", JackPortIsInput}, {"thru", JackPortIsInput}}) {}

    bool ok() const { return player_.ok() && listener_.ok(); }
    jack_client_t* handle() const { return player_.handle(); }
    std::string Out() const { return player_.Port("out"); }
    std::string In(Path path) const { return listener_.Port(path == kDirect ? "direct" : "thru"); }
    uint32_t SampleRate() const { return jack_get_sample_rate(player_.handle()); }
    uint32_t Period() const { return jack_get_buffer_size(player_.handle()); }
    uint64_t Xruns() const { return player_.Xruns(); }
    uint64_t Played() const { return next_.load(std::memory_order_acquire); }

    // Plays count messages at rate a second, from the next cycle on.
    void StartStream(uint32_t rate, uint32_t count) {
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
    // Stops playing and recording; after it returns no cycle touches the
    // stream's records.
    void StopStream() {
        streaming_.store(false, std::memory_order_release);
        WaitCycles(2);
    }
    // Waits until both clients have run n more cycles.
    bool WaitCycles(uint64_t n) {
        const uint64_t player = player_.Cycles() + n, listener = listener_.Cycles() + n;
        const auto deadline = Clock::now() + std::chrono::seconds(20);
        while (player_.Cycles() < player || listener_.Cycles() < listener) {
            if (Clock::now() > deadline) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return true;
    }
    void SendProbe() { probe_.store(true, std::memory_order_release); }
    bool ProbeSeen(Path path) { return arrivals_[path].probeSeen.exchange(false); }

    const std::vector<uint32_t>& PlayedFrames() const { return played_; }
    const Arrivals& Received(Path path) const { return arrivals_[path]; }

  private:
    static int PlayCycle(jack_nframes_t frames, void* arg) {
        auto* self = static_cast<LatencyRig*>(arg);
        self->Play(frames);
        self->player_.CycleDone();
        return 0;
    }
    static int ListenCycle(jack_nframes_t frames, void* arg) {
        auto* self = static_cast<LatencyRig*>(arg);
        for (int p = 0; p < kPaths; ++p) self->Record(static_cast<Path>(p), frames);
        self->listener_.CycleDone();
        return 0;
    }

    void Record(Path path, jack_nframes_t frames) {
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
    void Play(jack_nframes_t frames) {
        const bool streaming = streaming_.load(std::memory_order_acquire);
        const uint32_t start = jack_last_frame_time(player_.handle());
        void* buffer = jack_port_get_buffer(player_.port(0), frames);
        jack_midi_clear_buffer(buffer);
        if (probe_.exchange(false, std::memory_order_acq_rel)) {
            const jack_midi_data_t probe = kProbe;
            jack_midi_event_write(buffer, 0, &probe, 1);
        }
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

    std::atomic<bool> streaming_{false}, probe_{false};
    std::atomic<uint32_t> next_{0};
    // Set by the main thread before a stream starts, read by the callbacks.
    uint32_t rate_ = 1, count_ = 0;
    // Player callback only, while a stream runs.
    bool started_ = false;
    uint32_t base_ = 0;
    std::vector<uint32_t> played_ = std::vector<uint32_t>(kMaxMessages, kNotArrived);
    Arrivals arrivals_[kPaths];
    // Last: their callbacks start once all of the above exists, and stop
    // before it goes.
    BenchClient player_, listener_;
};

struct PathFigures {
    uint64_t sent = 0, received = 0, lost = 0, unexpected = 0, outOfOrder = 0;
    double mean = 0;
    int64_t min = 0, p99 = 0, max = 0;
};

struct Load {
    double mean = 0, median = 0, max = 0;
};

struct StreamFigures {
    uint32_t rate = 0;
    PathFigures path[kPaths];
    Load load;
    uint64_t xruns = 0;
};

PathFigures Figures(const LatencyRig& rig, Path path, uint32_t count) {
    const Arrivals& a = rig.Received(path);
    const std::vector<uint32_t>& played = rig.PlayedFrames();
    PathFigures f;
    f.sent = count;
    f.unexpected = a.duplicates + a.foreign;
    f.outOfOrder = a.outOfOrder;
    std::vector<int64_t> added;
    added.reserve(count);
    for (uint32_t k = 0; k < count; ++k) {
        if (a.frame[k] == kNotArrived) continue;
        added.push_back(int32_t(a.frame[k] - played[k]));
    }
    f.received = added.size();
    f.lost = count - added.size();
    if (added.empty()) return f;
    std::sort(added.begin(), added.end());
    double sum = 0;
    for (int64_t v : added) sum += double(v);
    f.mean = sum / double(added.size());
    f.min = added.front();
    f.max = added.back();
    // Nearest rank: the smallest value that at least 99 % of the messages reach.
    const size_t rank = (added.size() * 99 + 99) / 100;
    f.p99 = added[std::max<size_t>(rank, 1) - 1];
    return f;
}

// Plays one stream and waits until everything it carried had time to arrive;
// the DSP load is sampled meanwhile.
bool Stream(LatencyRig& rig, uint32_t rate, uint32_t count, StreamFigures& figures) {
    figures = {};
    figures.rate = rate;
    const uint64_t xruns = rig.Xruns();
    rig.StartStream(rate, count);
    const double seconds = double(count) / rate;
    const auto deadline = Clock::now() + std::chrono::duration<double>(seconds * 4 + 20);
    std::vector<double> loads;
    while (rig.Played() < count) {
        if (Clock::now() > deadline) {
            std::fprintf(stderr, "jack_latency_bench: the stream at %u/s did not finish\n", rate);
            rig.StopStream();
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        loads.push_back(jack_cpu_load(rig.handle()));
    }
    if (!loads.empty()) {
        std::sort(loads.begin(), loads.end());
        for (double load : loads) figures.load.mean += load / double(loads.size());
        figures.load.median = loads[loads.size() / 2];
        figures.load.max = loads.back();
    }
    // A few more cycles: everything in flight arrives within them.
    rig.WaitCycles(8);
    rig.StopStream();
    for (int p = 0; p < kPaths; ++p) figures.path[p] = Figures(rig, static_cast<Path>(p), count);
    figures.xruns = rig.Xruns() - xruns;
    return true;
}

bool Connected(jack_client_t* c, const std::string& port, const std::string& other) {
    jack_port_t* p = jack_port_by_name(c, port.c_str());
    return p != nullptr && jack_port_connected_to(p, other.c_str());
}

// Starts ostrel-cli between "out" and "thru", and waits until a probe comes
// through it.
std::unique_ptr<ChildProcess> StartOstrel(LatencyRig& rig, const std::string& cli,
                                          const std::string& name) {
    auto child = std::make_unique<ChildProcess>(std::vector<std::string>{
        cli, "run", "--in", rig.Out(), "--out", rig.In(kThru), "--name", name});
    if (!child->Started() || !child->WaitForErr("ready", std::chrono::seconds(60))) {
        std::fprintf(stderr, "jack_latency_bench: %s run did not start: %s\n", cli.c_str(),
                     child->Err().c_str());
        return nullptr;
    }
    const auto deadline = Clock::now() + std::chrono::seconds(60);
    while (!Connected(rig.handle(), rig.Out(), name + ":in") ||
           !Connected(rig.handle(), rig.In(kThru), name + ":out")) {
        if (Clock::now() > deadline) {
            std::fprintf(stderr, "jack_latency_bench: ostrel-cli did not connect: %s\n",
                         child->Err().c_str());
            return nullptr;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    rig.ProbeSeen(kThru);
    while (!rig.ProbeSeen(kThru)) {
        if (Clock::now() > deadline) {
            std::fprintf(stderr, "jack_latency_bench: nothing came through ostrel-cli\n");
            return nullptr;
        }
        rig.SendProbe();
        rig.WaitCycles(4);
    }
    return child;
}

void PrintLatency(const std::vector<StreamFigures>& streams, int paths) {
    std::printf("\n%-7s %-7s %7s %8s %6s %6s %6s %8s %5s %5s %5s %6s %6s\n", "rate/s", "path",
                "sent", "received", "lost", "extra", "order", "mean", "p99", "max", "min", "spread",
                "xruns");
    for (const StreamFigures& s : streams) {
        for (int p = 0; p < paths; ++p) {
            const PathFigures& f = s.path[p];
            std::printf(
                "%-7u %-7s %7llu %8llu %6llu %6llu %6llu %8.2f %5lld %5lld %5lld %6lld %6llu\n",
                s.rate, kPathNames[p], (unsigned long long)f.sent, (unsigned long long)f.received,
                (unsigned long long)f.lost, (unsigned long long)f.unexpected,
                (unsigned long long)f.outOfOrder, f.mean, (long long)f.p99, (long long)f.max,
                (long long)f.min, (long long)(f.max - f.min), (unsigned long long)s.xruns);
        }
    }
}

int Main(int argc, char** argv) {
    double seconds = 4;
    std::string cli = OSTREL_CLI_PATH;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--seconds") == 0 && i + 1 < argc) {
            seconds = std::atof(argv[++i]);
        } else if (std::strcmp(argv[i], "--cli") == 0 && i + 1 < argc) {
            cli = argv[++i];
        } else {
            std::fprintf(stderr, "usage: jack_latency_bench [--seconds N] [--cli PATH]\n");
            return 2;
        }
    }
    if (!(seconds > 0) || seconds * kRates[2] > kMaxMessages) {
        std::fprintf(stderr, "jack_latency_bench: --seconds must be above 0 and at most %.2f\n",
                     double(kMaxMessages) / kRates[2]);
        return 2;
    }

    const std::string name = "latency-bench-" + std::to_string(getpid());
    LatencyRig rig(name);
    if (!rig.ok()) {
        std::fprintf(stderr,
                     "jack_latency_bench: no JACK server (run under scripts/with-jack.sh)\n");
        return 1;
    }
    if (jack_connect(rig.handle(), rig.Out().c_str(), rig.In(kDirect).c_str()) != 0) {
        std::fprintf(stderr, "jack_latency_bench: cannot connect the player to the listener\n");
        return 1;
    }
    rig.WaitCycles(4);

    std::vector<StreamFigures> without, with;
    for (int rate : kRates) {
        StreamFigures f;
        if (!Stream(rig, rate, uint32_t(rate * seconds), f)) return 1;
        without.push_back(f);
    }
    const std::string ostrelName = "Ostrel-bench-" + std::to_string(getpid());
    std::unique_ptr<ChildProcess> ostrel = StartOstrel(rig, cli, ostrelName);
    if (!ostrel) return 1;
    for (int rate : kRates) {
        StreamFigures f;
        if (!Stream(rig, rate, uint32_t(rate * seconds), f)) return 1;
        with.push_back(f);
    }
    ostrel->Signal(SIGTERM);
    const int status = ostrel->Wait(std::chrono::seconds(30));

    std::printf(
        "\nOstrel in the JACK graph: %u Hz, %u frames a period, %s scheduling, %.1f s a stream "
        "at each rate.\nA player client plays on its out; a listener client takes it on direct "
        "(connected\nstraight) and on thru (through ostrel-cli run, a child process).\n",
        rig.SampleRate(), rig.Period(), jack_is_realtime(rig.handle()) ? "real-time" : "normal",
        seconds);
    std::printf(
        "Added latency in frames: frame of arrival minus frame at which the message was "
        "played.\nlost: never arrived; extra: duplicated or altered; order: arrived after "
        "a later one;\nxruns: cycles some client missed during the stream (what they "
        "carried is lost).\n");
    std::printf("\nWith ostrel-cli run, both paths in the same cycles:");
    PrintLatency(with, kPaths);
    std::printf("\nThe direct connection alone, before ostrel-cli started:");
    PrintLatency(without, 1);
    std::printf("\nJACK DSP load in %% (jack_cpu_load, sampled every 50 ms during each stream)\n");
    std::printf("%-7s %26s %26s\n", "", "without Ostrel", "with Ostrel");
    std::printf("%-7s %8s %8s %8s %8s %8s %8s\n", "rate/s", "mean", "median", "max", "mean",
                "median", "max");
    for (size_t i = 0; i < with.size(); ++i) {
        const Load &a = without[i].load, &b = with[i].load;
        std::printf("%-7u %8.2f %8.2f %8.2f %8.2f %8.2f %8.2f\n", with[i].rate, a.mean, a.median,
                    a.max, b.mean, b.median, b.max);
    }
    std::printf("\nostrel-cli run ended with status %d; its standard error:\n%s", status,
                ostrel->Err().c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) { return Main(argc, argv); }
