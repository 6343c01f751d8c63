// ostrel-cli translate: runs messages given as hex text through the forwarding
// of the live pass-through and prints what it would send for each, one line per
// message.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/config_option.h"
#include "cli/options.h"
#include "cli/quoted_text.h"
#include "core/assignment_table.h"
#include "core/midi_bytes.h"
#include "curves/current_curve.h"
#include "midi/forwarder.h"
#include "store/hex_text.h"

namespace ostrel::cli {
namespace {

int RunTranslate(int argc, char** argv);

const Command kTranslate{
    "translate",
    "translate [--config FILE.cfg] [--velocity X1,Y1,X2,Y2,W,H] [--touch X1,Y1,X2,Y2,W,H]",
    RunTranslate, /*joinsMidiGraph=*/false};
const Registration kRegistration(kTranslate);

using Bytes = std::vector<uint8_t>;

// Six comma-separated whole numbers: the two points and the area of a curve.
bool ParseCurve(const char* text, CurvePoints& curve) {
    int32_t* fields[] = {&curve.firstX,  &curve.firstY, &curve.secondX,
                         &curve.secondY, &curve.width,  &curve.height};
    const char* p = text;
    for (int i = 0; i < 6; ++i) {
        char* end = nullptr;
        errno = 0;
        const long v = std::strtol(p, &end, 10);
        if (end == p || errno != 0 || v < INT32_MIN || v > INT32_MAX) return false;
        *fields[i] = static_cast<int32_t>(v);
        if (i < 5 && *end != ',') return false;
        if (i == 5 && *end != '\0') return false;
        p = end + 1;
    }
    return true;
}

const char* const kNothingSent = "--";

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// Reads one line of hex bytes. Returns false with a reason when it is not a message.
bool ParseMessage(const std::string& line, Bytes& bytes, std::string& error) {
    bytes.clear();
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && IsBlank(line[i])) ++i;
        if (i == line.size()) break;
        size_t end = i;
        while (end < line.size() && !IsBlank(line[end])) ++end;
        const std::string token = line.substr(i, end - i);
        const int value = token.size() == 2 ? HexPairToByte(token[0], token[1]) : -1;
        if (value < 0) {
            error = QuoteText(token) + " is not a hex byte (two hex digits)";
            return false;
        }
        bytes.push_back(static_cast<uint8_t>(value));
        i = end;
    }
    if (!midi::IsStatus(bytes[0])) {
        error =
            "a message starts with a status byte (80 to FF), not " + FormatHexLine(bytes.data(), 1);
        return false;
    }
    if (bytes[0] == midi::kSystemExclusive) return true;
    if (bytes.size() > 3) {
        error = "a message of more than 3 bytes must be System Exclusive (start with F0)";
        return false;
    }
    for (size_t k = 1; k < bytes.size(); ++k) {
        if (midi::IsStatus(bytes[k])) {
            error = "data byte " + FormatHexLine(&bytes[k], 1) + " is not below 80";
            return false;
        }
    }
    return true;
}

bool IsSkipped(const std::string& line) {
    size_t i = 0;
    while (i < line.size() && IsBlank(line[i])) ++i;
    return i == line.size() || line[i] == '#';
}

// Reads one whole line of any length; false at the end of the input.
bool ReadLine(FILE* in, std::string& line) {
    line.clear();
    int c;
    while ((c = std::fgetc(in)) != EOF) {
        if (c == '\n') return true;
        line += static_cast<char>(c);
    }
    return !line.empty();
}

int RunTranslate(int argc, char** argv) {
    const char* configPath = nullptr;
    const char* velocityText = nullptr;
    const char* touchText = nullptr;
    CurvePoints velocity, touch;
    const auto curveCheck = [](const char* name, CurvePoints& curve) {
        return [name, &curve](const char* text) {
            return ParseCurve(text, curve)
                       ? std::string()
                       : std::string(name) + " needs six whole numbers X1,Y1,X2,Y2,W,H";
        };
    };
    if (const auto exit = Options(kTranslate)
                              .Value("--config", configPath)
                              .Value("--velocity", velocityText, curveCheck("--velocity", velocity))
                              .Value("--touch", touchText, curveCheck("--touch", touch))
                              .Parse(argc, argv))
        return *exit;

    AssignmentTable table;
    if (const auto exit = ReadConfigOption(configPath, table)) return *exit;
    CurrentCurves curves;
    curves.Of(CurveKind::Velocity).SetAll(velocity);
    curves.Of(CurveKind::Touch).SetAll(touch);
    // One forwarder for the whole input: song position and held notes carry
    // over from message to message, exactly as on the live path.
    Forwarder forwarder(table, curves);

    bool anyBadLine = false;
    std::string line;
    Bytes bytes;
    std::string error;
    for (long number = 1; ReadLine(stdin, line); ++number) {
        if (IsSkipped(line)) continue;
        if (!ParseMessage(line, bytes, error)) {
            std::fflush(stdout);  // keep stdout and stderr in input order on a terminal
            std::fprintf(stderr, "ostrel-cli: line %ld: %s\n", number, error.c_str());
            anyBadLine = true;
            continue;
        }
        size_t length = 0;
        const uint8_t* sent = forwarder.Forward(bytes.data(), bytes.size(), &length);
        const std::string out = length == 0 ? kNothingSent : FormatHexLine(sent, length);
        std::fputs(out.c_str(), stdout);
        std::fputc('\n', stdout);
    }
    if (std::ferror(stdin)) return RuntimeError("cannot read the standard input");
    if (std::fflush(stdout) != 0 || std::ferror(stdout))
        return RuntimeError("cannot write the standard output");
    return anyBadLine ? 1 : 0;
}

}  // namespace
}  // namespace ostrel::cli
