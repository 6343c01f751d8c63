// ostrel-cli send-syx / send-hex: one System Exclusive message to the MIDI
// output, checked exactly as the window's transmission checks it.
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <sstream>
#include <string>
#include <thread>

#include "cli/command.h"
#include "cli/midi_session.h"
#include "cli/quoted_text.h"
#include "cli/syx_file.h"
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
        TransmitSysEx(*session.link.passThrough, hexText.c_str(), static_cast<int>(hexText.size()));
    const bool refused = sent.outcome != TransmitOutcome::Sent;
    const bool written = !refused && session.link.passThrough->Flush();
    // Refused when it was pushed, or, before the port's size was known, when
    // the MIDI thread came to write it.
    const uint64_t large = session.link.passThrough->DroppedLarge();
    session.link.keeper->Shutdown();
    if (refused && large == 0) return RuntimeError(sent.text);
    if (large > 0)
        return RuntimeError(
            "the message is larger than the largest MIDI event the output port "
            "carries; nothing was sent");
    if (!written) return RuntimeError("the MIDI system did not take the message");
    std::printf("sent %d bytes\n", sent.sentLength);
    return 0;
}

// The message's text without blanks, as the transmission wants it, when every
// token is exactly two hex digits. Otherwise empty, with the first bad token
// named in why.
std::string ReadHexTokens(const char* text, std::string& why) {
    std::string hexText;
    std::istringstream tokens(text);
    std::string token;
    while (tokens >> token) {
        if (token.size() != 2 || !std::isxdigit(static_cast<unsigned char>(token[0])) ||
            !std::isxdigit(static_cast<unsigned char>(token[1]))) {
            why = "bad byte " + QuoteText(token) + ": each byte is two hex digits";
            return "";
        }
        hexText += token;
    }
    return hexText;
}

int RunSendSyx(int argc, char** argv) {
    const char* path = nullptr;
    const char* output = nullptr;
    if (const auto exit = Options(kSendSyx)
                              .Positional("FILE.syx", path)
                              .Value("--out", output, PortCheck(PortDirection::Output))
                              .Parse(argc, argv))
        return *exit;
    if (output == nullptr && !RemembersPort(PortDirection::Output))
        return UsageError(kSendSyx, NoPortChosen(PortDirection::Output));

    std::string content;
    const std::string why = ReadSyxFileStart(path, content);
    if (!why.empty()) return RuntimeError(std::string("cannot read ") + path + ": " + why);
    return Transmit(
        FormatHexDigits(reinterpret_cast<const uint8_t*>(content.data()), content.size()), output);
}

int RunSendHex(int argc, char** argv) {
    const char* text = nullptr;
    const char* output = nullptr;
    if (const auto exit = Options(kSendHex)
                              .Positional("the message's hex bytes", text)
                              .Value("--out", output, PortCheck(PortDirection::Output))
                              .Parse(argc, argv))
        return *exit;
    std::string bad;
    const std::string hexText = ReadHexTokens(text, bad);
    if (!bad.empty()) return UsageError(kSendHex, bad);
    // The message is the argument: one that cannot be sent (no F7, no System
    // Exclusive, nothing at all) is a usage error like a bad byte.
    uint8_t bytes[kTransmitBufferSize];
    const TransmitResult checked =
        PrepareSysEx(hexText.c_str(), static_cast<int>(hexText.size()), bytes);
    if (checked.outcome != TransmitOutcome::Sent) return UsageError(kSendHex, checked.text);
    if (output == nullptr && !RemembersPort(PortDirection::Output))
        return UsageError(kSendHex, NoPortChosen(PortDirection::Output));
    return Transmit(hexText, output);
}

}  // namespace
}  // namespace ostrel::cli
