// ostrel-cli check-syx: what the bulk dump of a .syx file means for an
// assignment table, one line per control in the dump's field order. Exits 3
// when a line is marked, so that a script can stop before sending the dump.
#include <cstdint>
#include <cstdio>
#include <string>

#include "cli/command.h"
#include "cli/config_option.h"
#include "cli/options.h"
#include "cli/syx_file.h"
#include "core/assignment_table.h"
#include "midi/sysex_transmit.h"
#include "store/hex_text.h"
#include "sysex/dump_header.h"
#include "sysex/dump_meaning.h"

namespace ostrel::cli {
namespace {

int RunCheckSyx(int argc, char** argv);

const Command kCheckSyx{"check-syx", "check-syx FILE.syx [--config FILE.cfg]", RunCheckSyx,
                        /*joinsMidiGraph=*/false};
const Registration kRegistration(kCheckSyx);

// The exit status when a line is marked.
constexpr int kMarked = 3;

int RunCheckSyx(int argc, char** argv) {
    const char* path = nullptr;
    const char* configPath = nullptr;
    if (const auto exit = Options(kCheckSyx)
                              .Positional("FILE.syx", path)
                              .Value("--config", configPath)
                              .Parse(argc, argv))
        return *exit;

    AssignmentTable table;
    if (const auto exit = ReadConfigOption(configPath, table)) return *exit;

    // The file is read and checked exactly as send-syx reads and checks it:
    // what is checked is the message that send-syx would send.
    std::string content;
    const std::string why = ReadSyxFileStart(path, content);
    if (!why.empty()) return RuntimeError(std::string("cannot read ") + path + ": " + why);
    const std::string hexText =
        FormatHexDigits(reinterpret_cast<const uint8_t*>(content.data()), content.size());
    uint8_t bytes[kTransmitBufferSize];
    const TransmitResult checked =
        PrepareSysEx(hexText.c_str(), static_cast<int>(hexText.size()), bytes);
    if (checked.outcome != TransmitOutcome::Sent) return RuntimeError(checked.text);
    const size_t length = static_cast<size_t>(checked.sentLength);
    if (!StartsWithDumpHeader(bytes, length))
        return RuntimeError(std::string(path) + " is not a bulk dump: a dump begins " +
                            FormatHexLine(kDumpHeader, sizeof kDumpHeader));

    const DumpMeaning meaning = ReadDumpMeaning(bytes, length, table);
    for (const DumpLine& line : meaning) std::printf("%s\n", DumpLineText(line).c_str());
    if (std::fflush(stdout) != 0 || std::ferror(stdout))
        return RuntimeError("cannot write the standard output");
    return AnyMarked(meaning) ? kMarked : 0;
}

}  // namespace
}  // namespace ostrel::cli
