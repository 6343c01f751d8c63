#include "midi/jack_library.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace ostrel {
namespace {

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "(unset)";
}

TEST(JackLibrary, TheProgramStartedAgainHandsTheUsersLibraryPathBack) {
    const std::string before = Env("LD_LIBRARY_PATH");
    static char program[] = "ostrel";
    static char* argv[] = {program, nullptr};
    for (const std::string user : {"/home/me/lib", ""}) {
        setenv("LD_LIBRARY_PATH", ("/usr/lib/pipewire-0.3/jack:" + user).c_str(), 1);
        setenv("OSTREL_USER_LD_LIBRARY_PATH", user.c_str(), 1);
        setenv("OSTREL_RESTARTED_ON_PIPEWIRE", "1", 1);
        RestartOnPipeWireJackWhenWanted(argv);  // returns: not started again
        EXPECT_EQ(Env("LD_LIBRARY_PATH"), user.empty() ? "(unset)" : user);
        EXPECT_EQ(Env("OSTREL_USER_LD_LIBRARY_PATH") + Env("OSTREL_RESTARTED_ON_PIPEWIRE"),
                  "(unset)(unset)");
    }
    if (before != "(unset)") setenv("LD_LIBRARY_PATH", before.c_str(), 1);
}

}  // namespace
}  // namespace ostrel
