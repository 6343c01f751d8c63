// ostrel-cli run: the live pass-through without a window. Opens both ports,
// forwards until SIGINT or SIGTERM, then closes them.
#include <signal.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "cli/command.h"
#include "core/assignment_table.h"
#include "curves/current_curve.h"
#include "midi/device_list.h"
#include "midi/midi_services.h"
#include "midi/monitor_line.h"
#include "midi/pass_through.h"
#include "store/config_file.h"
#include "store/ini_settings.h"

namespace ostrel::cli {
namespace {

int RunRun(int argc, char** argv);
const Command kRun = {"run", "run [--config FILE.cfg] [--in N] [--out N] [--monitor]", &RunRun};
const Registration kRegistration(kRun);

struct RunOptions {
    const char* config = nullptr;
    int input = 0, output = 0;
    bool inputGiven = false, outputGiven = false;
    bool monitor = false;
};

// Empty when the arguments are fine, else what is wrong with them.
std::string ParseOptions(int argc, char** argv, RunOptions& options) {
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (std::strcmp(arg, "--monitor") == 0) {
            options.monitor = true;
        } else if (std::strcmp(arg, "--config") == 0 && hasValue) {
            options.config = argv[++i];
        } else if (std::strcmp(arg, "--in") == 0 && hasValue) {
            if (!ParseDeviceIndex(argv[++i], options.input))
                return std::string("bad input device index '") + argv[i] + "'";
            options.inputGiven = true;
        } else if (std::strcmp(arg, "--out") == 0 && hasValue) {
            if (!ParseDeviceIndex(argv[++i], options.output))
                return std::string("bad output device index '") + argv[i] + "'";
            options.outputGiven = true;
        } else {
            return std::string("unexpected argument '") + arg + "'";
        }
    }
    return "";
}

void WriteMonitorLines(PassThrough& passThrough) {
    MonitorEvent event;
    while (passThrough.PopEvent(event)) {
        const std::string line = FormatMonitorLine(event);
        if (line.empty()) continue;
        std::fwrite(line.data(), 1, line.size(), stdout);
        std::fflush(stdout);
    }
}

int RunRun(int argc, char** argv) {
    if (WantsHelp(kRun, argc, argv)) return 0;
    RunOptions options;
    const std::string bad = ParseOptions(argc, argv, options);
    if (!bad.empty()) return UsageError(kRun, bad);

    AssignmentTable table;
    if (options.config != nullptr) {
        if (FILE* f = std::fopen(options.config, "rb"))
            std::fclose(f);
        else
            return RuntimeError(std::string("cannot read configuration file ") + options.config +
                                ": " + std::strerror(errno));
        AssignmentTable staging;
        ReadConfig(options.config, staging);
        table.CopyFrom(staging);
    }
    // The remembered devices of Ostrel.ini in the current directory; absent keys give 0.
    CIniSettings settings;
    if ((!options.inputGiven || !options.outputGiven) && settings.InitPath()) {
        if (!options.inputGiven) options.input = settings.ReadInt("DEVNAME", "MIDIIN");
        if (!options.outputGiven) options.output = settings.ReadInt("DEVNAME", "MIDIOUT");
    }

    // SIGINT and SIGTERM are taken with sigtimedwait below: blocked before any
    // MIDI thread starts, so every thread inherits the mask.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    CurrentCurves curves;  // all 0: every value maps to itself
    std::unique_ptr<MidiServices> services = CreateSystemMidiServices();
    PassThrough passThrough(table, curves, *services);
    passThrough.SetMonitorLogging(options.monitor);
    std::string why;
    if (!passThrough.OpenInput(options.input, &why))
        std::fprintf(stderr, "ostrel-cli: MIDI input %d not opened: %s\n", options.input,
                     why.c_str());
    why.clear();
    if (!passThrough.OpenOutput(options.output, &why))
        std::fprintf(stderr, "ostrel-cli: MIDI output %d not opened: %s\n", options.output,
                     why.c_str());
    passThrough.Start();
    std::fprintf(stderr, "ready\n");

    const timespec tick = {0, 10 * 1000 * 1000};
    for (;;) {
        WriteMonitorLines(passThrough);
        const int signal = sigtimedwait(&stopSignals, nullptr, &tick);
        if (signal == SIGINT || signal == SIGTERM) break;
    }

    passThrough.Stop();
    passThrough.CloseInput();
    passThrough.CloseOutput();
    WriteMonitorLines(passThrough);
    if (passThrough.DroppedEvents() > 0)
        std::fprintf(stderr, "ostrel-cli: %llu monitor entries dropped\n",
                     static_cast<unsigned long long>(passThrough.DroppedEvents()));
    if (passThrough.DroppedSends() > 0)
        std::fprintf(stderr, "ostrel-cli: %llu messages not sent (output queue full)\n",
                     static_cast<unsigned long long>(passThrough.DroppedSends()));
    return 0;
}

}  // namespace
}  // namespace ostrel::cli
