// The program started again on PipeWire's libjack hands the user's own
// LD_LIBRARY_PATH back to whatever it starts in turn, and does not start
// itself a third time.
#include "midi/jack_library.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace ostrel {
namespace {

std::optional<std::string> Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::optional<std::string>(value) : std::nullopt;
}

void SetEnv(const char* name, const std::optional<std::string>& value) {
    if (value)
        setenv(name, value->c_str(), 1);
    else
        unsetenv(name);
}

TEST(JackLibrary, TheProgramStartedAgainHandsTheUsersLibraryPathBack) {
    const char* const names[] = {"LD_LIBRARY_PATH", "OSTREL_USER_LD_LIBRARY_PATH",
                                 "OSTREL_RESTARTED_ON_PIPEWIRE"};
    std::optional<std::string> before[3];
    for (int i = 0; i < 3; ++i) before[i] = Env(names[i]);
    static char program[] = "ostrel";
    static char* argv[] = {program, nullptr};
    // What the start again sets: PipeWire's folder first, the user's path kept.
    for (const std::string user : {"/home/me/lib", ""}) {
        SCOPED_TRACE(user);
        setenv("LD_LIBRARY_PATH", ("/usr/lib/pipewire-0.3/jack:" + user).c_str(), 1);
        setenv("OSTREL_USER_LD_LIBRARY_PATH", user.c_str(), 1);
        setenv("OSTREL_RESTARTED_ON_PIPEWIRE", "1", 1);
        RestartOnPipeWireJackWhenWanted(argv);  // returns: no start again
        EXPECT_EQ(Env("LD_LIBRARY_PATH"), user.empty() ? std::nullopt : std::optional(user));
        EXPECT_EQ(Env("OSTREL_USER_LD_LIBRARY_PATH"), std::nullopt);
        EXPECT_EQ(Env("OSTREL_RESTARTED_ON_PIPEWIRE"), std::nullopt);
    }
    for (int i = 0; i < 3; ++i) SetEnv(names[i], before[i]);
}

}  // namespace
}  // namespace ostrel
