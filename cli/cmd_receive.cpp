// ostrel-cli receive-syx: waits for one bulk dump from the MIDI input, stores it
// in a .syx file and prints its nineteen fields, as the receive dialog shows them.
#include <signal.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "cli/command.h"
#include "cli/midi_session.h"
#include "store/atomic_file.h"
#include "store/hex_text.h"
#include "sysex/bulk_dump.h"

namespace ostrel::cli {
namespace {

int RunReceiveSyx(int argc, char** argv);
const Command kReceiveSyx = {"receive-syx",
                             "receive-syx FILE.syx [--in PORT] [--timeout SECONDS]  (default 60 s)",
                             &RunReceiveSyx};
const Registration kRegistration(kReceiveSyx);

constexpr double kDefaultTimeout = 60.0;

struct ReceiveOptions {
    const char* path = nullptr;
    const char* input = nullptr;
    double timeout = kDefaultTimeout;
};

std::string ParseOptions(int argc, char** argv, ReceiveOptions& options) {
    for (int i = 1; i < argc; ++i) {
        const bool hasValue = i + 1 < argc;
        if (std::strcmp(argv[i], "--in") == 0 && hasValue) {
            options.input = argv[++i];
            if (!IsPortArgument(options.input))
                return std::string("bad input port '") + options.input + "'";
        } else if (std::strcmp(argv[i], "--timeout") == 0 && hasValue) {
            char* end = nullptr;
            options.timeout = std::strtod(argv[++i], &end);
            if (*end != '\0' || !(options.timeout > 0.0) || options.timeout > 1e6)
                return std::string("bad timeout '") + argv[i] + "'";
        } else if (options.path == nullptr && argv[i][0] != '-') {
            options.path = argv[i];
        } else {
            return std::string("unexpected argument '") + argv[i] + "'";
        }
    }
    return options.path == nullptr ? "missing file name" : "";
}

// Waits for the first received dump. False on timeout or a stop signal.
bool WaitForDump(PassThrough& passThrough, double timeout, MonitorEvent& dump,
                 const sigset_t& stopSignals, bool& interrupted) {
    const auto deadline = std::chrono::steady_clock::now() +
                          std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                              std::chrono::duration<double>(timeout));
    const timespec tick = {0, 10 * 1000 * 1000};
    while (std::chrono::steady_clock::now() < deadline) {
        while (passThrough.PopEvent(dump))
            if (dump.kind == MonitorEvent::Kind::ReceivedDump) return true;
        const int signal = sigtimedwait(&stopSignals, nullptr, &tick);
        if (signal == SIGINT || signal == SIGTERM) {
            interrupted = true;
            return false;
        }
    }
    return false;
}

// A dump that arrived must not be lost to a file that cannot be written: it goes
// to the standard output as hex text, and the error line says so.
int KeepUnwrittenDump(const char* path, const uint8_t* bytes, size_t length) {
    std::fputs(FormatHexText(bytes, length).c_str(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
    return RuntimeError(std::string("cannot write ") + path +
                        "; the received dump is printed on the standard output as hex");
}

int RunReceiveSyx(int argc, char** argv) {
    if (WantsHelp(kReceiveSyx, argc, argv)) return 0;
    ReceiveOptions options;
    const std::string bad = ParseOptions(argc, argv, options);
    if (!bad.empty()) return UsageError(kReceiveSyx, bad);
    // Known before the wait, so that no dump arrives only to be lost.
    std::string unwritable;
    if (!CanWriteFile(options.path, &unwritable))
        return RuntimeError(std::string("cannot write ") + options.path + ": " + unwritable);

    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    // Without --in, the input that Ostrel.ini in this folder remembers.
    MidiSession session;
    std::string why;
    if (!session.JoinWithPort(PortDirection::Input, options.input, why)) return RuntimeError(why);
    PassThrough& passThrough = *session.passThrough;
    // Dumps are handed over only while the pass-through runs, as with the window.
    passThrough.SetReceiveHook(true);
    passThrough.Start();
    std::fprintf(stderr, "ready\n");

    MonitorEvent dump;
    bool interrupted = false;
    const bool received = WaitForDump(passThrough, options.timeout, dump, stopSignals, interrupted);
    session.keeper->Shutdown();
    if (interrupted) return RuntimeError("interrupted before a dump arrived");
    if (!received)
        return RuntimeError("no dump received within " + std::to_string(options.timeout) +
                            " seconds");

    const size_t length = dump.receivedLength;
    if (length > sizeof dump.received)
        return RuntimeError("received dump of " + std::to_string(length) +
                            " bytes is longer than 256 bytes; not written");
    if (WriteSyxBytes(options.path, dump.received, length) != SyxWriteResult::Ok)
        return KeepUnwrittenDump(options.path, dump.received, length);
    // Fields past the end of a short dump show 000, as in the receive dialog.
    for (const DumpField& field : kDumpFields)
        std::printf("%s: %03d\n", field.label,
                    ReadDumpField(dump.received, length, field).value_or(0));
    return 0;
}

}  // namespace
}  // namespace ostrel::cli
