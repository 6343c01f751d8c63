// ostrel-cli run: the live pass-through without a window. Joins the MIDI graph
// with the ports "in" and "out", connects the chosen devices (or leaves the
// ports for a patchbay to wire), forwards until SIGINT or SIGTERM, reads its
// table again on SIGHUP, and releases every held note before it leaves.
#include <signal.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <memory>
#include <thread>

#include "cli/command.h"
#include "cli/midi_session.h"
#include "cli/stdout_lines.h"
#include "core/config_file.h"
#include "midi/monitor_line.h"

namespace ostrel::cli {
namespace {

int RunRun(int argc, char** argv);
const Command kRun = {"run",
                      "run [--config FILE.cfg] [--in PORT] [--out PORT] [--remembered] "
                      "[--name NAME] [--monitor [--explain]]   (PORT: client:port or its number)",
                      &RunRun};
const Registration kRegistration(kRun);

struct RunOptions {
    const char* config = nullptr;
    const char* input = nullptr;
    const char* output = nullptr;
    std::string name = kDefaultClientName;
    bool remembered = false;
    bool monitor = false;
    bool explain = false;  // monitor lines name the entries that decided each message
};

// Empty when the arguments are fine, else what is wrong with them.
std::string ParseOptions(int argc, char** argv, RunOptions& options) {
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (std::strcmp(arg, "--monitor") == 0) {
            options.monitor = true;
        } else if (std::strcmp(arg, "--explain") == 0) {
            options.explain = true;
        } else if (std::strcmp(arg, "--remembered") == 0) {
            options.remembered = true;
        } else if (std::strcmp(arg, "--config") == 0 && hasValue) {
            options.config = argv[++i];
        } else if (std::strcmp(arg, "--in") == 0 && hasValue) {
            options.input = argv[++i];
            if (!IsPortArgument(options.input))
                return std::string("bad input port '") + options.input + "'";
        } else if (std::strcmp(arg, "--out") == 0 && hasValue) {
            options.output = argv[++i];
            if (!IsPortArgument(options.output))
                return std::string("bad output port '") + options.output + "'";
        } else if (std::strcmp(arg, "--name") == 0 && hasValue && argv[i + 1][0] != '\0') {
            options.name = argv[++i];
        } else {
            return std::string("unexpected argument '") + arg + "'";
        }
    }
    if (options.explain && !options.monitor) return "--explain needs --monitor";
    return "";
}

// Reads a configuration file into a staging table. Empty when it worked, else why not.
std::string ReadTable(const char* path, AssignmentTable& staging) {
    std::string why;
    if (ReadConfig(path, staging, &why) == StoreResult::Ok) return "";
    return std::string("cannot read configuration file ") + path + ": " + why;
}

// The table read again on SIGHUP, off the loop that takes the signals: that loop
// never waits for a file, and the end of run never waits for a read. A read runs
// in a thread of its own that touches nothing but its job; the loop publishes
// the table once the read is done. A SIGHUP during a read asks for one more.
class TableReload {
  public:
    explicit TableReload(const char* path) : path_(path) {}

    void Request() {
        if (job_) {
            again_ = true;
            return;
        }
        job_ = std::make_shared<Job>();
        std::thread([job = job_, path = path_] {
            job->failure = ReadTable(path.c_str(), job->table);
            job->done.store(true, std::memory_order_release);
        }).detach();
    }

    // Called on every turn of the loop: puts a finished read in force, or says why not.
    void Finish(PassThrough& passThrough) {
        if (!job_ || !job_->done.load(std::memory_order_acquire)) return;
        if (job_->failure.empty())
            passThrough.PublishTable(job_->table);
        else
            std::fprintf(stderr, "ostrel-cli: %s; the table stays as it was\n",
                         job_->failure.c_str());
        job_.reset();
        if (again_) {
            again_ = false;
            Request();
        }
    }

  private:
    struct Job {
        AssignmentTable table;  // staged, published whole between two cycles
        std::string failure;
        std::atomic<bool> done{false};
    };
    std::string path_;
    std::shared_ptr<Job> job_;
    bool again_ = false;
};

void WriteMonitorLines(PassThrough& passThrough, StdoutLines& out, bool explain) {
    MonitorEvent event;
    while (passThrough.PopEvent(event)) {
        std::string line = FormatMonitorLine(event, explain);
        if (!line.empty()) out.Push(std::move(line));
    }
}

void Report(uint64_t count, const char* what) {
    if (count > 0)
        std::fprintf(stderr, "ostrel-cli: %llu %s\n", static_cast<unsigned long long>(count), what);
}

// Chooses the device of a direction from the option (or the settings).
bool ChoosePort(MidiSession& session, PortDirection direction, const char* option,
                bool remembered) {
    std::string device, why;
    if (option != nullptr) {
        if (!session.Resolve(direction, option, device, why)) {
            std::fprintf(stderr, "ostrel-cli: %s\n", why.c_str());
            return false;
        }
    } else if (remembered) {
        device = session.Remembered(direction);
    }
    if (device.empty()) return true;
    if (!session.keeper->Choose(direction, device, &why)) {
        std::fprintf(stderr, "ostrel-cli: MIDI %s %s not connected: %s\n", DirectionWord(direction),
                     device.c_str(), why.c_str());
        return why.find("itself") == std::string::npos;
    }
    if (!session.keeper->Connected(direction))
        std::fprintf(stderr,
                     "ostrel-cli: MIDI %s %s is not there yet; it is connected when it appears\n",
                     DirectionWord(direction), device.c_str());
    return true;
}

int RunRun(int argc, char** argv) {
    if (WantsHelp(kRun, argc, argv)) return 0;
    RunOptions options;
    const std::string bad = ParseOptions(argc, argv, options);
    if (!bad.empty()) return UsageError(kRun, bad);

    MidiSession session;
    if (options.config != nullptr) {
        AssignmentTable staging;
        const std::string why = ReadTable(options.config, staging);
        if (!why.empty()) return RuntimeError(why);
        session.table.CopyFrom(staging);
    }

    // SIGINT, SIGTERM and SIGHUP are taken with sigtimedwait below: blocked
    // before any MIDI thread starts, so every thread inherits the mask.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    std::string why;
    bool built = false;
    const bool online = session.Join(options.name, why, &built);
    if (!built) return RuntimeError(why);
    if (!online)
        std::fprintf(stderr, "ostrel-cli: %s; looking for it every 2 seconds\n", why.c_str());
    if (!ChoosePort(session, PortDirection::Input, options.input, options.remembered) ||
        !ChoosePort(session, PortDirection::Output, options.output, options.remembered)) {
        session.keeper->Shutdown();
        return 1;
    }
    PassThrough& passThrough = *session.passThrough;
    passThrough.SetMonitorLogging(options.monitor);
    passThrough.Start();
    bool ready = false;
    StdoutLines out;
    TableReload reload(options.config ? options.config : "");

    const timespec tick = {0, 10 * 1000 * 1000};
    for (;;) {
        if (!ready && session.keeper->Online()) {
            std::fprintf(stderr, "ready: %s:in %s:out\n", session.keeper->ClientName().c_str(),
                         session.keeper->ClientName().c_str());
            ready = true;
        }
        std::string notice;
        while (session.keeper->TakeNotice(notice))
            if (ready) std::fprintf(stderr, "ostrel-cli: %s\n", notice.c_str());
        WriteMonitorLines(passThrough, out, options.explain);
        reload.Finish(passThrough);
        const int signal = sigtimedwait(&signals, nullptr, &tick);
        if (signal == SIGINT || signal == SIGTERM) break;
        if (signal == SIGHUP && options.config != nullptr) reload.Request();
    }

    // Releases what is held, waits for it to go out, then closes the ports.
    session.keeper->Shutdown();
    WriteMonitorLines(passThrough, out, options.explain);
    Report(passThrough.DroppedEvents(), "monitor entries dropped");
    Report(passThrough.DroppedSends(), "messages not sent (the output of a cycle was full)");
    Report(passThrough.DroppedLarge(),
           "System Exclusive messages dropped: larger than the largest MIDI event the output "
           "port carries");
    Report(out.Dropped(), "monitor lines dropped (the standard output did not keep up)");
    return 0;
}

}  // namespace
}  // namespace ostrel::cli
