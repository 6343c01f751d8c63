// Added latency and loss of Ostrel in a JACK graph, beside a direct connection.
//
// A player client plays a stream at a given rate on its port "out", each
// message stamped with a sequence number; a listener client records the frame
// at which each one arrives on two ports: "direct" (connected straight to
// "out") and "thru" (connected through `ostrel-cli run`, started as a child
// process as a user starts it). Both paths are measured in the same run, so
// they share every cycle. The stream is polyphonic key pressure, which the
// default table passes unchanged: channel, key and pressure carry 18 bits of
// sequence number. The JACK DSP load is sampled during each stream: with the
// direct connection alone, with an empty client on thru (a client of this
// bench that copies its input to its output: the cost of any client, JACK's
// wake-up of it each cycle), with Ostrel, and with an in-host MIDI filter (x42's
// velocitygamma LV2 plugin in jalv, when installed), each in turn. Then the
// time from a program change to the first message of the scene it chose, with
// `ostrel-cli run --setlist`.
//
// Run beside a JACK server (`make bench`: scripts/with-jack.sh at 256 frames a
// period, real-time scheduling); usage:
//   jack_latency_bench [--seconds N] [--cli PATH]
#include <fcntl.h>
#include <jack/jack.h>
#include <jack/midiport.h>
#include <signal.h>
#include <sys/stat.h>
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

#include "bench/latency_rig.h"
#include "support/child_process.h"

namespace {

using namespace ostrel::bench;
using Clock = std::chrono::steady_clock;
using ostrel::test::ChildProcess;

constexpr int kRates[] = {1000, 10000, 50000};

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

// Waits until the client between "out" and "thru" is connected on both sides
// (connect: make the connections first) and a probe comes through it.
bool ThroughReady(LatencyRig& rig, const std::string& in, const std::string& out, bool connect,
                  const char* what) {
    const auto deadline = Clock::now() + std::chrono::seconds(60);
    while (!Connected(rig.handle(), rig.Out(), in) ||
           !Connected(rig.handle(), rig.In(kThru), out)) {
        if (connect && jack_port_by_name(rig.handle(), in.c_str()) != nullptr &&
            jack_port_by_name(rig.handle(), out.c_str()) != nullptr) {
            jack_connect(rig.handle(), rig.Out().c_str(), in.c_str());
            jack_connect(rig.handle(), out.c_str(), rig.In(kThru).c_str());
        }
        if (Clock::now() > deadline) {
            std::fprintf(stderr, "jack_latency_bench: %s did not connect\n", what);
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    rig.ProbeSeen(kThru);
    while (!rig.ProbeSeen(kThru)) {
        if (Clock::now() > deadline) {
            std::fprintf(stderr, "jack_latency_bench: nothing came through %s\n", what);
            return false;
        }
        rig.SendProbe();
        rig.WaitCycles(4);
    }
    return true;
}

// Starts ostrel-cli between "out" and "thru" as a user starts it.
std::unique_ptr<ChildProcess> StartOstrel(LatencyRig& rig, const std::string& cli,
                                          const std::string& name,
                                          const std::vector<std::string>& more = {}) {
    std::vector<std::string> args = {cli,     "run",         "--in",   rig.Out(),
                                     "--out", rig.In(kThru), "--name", name};
    args.insert(args.end(), more.begin(), more.end());
    auto child = std::make_unique<ChildProcess>(args);
    if (!child->Started() || !child->WaitForErr("ready", std::chrono::seconds(60))) {
        std::fprintf(stderr, "jack_latency_bench: %s run did not start: %s\n", cli.c_str(),
                     child->Err().c_str());
        return nullptr;
    }
    if (!ThroughReady(rig, name + ":in", name + ":out", false, "ostrel-cli")) {
        std::fprintf(stderr, "%s", child->Err().c_str());
        return nullptr;
    }
    return child;
}

// Scene switches: ostrel-cli run --setlist with two scenes that send knob 1 as
// control 7 and as control 11. Each switch is a program change at a frame
// spread over the period, followed by knob 1 on every later frame; the time is
// from the program change's frame to the first knob 1 sent as the new scene
// says, in frames. Sorted; empty when ostrel-cli could not run the setlist.
std::vector<int64_t> SceneSwitches(LatencyRig& rig, const std::string& cli, const std::string& name,
                                   int switches, std::string& err) {
    char folder[] = "/tmp/ostrel-bench-XXXXXX";
    if (mkdtemp(folder) == nullptr) return {};
    const std::string dir = folder;
    const auto write = [&](const char* file, const char* text) {
        if (FILE* f = std::fopen((dir + "/" + file).c_str(), "w")) {
            std::fputs(text, f);
            std::fclose(f);
        }
    };
    write("seven.cfg", "[KNOB01]\nDATA=007\n");
    write("eleven.cfg", "[KNOB01]\nDATA=011\n");
    write("bench.setlist",
          "[SETLIST]\nFILE1=seven.cfg\nFILE2=eleven.cfg\n[TRIGGER]\nPROGRAM=***\n");
    std::vector<int64_t> frames;
    if (auto ostrel = StartOstrel(rig, cli, name, {"--setlist", dir + "/bench.setlist"})) {
        for (int i = 0; i < switches; ++i) {
            const uint8_t program = uint8_t((i + 1) % 2);
            const int64_t f =
                rig.SwitchScene(program, uint32_t(i * 97) % rig.Period(), program == 0 ? 7 : 11);
            if (f >= 0) frames.push_back(f);
        }
        ostrel->Signal(SIGTERM);
        ostrel->Wait(std::chrono::seconds(30));
        err = ostrel->Err();
    }
    for (const char* file : {"seven.cfg", "eleven.cfg", "bench.setlist"})
        unlink((dir + "/" + file).c_str());
    rmdir(folder);
    std::sort(frames.begin(), frames.end());
    return frames;
}

// The velocitygamma filter of x42's MIDI filters, hosted by jalv, between "out"
// and "thru"; null when jalv or the plugin is not installed. jalv reads
// commands from its standard input and ends at its end: a FIFO that this
// process holds open keeps it running.
constexpr const char* kFilterUri = "http://gareus.org/oss/lv2/midifilter#velocitygamma";

std::unique_ptr<ChildProcess> StartFilter(LatencyRig& rig, const std::string& name,
                                          const std::string& fifo) {
    if (std::system("command -v jalv >/dev/null && test -e /usr/lib/lv2/midifilter.lv2") != 0)
        return nullptr;
    unlink(fifo.c_str());
    if (mkfifo(fifo.c_str(), 0600) != 0 || open(fifo.c_str(), O_RDWR | O_CLOEXEC) < 0)
        return nullptr;
    auto child = std::make_unique<ChildProcess>(std::vector<std::string>{
        "/bin/sh", "-c", "exec jalv -x -n \"$0\" \"$1\" <\"$2\"", name, kFilterUri, fifo});
    if (!child->Started() ||
        !ThroughReady(rig, name + ":midiin", name + ":midiout", true, "jalv")) {
        std::fprintf(stderr, "%s", child->Err().c_str());
        return nullptr;
    }
    return child;
}

// A client that copies every event of its input to its output and does
// nothing else: what any client between "out" and "thru" costs the graph.
class EmptyClient {
  public:
    explicit EmptyClient(const std::string& name)
        : client_(name, &EmptyClient::Process, this,
                  {{"in", JackPortIsInput}, {"out", JackPortIsOutput}}) {}
    bool ok() const { return client_.ok(); }
    std::string Port(const char* shortName) const { return client_.Port(shortName); }

  private:
    static int Process(jack_nframes_t frames, void* arg) {
        auto* self = static_cast<EmptyClient*>(arg);
        void* in = jack_port_get_buffer(self->client_.port(0), frames);
        void* out = jack_port_get_buffer(self->client_.port(1), frames);
        jack_midi_clear_buffer(out);
        const uint32_t count = jack_midi_get_event_count(in);
        for (uint32_t i = 0; i < count; ++i) {
            jack_midi_event_t e;
            if (jack_midi_event_get(&e, in, i) == 0)
                jack_midi_event_write(out, e.time, e.buffer, e.size);
        }
        return 0;
    }
    BenchClient client_;
};

// thru: the name of the thru path in the table.
void PrintLatency(const std::vector<StreamFigures>& streams, int paths, const char* thru) {
    const char* const names[kPaths] = {"direct", thru};
    std::printf("\n%-7s %-7s %7s %8s %6s %6s %6s %8s %5s %5s %5s %6s %6s\n", "rate/s", "path",
                "sent", "received", "lost", "extra", "order", "mean", "p99", "max", "min", "spread",
                "xruns");
    for (const StreamFigures& s : streams) {
        for (int p = 0; p < paths; ++p) {
            const PathFigures& f = s.path[p];
            std::printf(
                "%-7u %-7s %7llu %8llu %6llu %6llu %6llu %8.2f %5lld %5lld %5lld %6lld %6llu\n",
                s.rate, names[p], (unsigned long long)f.sent, (unsigned long long)f.received,
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

    // Each phase puts one client (or none) between "out" and "thru" and plays
    // the streams at every rate through it.
    struct Phase {
        const char* label;
        std::vector<StreamFigures> streams;
        bool ran = false;
    };
    Phase phases[] = {{"direct alone", {}, false},
                      {"empty client", {}, false},
                      {"Ostrel", {}, false},
                      {"LV2 filter", {}, false}};
    auto play = [&](Phase& phase) {
        for (int rate : kRates) {
            StreamFigures f;
            if (!Stream(rig, rate, uint32_t(rate * seconds), f)) return false;
            phase.streams.push_back(f);
        }
        phase.ran = true;
        return true;
    };
    if (!play(phases[0])) return 1;
    {
        EmptyClient empty(name + "-empty");
        if (!empty.ok() ||
            !ThroughReady(rig, empty.Port("in"), empty.Port("out"), true, "the empty client") ||
            !play(phases[1]))
            return 1;
    }
    const std::string ostrelName = "Ostrel-bench-" + std::to_string(getpid());
    std::unique_ptr<ChildProcess> ostrel = StartOstrel(rig, cli, ostrelName);
    if (!ostrel || !play(phases[2])) return 1;
    ostrel->Signal(SIGTERM);
    const int status = ostrel->Wait(std::chrono::seconds(30));
    rig.WaitCycles(4);
    constexpr int kSwitches = 200;
    std::string switchErr;
    const std::uint64_t switchXruns = rig.Xruns();
    const std::vector<int64_t> switched =
        SceneSwitches(rig, cli, ostrelName + "-setlist", kSwitches, switchErr);
    const std::uint64_t xrunsWhileSwitching = rig.Xruns() - switchXruns;
    rig.WaitCycles(4);
    const std::string fifo = "/tmp/" + name + ".jalv";
    std::unique_ptr<ChildProcess> filter = StartFilter(rig, name + "-lv2", fifo);
    if (filter) {
        if (!play(phases[3])) return 1;
        filter->Signal(SIGTERM);
        filter->Wait(std::chrono::seconds(30));
    }
    unlink(fifo.c_str());

    std::printf(
        "\nOstrel in the JACK graph: %u Hz, %u frames a period, %s scheduling, %.1f s a stream "
        "at each rate.\nA player client plays on its out; a listener client takes it on direct "
        "(connected\nstraight) and on thru (through the client of each phase).\n",
        rig.SampleRate(), rig.Period(), jack_is_realtime(rig.handle()) ? "real-time" : "normal",
        seconds);
    std::printf(
        "Added latency in frames: frame of arrival minus frame at which the message was "
        "played.\nlost: never arrived; extra: duplicated or altered; order: arrived after "
        "a later one;\nxruns: cycles some client missed during the stream (what they "
        "carried is lost).\n");
    std::printf("\nWith ostrel-cli run, both paths in the same cycles:");
    PrintLatency(phases[2].streams, kPaths, "Ostrel");
    std::printf("\nThe direct connection alone, before ostrel-cli started:");
    PrintLatency(phases[0].streams, 1, "");
    if (phases[3].ran) {
        std::printf("\nWith the LV2 filter in jalv on thru:");
        PrintLatency(phases[3].streams, kPaths, "LV2");
    } else {
        std::printf("\nNo LV2 filter: jalv or x42-plugins is not installed.\n");
    }
    std::printf(
        "\nJACK DSP load in %% (jack_cpu_load, sampled every 50 ms during each stream): mean, "
        "median, max.\nOstrel's own part is its load above the empty client's; the empty "
        "client's above\nthe direct connection's is JACK's wake-up of one more client.\n");
    std::printf("%-7s", "rate/s");
    for (const Phase& phase : phases)
        if (phase.ran) std::printf(" %26s", phase.label);
    std::printf("\n");
    for (size_t i = 0; i < std::size(kRates); ++i) {
        std::printf("%-7d", kRates[i]);
        for (const Phase& phase : phases) {
            if (!phase.ran) continue;
            const Load& l = phase.streams[i].load;
            std::printf("   %7.2f %7.2f %7.2f ", l.mean, l.median, l.max);
        }
        std::printf("\n");
    }
    if (switched.empty()) {
        std::printf("\nNo scene switch measured; ostrel-cli run --setlist said:\n%s",
                    switchErr.c_str());
    } else {
        std::printf(
            "\nScene switches with ostrel-cli run --setlist: frames from a program change to "
            "the first\nmessage translated by the scene it chose, the change at frames spread "
            "over the period.\n%zu of %d switches seen: min %lld, median %lld, max %lld "
            "frames (period %u); xruns %llu.\n",
            switched.size(), kSwitches, (long long)switched.front(),
            (long long)switched[switched.size() / 2], (long long)switched.back(), rig.Period(),
            (unsigned long long)xrunsWhileSwitching);
    }
    std::printf("\nostrel-cli run ended with status %d; its standard error:\n%s", status,
                ostrel->Err().c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) { return Main(argc, argv); }
