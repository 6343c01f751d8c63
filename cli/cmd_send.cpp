// ostrel-cli send-syx / send-hex: one System Exclusive message to the MIDI
// output, checked exactly as the window's transmission checks it.
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

#include "cli/command.h"
#include "cli/midi_session.h"
#include "midi/sysex_transmit.h"
#include "store/hex_text.h"
#include "store/read_file.h"

namespace ostrel::cli {
namespace {

int RunSendSyx(int argc, char** argv);
int RunSendHex(int argc, char** argv);
const Command kSendSyx = {"send-syx", "send-syx FILE.syx [--out PORT]", &RunSendSyx};
const Command kSendHex = {"send-hex", "send-hex \"F0 .. F7\" [--out PORT]", &RunSendHex};
const Registration kSyxRegistration(kSendSyx);
const Registration kHexRegistration(kSendHex);

constexpr std::chrono::milliseconds kSettleTime{200};

// One positional argument and --out PORT. Empty when fine, else what is wrong.
std::string ParseArguments(int argc, char** argv, const char*& positional, const char*& output) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--out") == 0 && i + 1 < argc) {
            output = argv[++i];
            if (!IsPortArgument(output)) return std::string("bad output port '") + output + "'";
        } else if (positional == nullptr && (argv[i][0] != '-' || argv[i][1] == '\0')) {
            positional = argv[i];
        } else {
            return std::string("unexpected argument '") + argv[i] + "'";
        }
    }
    return positional == nullptr ? "missing argument" : "";
}

// Checks the blank-free hex text, opens the output and sends the message.
int Transmit(const std::string& hexText, const char* output) {
    uint8_t bytes[kTransmitBufferSize];
    const TransmitResult checked =
        PrepareSysEx(hexText.c_str(), static_cast<int>(hexText.size()), bytes);
    if (checked.outcome != TransmitOutcome::Sent) return RuntimeError(checked.text);

    // Without --out, the output that Ostrel.ini in this folder remembers.
    MidiSession session;
    std::string why;
    if (!session.JoinWithPort(PortDirection::Output, output, why)) return RuntimeError(why);
    // A new connection takes effect at a cycle boundary; a one-shot send waits
    // for it before it writes.
    std::this_thread::sleep_for(kSettleTime);
    const TransmitResult sent =
        TransmitSysEx(*session.passThrough, hexText.c_str(), static_cast<int>(hexText.size()));
    if (sent.outcome != TransmitOutcome::Sent) return RuntimeError(sent.text);
    const bool written = session.passThrough->Flush();
    const uint64_t large = session.passThrough->DroppedLarge();
    session.keeper->Shutdown();
    if (large > 0)
        return RuntimeError(
            "the message is larger than the largest MIDI event the output port "
            "carries; nothing was sent");
    if (!written) return RuntimeError("the MIDI system did not take the message");
    std::printf("sent %d bytes\n", sent.sentLength);
    return 0;
}

int RunSendSyx(int argc, char** argv) {
    if (WantsHelp(kSendSyx, argc, argv)) return 0;
    const char* path = nullptr;
    const char* output = nullptr;
    const std::string bad = ParseArguments(argc, argv, path, output);
    if (!bad.empty()) return UsageError(kSendSyx, bad);

    // One byte more than a message can hold is enough to refuse a longer file, so
    // a file of any size (or a device that never ends) is read no further.
    std::string content;
    if (!ReadFileStart(path, kTransmitBufferSize / 2 + 1, content))
        return RuntimeError(std::string("cannot read ") + path);
    return Transmit(
        FormatHexDigits(reinterpret_cast<const uint8_t*>(content.data()), content.size()), output);
}

int RunSendHex(int argc, char** argv) {
    if (WantsHelp(kSendHex, argc, argv)) return 0;
    const char* text = nullptr;
    const char* output = nullptr;
    const std::string bad = ParseArguments(argc, argv, text, output);
    if (!bad.empty()) return UsageError(kSendHex, bad);
    // Blanks separate the bytes for the reader only; the transmission wants none.
    std::string hexText;
    for (const char* c = text; *c != '\0'; ++c)
        if (!std::isspace(static_cast<unsigned char>(*c))) hexText += *c;
    return Transmit(hexText, output);
}

}  // namespace
}  // namespace ostrel::cli
