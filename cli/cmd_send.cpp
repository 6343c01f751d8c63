// ostrel-cli send-syx / send-hex: one System Exclusive message to the MIDI
// output, checked exactly as the window's transmission checks it.
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

#include "cli/command.h"
#include "core/assignment_table.h"
#include "curves/current_curve.h"
#include "midi/device_list.h"
#include "midi/midi_services.h"
#include "midi/pass_through.h"
#include "midi/sysex_transmit.h"
#include "store/atomic_file.h"
#include "store/ini_settings.h"

namespace ostrel::cli {
namespace {

int RunSendSyx(int argc, char** argv);
int RunSendHex(int argc, char** argv);
const Command kSendSyx = {"send-syx", "send-syx FILE.syx [--out N]", &RunSendSyx};
const Command kSendHex = {"send-hex", "send-hex \"F0 .. F7\" [--out N]", &RunSendHex};
const Registration kSyxRegistration(kSendSyx);
const Registration kHexRegistration(kSendHex);

constexpr std::chrono::milliseconds kSettleTime{200};

// One positional argument and --out N. Empty when fine, else what is wrong.
std::string ParseArguments(int argc, char** argv, const char*& positional, int& output,
                           bool& outputGiven) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--out") == 0 && i + 1 < argc) {
            if (!ParseDeviceIndex(argv[++i], output))
                return std::string("bad output device index '") + argv[i] + "'";
            outputGiven = true;
        } else if (positional == nullptr && (argv[i][0] != '-' || argv[i][1] == '\0')) {
            positional = argv[i];
        } else {
            return std::string("unexpected argument '") + argv[i] + "'";
        }
    }
    return positional == nullptr ? "missing argument" : "";
}

// Checks the blank-free hex text, opens the output and sends the message.
int Transmit(const std::string& hexText, int output, bool outputGiven) {
    uint8_t bytes[kTransmitBufferSize];
    const TransmitResult checked =
        PrepareSysEx(hexText.c_str(), static_cast<int>(hexText.size()), bytes);
    if (checked.outcome != TransmitOutcome::Sent) return RuntimeError(checked.text);

    if (!outputGiven) {
        CIniSettings settings;
        if (settings.InitPath()) output = settings.ReadInt("DEVNAME", "MIDIOUT");
    }
    AssignmentTable table;
    CurrentCurves curves;
    std::unique_ptr<MidiServices> services = CreateSystemMidiServices();
    PassThrough passThrough(table, curves, *services);
    std::string why;
    if (!passThrough.OpenOutput(output, &why))
        return RuntimeError("MIDI output " + std::to_string(output) + " not opened: " + why);
    // A port that has just been connected takes a few cycles of the MIDI system
    // (JACK applies new connections at a cycle boundary) before what it sends
    // arrives; a one-shot send waits for that.
    std::this_thread::sleep_for(kSettleTime);
    const TransmitResult sent =
        TransmitSysEx(passThrough, hexText.c_str(), static_cast<int>(hexText.size()));
    // Closing the port sends what the MIDI system still holds.
    passThrough.CloseOutput();
    if (sent.outcome != TransmitOutcome::Sent) return RuntimeError(sent.text);
    std::printf("sent %d bytes\n", sent.sentLength);
    return 0;
}

int RunSendSyx(int argc, char** argv) {
    if (WantsHelp(kSendSyx, argc, argv)) return 0;
    const char* path = nullptr;
    int output = 0;
    bool outputGiven = false;
    const std::string bad = ParseArguments(argc, argv, path, output, outputGiven);
    if (!bad.empty()) return UsageError(kSendSyx, bad);

    // One byte more than a message can hold is enough to refuse a longer file, so
    // a file of any size (or a device that never ends) is read no further.
    std::string content;
    if (!ReadFileStart(path, kTransmitBufferSize / 2 + 1, content))
        return RuntimeError(std::string("cannot read ") + path);
    std::string hexText;
    char pair[3];
    for (unsigned char byte : content) {
        std::snprintf(pair, sizeof pair, "%02X", byte);
        hexText += pair;
    }
    return Transmit(hexText, output, outputGiven);
}

int RunSendHex(int argc, char** argv) {
    if (WantsHelp(kSendHex, argc, argv)) return 0;
    const char* text = nullptr;
    int output = 0;
    bool outputGiven = false;
    const std::string bad = ParseArguments(argc, argv, text, output, outputGiven);
    if (!bad.empty()) return UsageError(kSendHex, bad);
    // Blanks separate the bytes for the reader only; the transmission wants none.
    std::string hexText;
    for (const char* c = text; *c != '\0'; ++c)
        if (!std::isspace(static_cast<unsigned char>(*c))) hexText += *c;
    return Transmit(hexText, output, outputGiven);
}

}  // namespace
}  // namespace ostrel::cli
