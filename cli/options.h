#pragma once
// The one reader of every sub-command's arguments: options as "--opt value" or
// "--opt=value", flags, positional arguments, "--" before positional arguments
// that start with a dash, and --help (or -h) anywhere. Every command refuses
// the same things with the same words, through UsageError (status 2).
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "cli/command.h"

namespace ostrel::cli {

class Options {
  public:
    // Looks at a value; returns what is wrong with it, or empty when it is fine.
    using Check = std::function<std::string(const char* value)>;

    explicit Options(const Command& command) : command_(command) {}

    // A switch: true when given. It takes no value. Any option given twice is
    // refused.
    Options& Flag(const char* name, bool& target);
    // An option with a value, which is never empty.
    Options& Value(const char* name, const char*& target, Check check = nullptr);
    // The next positional argument, named as the usage line names it.
    Options& Positional(const char* what, const char*& target);

    // Reads argv (argv[0] is the command's name). Empty when the command goes
    // on; otherwise the exit status, after the usage (--help, 0) or the usage
    // error (2) was printed.
    std::optional<int> Parse(int argc, char** argv);

  private:
    struct Option {
        const char* name;
        bool* flag;
        const char** value;
        Check check;
    };
    struct Place {
        const char* what;
        const char** target;
    };
    const Option* Find(const std::string& name) const;
    std::string Take(const Option& option, const char* value);

    const Command& command_;
    std::vector<Option> options_;
    std::vector<Place> places_;
};

}  // namespace ostrel::cli
