#pragma once
// Sub-commands of ostrel-cli register themselves here; main() dispatches by name.
// Exit codes: 0 success, 1 runtime failure ("ostrel-cli: ..." on stderr), 2 usage.
#include <string>

namespace ostrel::cli {

struct Command {
    const char* name;
    const char* usage;                  // one line, printed on bad arguments and with --help
    int (*run)(int argc, char** argv);  // argv[0] is the sub-command name
    bool joinsMidiGraph = true;         // false: no MIDI system is looked for
};

// Each command file holds one static Registration.
struct Registration {
    explicit Registration(const Command& c);
};

// Prints "usage: ostrel-cli <usage>" on stderr and returns 2.
int UsageError(const Command& c, const std::string& why = "");
// Prints "ostrel-cli: <message>" on stderr and returns 1.
int RuntimeError(const std::string& message);

}  // namespace ostrel::cli
