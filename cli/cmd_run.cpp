// ostrel-cli run: the live pass-through without a window. Joins the MIDI graph
// with the ports "in" and "out", connects the chosen devices (or leaves the
// ports for a patchbay to wire), forwards until SIGINT or SIGTERM, reads its
// table again on SIGHUP, and releases every held note before it leaves.
#include <signal.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "cli/command.h"
#include "cli/loop_wait.h"
#include "cli/midi_session.h"
#include "cli/stdout_lines.h"
#include "core/config_file.h"
#include "core/setlist.h"
#include "midi/jack_library.h"
#include "midi/monitor_line.h"
#include "midi/scene_tables.h"

namespace ostrel::cli {
namespace {

int RunRun(int argc, char** argv);
const Command kRun = {
    "run",
    "run [--config FILE.cfg] [--in PORT] [--out PORT] [--setlist FILE.setlist] [--remembered] "
    "[--name NAME] [--monitor [--explain]]   (PORT: client:port or its number; --setlist "
    "instead of --config)",
    &RunRun};
const Registration kRegistration(kRun);

struct RunOptions {
    const char* config = nullptr;
    const char* setlist = nullptr;
    const char* input = nullptr;
    const char* output = nullptr;
    const char* name = kDefaultClientName;
    bool remembered = false;
    bool monitor = false;
    bool explain = false;  // monitor lines name the entries that decided each message
};

// Reads a configuration file into a staging table. Empty when it worked, else why not.
std::string ReadTable(const char* path, AssignmentTable& staging) {
    std::string why;
    if (ReadConfig(path, staging, &why) == StoreResult::Ok) return "";
    return std::string("cannot read configuration file ") + path + ": " + why;
}

// The table read again on SIGHUP, off the loop that takes the signals: that loop
// never waits for a file, and the end of run never waits for a read. A read runs
// in a thread of its own that touches nothing but its job and nudges the loop
// when it is done; the loop publishes the table then. A SIGHUP during a read
// asks for one more.
class TableReload {
  public:
    TableReload(const char* path, std::function<void()> done)
        : path_(path), done_(std::move(done)) {}

    void Request() {
        if (job_) {
            again_ = true;
            return;
        }
        job_ = std::make_shared<Job>();
        std::thread([job = job_, path = path_, done = done_] {
            job->failure = ReadTable(path.c_str(), job->table);
            job->done.store(true, std::memory_order_release);
            done();
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
    std::function<void()> done_;
    std::shared_ptr<Job> job_;
    bool again_ = false;
};

// The scenes of an open setlist: the tables the pass-through switches between.
struct Scenes {
    LoadedSetlist loaded;
    SceneTables tables;

    int Count() const { return static_cast<int>(tables.tables.size()); }
    // "scene 2/7: organ.cfg"
    std::string Name(int index) const {
        return SceneName(index, Count(), loaded.scenes[static_cast<size_t>(index)].file);
    }
};

// Reads the setlist and every scene's table; names each file it skips. Empty
// when at least one scene was read, else why not.
std::string OpenScenes(const char* path, Scenes& scenes) {
    std::string why;
    if (!LoadSetlist(path, scenes.loaded, &why))
        return std::string("cannot read setlist ") + path + ": " + why;
    if (!scenes.loaded.warning.empty())
        std::fprintf(stderr, "ostrel-cli: %s: %s\n", path, scenes.loaded.warning.c_str());
    for (const std::string& skipped : scenes.loaded.skipped)
        std::fprintf(stderr, "ostrel-cli: cannot read %s; its scene is skipped\n", skipped.c_str());
    if (scenes.loaded.scenes.empty()) return std::string("no scene of ") + path + " could be read";
    scenes.tables = ScenesOf(scenes.loaded);
    return "";
}

// Monitor lines go to stdout with --monitor; each switch of scene is named on
// stderr, and shown as a line of its own by the monitor. A drain's lines go
// out as one text, built in text (kept from drain to drain, so that it is
// allocated only while it grows).
void WriteMonitorLines(PassThrough& passThrough, StdoutLines& out, const RunOptions& options,
                       const Scenes& scenes, Losses& lossesSeen, std::string& text) {
    MonitorEvent event;
    size_t lines = 0;
    const auto add = [&](const std::string& line) {
        text += line;
        ++lines;
    };
    while (passThrough.PopEvent(event, options.explain)) {
        if (event.kind == MonitorEvent::Kind::SceneSwitch && event.scene < scenes.Count()) {
            std::fprintf(stderr, "%s\n", scenes.Name(event.scene).c_str());
            if (options.monitor)
                add(FormatSceneLine(event, scenes.loaded.scenes[size_t(event.scene)].file));
            continue;
        }
        if (AppendMonitorLine(text, event, options.explain)) ++lines;
    }
    const Losses losses = passThrough.LossCounts();
    if (options.monitor)
        for (const std::string& line : LossLines(losses - lossesSeen, "the monitor")) add(line);
    lossesSeen = losses;
    out.Push(text, lines);
}

// SIGUSR1 and SIGUSR2: one scene on, one back, from the scene in force when the
// MIDI thread takes the step, as a trigger's; at either end the scene in force
// stays, and the user is told.
void StepScene(PassThrough& passThrough, const Scenes& scenes, int step) {
    const int from = passThrough.CurrentScene();
    if (!passThrough.RequestStep(step)) {
        std::fprintf(stderr, "ostrel-cli: no MIDI cycle runs; the step is taken when one does\n");
        return;
    }
    const int now = passThrough.CurrentScene();
    if (now == from && (step > 0 ? now == scenes.Count() - 1 : now == 0))
        std::fprintf(stderr, "ostrel-cli: %s is the %s scene; it stays in force\n",
                     scenes.Name(now).c_str(), step > 0 ? "last" : "first");
}

// How often a run without a server looks whether PipeWire has started.
constexpr auto kLookForPipeWireEvery = std::chrono::seconds(1);

// How long the loop may sleep, in ms, before it looks for PipeWire again; at
// most drainMs when that is not negative.
int UntilPipeWireLook(std::chrono::steady_clock::time_point look, int drainMs) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                          look - std::chrono::steady_clock::now())
                          .count();
    const int ms = static_cast<int>(std::max<long long>(left, 0) + 1);
    return drainMs >= 0 ? std::min(ms, drainMs) : ms;
}

// One line of the exit summary, in the singular for one.
void Report(uint64_t count, const std::string& one, const std::string& many) {
    if (count > 0)
        std::fprintf(stderr, "ostrel-cli: %llu %s\n", static_cast<unsigned long long>(count),
                     (count == 1 ? one : many).c_str());
}

// With --remembered, a direction with neither its option nor a remembered
// device stays unconnected for a patchbay, and says so; when that leaves
// nothing to connect at all, the run is refused as a usage error. Known
// before the MIDI graph is joined.
bool RememberedEnough(const RunOptions& options) {
    const bool input = options.input != nullptr || RemembersPort(PortDirection::Input);
    const bool output = options.output != nullptr || RemembersPort(PortDirection::Output);
    if (!input && !output) {
        UsageError(kRun,
                   "no MIDI input or output port chosen: give --in or --out, or choose them in "
                   "the window");
        return false;
    }
    for (const auto& [chosen, direction] :
         {std::pair{input, PortDirection::Input}, std::pair{output, PortDirection::Output}}) {
        if (!chosen)
            std::fprintf(stderr,
                         "ostrel-cli: no MIDI %s port remembered in Ostrel.ini; it stays "
                         "unconnected for a patchbay\n",
                         DirectionWord(direction));
    }
    return true;
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
    } else if (remembered && RemembersPort(direction)) {
        device = session.Remembered(direction);
        if (device.empty())
            std::fprintf(stderr,
                         "ostrel-cli: the MIDI %s port that Ostrel.ini remembers by its number "
                         "is not listed; it stays unconnected\n",
                         DirectionWord(direction));
    }
    if (device.empty()) return true;
    if (!session.link.keeper->Choose(direction, device, &why)) {
        std::fprintf(stderr, "ostrel-cli: MIDI %s %s not connected: %s\n", DirectionWord(direction),
                     device.c_str(), why.c_str());
        return why.find("itself") == std::string::npos;
    }
    if (!session.link.keeper->Connected(direction))
        std::fprintf(stderr,
                     "ostrel-cli: MIDI %s %s is not there yet; it is connected when it appears\n",
                     DirectionWord(direction), device.c_str());
    return true;
}

int RunRun(int argc, char** argv) {
    RunOptions options;
    if (const auto exit = Options(kRun)
                              .Value("--config", options.config)
                              .Value("--setlist", options.setlist)
                              .Value("--in", options.input, PortCheck(PortDirection::Input))
                              .Value("--out", options.output, PortCheck(PortDirection::Output))
                              .Flag("--remembered", options.remembered)
                              .Value("--name", options.name, ClientNameCheck)
                              .Flag("--monitor", options.monitor)
                              .Flag("--explain", options.explain)
                              .Parse(argc, argv))
        return *exit;
    if (options.explain && !options.monitor) return UsageError(kRun, "--explain needs --monitor");
    if (options.config != nullptr && options.setlist != nullptr)
        return UsageError(kRun, "--config and --setlist exclude each other");
    if (options.remembered && !RememberedEnough(options)) return 2;

    // The scenes outlive the session, whose pass-through watches their tables.
    Scenes scenes;
    if (options.setlist != nullptr) {
        const std::string why = OpenScenes(options.setlist, scenes);
        if (!why.empty()) return RuntimeError(why);
    }
    MidiSession session;
    if (options.config != nullptr) {
        AssignmentTable staging;
        const std::string why = ReadTable(options.config, staging);
        if (!why.empty()) return RuntimeError(why);
        session.table.CopyFrom(staging);
    }

    // The loop below sleeps until a signal, a nudge or the monitor's next
    // drain. Its signals are blocked before any MIDI thread starts, so every
    // thread inherits the mask.
    LoopWait wait({SIGINT, SIGTERM, SIGHUP, SIGUSR1, SIGUSR2, SIGQUIT});
    if (!wait.Failure().empty()) return RuntimeError(wait.Failure());

    std::string why;
    bool built = false;
    const bool online = session.Join(options.name, why, &built);
    if (!built) return RuntimeError(why);
    if (!online)
        std::fprintf(stderr, "ostrel-cli: %s; looking for it every 2 seconds\n", why.c_str());
    if (!ChoosePort(session, PortDirection::Input, options.input, options.remembered) ||
        !ChoosePort(session, PortDirection::Output, options.output, options.remembered)) {
        session.link.keeper->Shutdown();
        return 1;
    }
    // The keeper's notices (the server went or came back) wake the loop.
    session.link.keeper->OnNotice(wait.Nudger());
    PassThrough& passThrough = *session.link.passThrough;
    passThrough.SetMonitorLogging(options.monitor);
    if (scenes.Count() > 0) {
        passThrough.SetScenes(&scenes.tables);
        std::fprintf(stderr, "%s\n", scenes.Name(0).c_str());
    }
    passThrough.Start();
    bool ready = false;
    StdoutLines out;
    std::string monitorText;
    Losses lossesSeen = passThrough.LossCounts();
    TableReload reload(options.config ? options.config : "", wait.Nudger());

    // Monitor lines are taken every 50 ms: 2,000 records at 40,000 messages a
    // second, a quarter of their queue, and few wake-ups of this loop and of the
    // writer. Without them the loop sleeps until there is something to do.
    const int drainMs = options.monitor ? 50 : -1;
    auto lookForPipeWire = std::chrono::steady_clock::now();
    for (;;) {
        // PipeWire started after this run, while no server answered: joined by
        // starting again on its libjack, as at start. Nothing is held then.
        const auto now = std::chrono::steady_clock::now();
        if (!session.link.keeper->Online() && now >= lookForPipeWire) {
            // From now: a run that was online for hours looks once, not once
            // for every second it was.
            lookForPipeWire = now + kLookForPipeWireEvery;
            if (PipeWireStartedSince()) {
                std::fprintf(stderr, "ostrel-cli: PipeWire's server runs now; joining it\n");
                session.link.keeper->Shutdown();
                wait.Unblock();
                RestartOnPipeWireJack();
                std::fprintf(stderr, "ostrel-cli: cannot start again on PipeWire's JACK library\n");
                return 1;
            }
        }
        if (!ready && session.link.keeper->Online()) {
            std::fprintf(stderr, "ready: %s:in %s:out\n", session.link.keeper->ClientName().c_str(),
                         session.link.keeper->ClientName().c_str());
            ready = true;
        }
        std::string notice;
        while (session.link.keeper->TakeNotice(notice))
            if (ready) std::fprintf(stderr, "ostrel-cli: %s\n", notice.c_str());
        WriteMonitorLines(passThrough, out, options, scenes, lossesSeen, monitorText);
        reload.Finish(passThrough);
        const int signal = wait.Wait(
            session.link.keeper->Online() ? drainMs : UntilPipeWireLook(lookForPipeWire, drainMs));
        if (signal == SIGINT || signal == SIGTERM) break;
        if ((signal == SIGUSR1 || signal == SIGUSR2) && scenes.Count() > 0)
            StepScene(passThrough, scenes, signal == SIGUSR1 ? 1 : -1);
        if (signal == SIGHUP && options.config != nullptr) reload.Request();
        // SIGQUIT (Ctrl+\ in the terminal): everything off.
        if (signal == SIGQUIT)
            std::fprintf(stderr, passThrough.Panic()
                                     ? "ostrel-cli: panic: everything held released, every "
                                       "channel told all sound off\n"
                                     : "ostrel-cli: panic refused: the output is full\n");
    }

    // Releases what is held, waits for it to go out, then closes the ports.
    session.link.keeper->Shutdown();
    WriteMonitorLines(passThrough, out, options, scenes, lossesSeen, monitorText);
    const Losses lost = passThrough.LossCounts();
    Report(lost.notShown, "monitor entry dropped", "monitor entries dropped");
    Report(lost.outputFull, "message not sent (the output of its cycle was full)",
           "messages not sent (the output of their cycle was full)");
    const std::string carries = ": larger than the largest MIDI event the output port carries (" +
                                std::to_string(passThrough.LargestEvent()) + " bytes)";
    Report(lost.tooLarge, "System Exclusive message dropped" + carries,
           "System Exclusive messages dropped" + carries);
    Report(lost.incomplete, "short message not forwarded: it came without all its data bytes",
           "short messages not forwarded: they came without all their data bytes");
    Report(out.Dropped(), "monitor line dropped (the standard output did not keep up)",
           "monitor lines dropped (the standard output did not keep up)");
    return 0;
}

}  // namespace
}  // namespace ostrel::cli
