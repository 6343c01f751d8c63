#include "cli/options.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "cli/quoted_text.h"

namespace ostrel::cli {

Options& Options::Flag(const char* name, bool& target) {
    options_.push_back({name, &target, nullptr, nullptr});
    return *this;
}

Options& Options::Value(const char* name, const char*& target, Check check) {
    options_.push_back({name, nullptr, &target, std::move(check)});
    return *this;
}

Options& Options::Positional(const char* what, const char*& target) {
    places_.push_back({what, &target});
    return *this;
}

const Options::Option* Options::Find(const std::string& name) const {
    for (const Option& option : options_)
        if (name == option.name) return &option;
    return nullptr;
}

std::string Options::Take(const Option& option, const char* value) {
    if (value == nullptr || *value == '\0') return std::string(option.name) + " needs a value";
    if (option.check) {
        std::string bad = option.check(value);
        if (!bad.empty()) return bad;
    }
    *option.value = value;
    return "";
}

std::optional<int> Options::Parse(int argc, char** argv) {
    // Help wins over any mistake beside it, as a reader asking for it expects.
    for (int i = 1; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::printf("usage: ostrel-cli %s\n", command_.usage);
            return 0;
        }
    }
    size_t nextPlace = 0;
    bool optionsEnded = false;
    // Each option counts once: which of two values was meant cannot be known.
    std::vector<const Option*> given;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        std::string bad;
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
            // A lone "-" is a positional argument (a file name).
            const size_t equals = arg.find('=');
            const Option* option = Find(arg.substr(0, equals));
            const bool twice = std::find(given.begin(), given.end(), option) != given.end();
            given.push_back(option);
            if (option == nullptr)
                bad = "unknown option " + QuoteText(arg.substr(0, equals));
            else if (twice)
                bad = std::string(option->name) + " is given twice";
            else if (option->flag != nullptr && equals != std::string::npos)
                bad = std::string(option->name) + " takes no value";
            else if (option->flag != nullptr)
                *option->flag = true;
            else if (equals != std::string::npos)
                bad = Take(*option, argv[i] + equals + 1);
            else
                bad = Take(*option, i + 1 < argc ? argv[++i] : nullptr);
        } else if (nextPlace < places_.size()) {
            *places_[nextPlace++].target = argv[i];
        } else {
            bad = "unexpected argument " + QuoteText(arg);
        }
        if (!bad.empty()) return UsageError(command_, bad);
    }
    if (nextPlace < places_.size())
        return UsageError(command_, std::string("missing ") + places_[nextPlace].what);
    return std::nullopt;
}

}  // namespace ostrel::cli
