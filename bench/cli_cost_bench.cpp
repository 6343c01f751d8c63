// What `ostrel-cli run` costs as an always-on service, beside a plain JACK
// client in the same graph: its wake-ups (context switches of all its threads)
// while nothing plays, and its CPU time while a stream of short messages goes
// through it, without and with --monitor (the lines going to /dev/null).
//
// The plain client is this program started again as "--plain": a client with
// one MIDI input port and a process callback that does nothing else.
//
// Run beside a JACK server (`make bench`); usage:
//   cli_cost_bench [--seconds N] [--rate MESSAGES_A_SECOND] [--cli PATH]
#include <jack/jack.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "bench/latency_rig.h"
#include "support/child_process.h"

namespace {

using namespace ostrel::bench;
using ostrel::test::ChildProcess;

// Wake-ups (voluntary and involuntary context switches) and CPU nanoseconds of
// every thread of a process, as /proc tells them now.
struct Usage {
    uint64_t switches = 0, cpuNs = 0;
};

Usage UsageOf(int pid) {
    Usage usage;
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    std::error_code error;
    for (const auto& task : std::filesystem::directory_iterator(tasks, error)) {
        std::ifstream status(task.path() / "status");
        for (std::string line; std::getline(status, line);)
            if (line.find("ctxt_switches:") != std::string::npos)
                usage.switches += std::strtoull(line.c_str() + line.find(':') + 1, nullptr, 10);
        std::ifstream schedstat(task.path() / "schedstat");
        uint64_t ns = 0;
        if (schedstat >> ns) usage.cpuNs += ns;
    }
    return usage;
}

// What each process used over the same seconds.
std::vector<Usage> Measure(const std::vector<int>& pids, int seconds) {
    std::vector<Usage> before;
    for (int pid : pids) before.push_back(UsageOf(pid));
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    std::vector<Usage> used;
    for (size_t i = 0; i < pids.size(); ++i) {
        const Usage after = UsageOf(pids[i]);
        used.push_back({after.switches - before[i].switches, after.cpuNs - before[i].cpuNs});
    }
    return used;
}

int Plain(const char* name) {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    BenchClient client(name, [](jack_nframes_t, void*) { return 0; }, nullptr,
                       {{"in", JackPortIsInput}});
    if (!client.ok()) return 1;
    std::fprintf(stderr, "ready\n");
    int signal = 0;
    sigwait(&signals, &signal);
    return 0;
}

// `ostrel-cli run` with its lines to /dev/null, started as a user starts it.
ChildProcess StartRun(const std::string& cli, const std::string& args) {
    return ChildProcess({"/bin/sh", "-c", "exec \"$0\" run " + args + " >/dev/null", cli});
}

bool Ready(ChildProcess& child) { return child.WaitForErr("ready", std::chrono::seconds(20)); }

void Stop(ChildProcess& child) {
    child.Signal(SIGTERM);
    child.Wait(std::chrono::seconds(20));
}

}  // namespace

int main(int argc, char** argv) {
    int seconds = 5;
    uint32_t rate = 40000;
    std::string cli = OSTREL_CLI_PATH;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--plain") == 0) return Plain(argv[i + 1]);
        if (std::strcmp(argv[i], "--seconds") == 0) seconds = std::atoi(argv[i + 1]);
        if (std::strcmp(argv[i], "--rate") == 0)
            rate = static_cast<uint32_t>(std::atoi(argv[i + 1]));
        if (std::strcmp(argv[i], "--cli") == 0) cli = argv[i + 1];
    }
    const std::string self = std::filesystem::read_symlink("/proc/self/exe");
    const std::string plainName = "cost_plain_" + std::to_string(getpid());
    ChildProcess plain({self, "--plain", plainName});
    if (!Ready(plain)) {
        std::fprintf(stderr, "cli_cost_bench: no JACK server answers\n");
        return 1;
    }

    ChildProcess idle = StartRun(cli, "--name cost_idle");
    if (!Ready(idle)) return 1;
    std::this_thread::sleep_for(std::chrono::seconds(1));
    const std::vector<Usage> quiet = Measure({plain.Pid(), idle.Pid()}, seconds);
    std::printf("idle, %d s: plain client %llu wake-ups, ostrel-cli run %llu wake-ups\n", seconds,
                static_cast<unsigned long long>(quiet[0].switches),
                static_cast<unsigned long long>(quiet[1].switches));
    Stop(idle);

    LatencyRig rig("cost");
    if (!rig.ok()) return 1;
    // The rig plays kMaxMessages at most: the stream runs through the window.
    const int streaming = std::max(1, std::min(seconds, static_cast<int>(kMaxMessages / rate) - 1));
    double cpuMs[2] = {0, 0};
    for (bool monitor : {false, true}) {
        ChildProcess run = StartRun(cli, "--name cost_run --in " + rig.Out() + " --out " +
                                             rig.In(kThru) + (monitor ? " --monitor" : ""));
        if (!Ready(run)) return 1;
        rig.StartStream(rate, std::min<uint32_t>(kMaxMessages, rate * (streaming + 1)));
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        cpuMs[monitor] = Measure({run.Pid()}, streaming)[0].cpuNs / 1e6;
        rig.StopStream();
        Stop(run);
        std::printf("%u messages a second, %d s: ostrel-cli run%s %.0f ms of CPU\n", rate,
                    streaming, monitor ? " --monitor" : "", cpuMs[monitor]);
    }
    std::printf("--monitor costs %.2f times the run without it\n", cpuMs[1] / cpuMs[0]);
    Stop(plain);
    return 0;
}
