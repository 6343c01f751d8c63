// ostrel-cli: the window's engine and MIDI services for scripts, headless
// machines and tests.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cli/command.h"
#include "midi/jack_library.h"

namespace ostrel::cli {
namespace {

std::vector<Command>& Commands() {
    static std::vector<Command> commands;
    return commands;
}

void PrintOverview(FILE* out) {
    std::fprintf(out, "usage: ostrel-cli <command> [options] | --help | --version\ncommands:\n");
    for (const Command& c : Commands()) std::fprintf(out, "  %s\n", c.usage);
}

}  // namespace

Registration::Registration(const Command& c) { Commands().push_back(c); }

int UsageError(const Command& c, const std::string& why) {
    if (!why.empty()) std::fprintf(stderr, "ostrel-cli %s: %s\n", c.name, why.c_str());
    std::fprintf(stderr, "usage: ostrel-cli %s\n", c.usage);
    return 2;
}

int RuntimeError(const std::string& message) {
    std::fprintf(stderr, "ostrel-cli: %s\n", message.c_str());
    return 1;
}

}  // namespace ostrel::cli

int main(int argc, char** argv) {
    using namespace ostrel::cli;
    if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        PrintOverview(argc < 2 ? stderr : stdout);
        return argc < 2 ? 2 : 0;
    }
    if (std::strcmp(argv[1], "--version") == 0) {
        std::printf("ostrel-cli %s\n", OSTREL_VERSION);
        return 0;
    }
    for (const Command& c : Commands()) {
        if (std::strcmp(c.name, argv[1]) != 0) continue;
        if (c.joinsMidiGraph) ostrel::RestartOnPipeWireJackWhenWanted(argv);
        return c.run(argc - 1, argv + 1);
    }
    std::fprintf(stderr, "ostrel-cli: unknown command '%s'\n", argv[1]);
    PrintOverview(stderr);
    return 2;
}
