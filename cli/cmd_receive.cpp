// ostrel-cli receive-syx: waits for one bulk dump from the MIDI input, stores it
// in a .syx file and prints its nineteen fields, as the receive dialog shows them.
#include <signal.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "cli/command.h"
#include "cli/midi_session.h"
#include "cli/quoted_text.h"
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

struct ReceiveOptions {
    const char* path = nullptr;
    const char* input = nullptr;
    // The waiting time, and its text as the user gave it for messages to quote.
    double timeout = 60.0;
    const char* timeoutText = "60";
};

// A number of seconds above 0 and at most 1000000.
std::string ReadTimeout(const char* text, double& seconds) {
    char* end = nullptr;
    seconds = std::strtod(text, &end);
    if (*end != '\0' || !(seconds > 0.0) || seconds > 1e6)
        return "bad timeout " + QuoteText(text) + ": give seconds above 0, at most 1000000";
    return "";
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
int KeepUnwrittenDump(const char* path, const std::string& why, const uint8_t* bytes,
                      size_t length) {
    std::fputs(FormatHexText(bytes, length).c_str(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
    return RuntimeError(std::string("cannot write ") + path + ": " + why +
                        "; the received dump is printed on the standard output as hex");
}

int RunReceiveSyx(int argc, char** argv) {
    ReceiveOptions options;
    if (const auto exit =
            Options(kReceiveSyx)
                .Positional("FILE.syx", options.path)
                .Value("--in", options.input, PortCheck(PortDirection::Input))
                .Value("--timeout", options.timeoutText,
                       [&options](const char* text) { return ReadTimeout(text, options.timeout); })
                .Parse(argc, argv))
        return *exit;
    if (options.input == nullptr && !RemembersPort(PortDirection::Input))
        return UsageError(kReceiveSyx, NoPortChosen(PortDirection::Input));
    // Known before the wait, so that no dump arrives only to be lost.
    // A folder, a pipe or a device, or a path that cannot be written, is refused.
    if (std::string why; !CanWriteFile(options.path, &why))
        return RuntimeError(std::string("cannot write ") + options.path + ": " + why);

    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    // Without --in, the input that Ostrel.ini in this folder remembers.
    MidiSession session;
    std::string why;
    if (!session.JoinWithPort(PortDirection::Input, options.input, why)) return RuntimeError(why);
    PassThrough& passThrough = *session.link.passThrough;
    // Dumps are handed over only while the pass-through runs, as with the window.
    passThrough.SetReceiveHook(true);
    passThrough.Start();
    std::fprintf(stderr, "ready\n");

    MonitorEvent dump;
    bool interrupted = false;
    const bool received = WaitForDump(passThrough, options.timeout, dump, stopSignals, interrupted);
    session.link.keeper->Shutdown();
    if (interrupted) return RuntimeError("interrupted before a dump arrived");
    if (!received)
        return RuntimeError(std::string("no dump received within ") + options.timeoutText +
                            " seconds");

    const size_t length = dump.receivedLength;
    if (length > sizeof dump.received)
        return RuntimeError("received dump of " + std::to_string(length) +
                            " bytes is longer than 256 bytes; not written");
    if (std::string why;
        WriteSyxBytes(options.path, dump.received, length, &why) != SyxWriteResult::Ok)
        return KeepUnwrittenDump(options.path, why, dump.received, length);
    // Fields past the end of a short dump show 000, as in the receive dialog.
    for (const DumpField& field : kDumpFields)
        std::printf("%s: %03d\n", field.label,
                    ReadDumpField(dump.received, length, field).value_or(0));
    return 0;
}

}  // namespace
}  // namespace ostrel::cli
