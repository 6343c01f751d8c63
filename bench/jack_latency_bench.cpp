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

#include "bench/latency_rig.h"
#include "support/child_process.h"

namespace {

using namespace ostrel::bench;
using Clock = std::chrono::steady_clock;
using ostrel::test::ChildProcess;

constexpr int kRates[] = {1000, 10000, 50000};
const char* const kPathNames[kPaths] = {"direct", "Ostrel"};

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
