#include "midi/jack_library.h"

#include <dlfcn.h>
#include <jack/jack.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace ostrel {
namespace {

// Set for the program started again: it must not start itself a third time,
// and it hands LD_LIBRARY_PATH back to what the user had, so that programs it
// starts in turn (a help viewer) are not moved to PipeWire's libjack.
constexpr const char* kRestartedMark = "OSTREL_RESTARTED_ON_PIPEWIRE";
constexpr const char* kUserLibraryPath = "OSTREL_USER_LD_LIBRARY_PATH";
constexpr const char* kPipeWireFolder = "pipewire-0.3/jack";

// The file of the libjack loaded in this process.
std::string LoadedJackLibrary() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&jack_client_open), &info) == 0 || info.dli_fname == nullptr)
        return "";
    return info.dli_fname;
}

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

std::string PipeWireSocket() {
    std::string name = Env("PIPEWIRE_REMOTE");
    if (name.empty()) name = "pipewire-0";
    if (name.front() == '/') return name;
    std::string folder = Env("PIPEWIRE_RUNTIME_DIR");
    if (folder.empty()) folder = Env("XDG_RUNTIME_DIR");
    if (folder.empty()) return "";
    return folder + "/" + name;
}

// The user's own LD_LIBRARY_PATH again, for whatever this program starts.
void HandBackLibraryPath() {
    const std::string user = Env(kUserLibraryPath);
    if (user.empty())
        unsetenv("LD_LIBRARY_PATH");
    else
        setenv("LD_LIBRARY_PATH", user.c_str(), 1);
    unsetenv(kUserLibraryPath);
    unsetenv(kRestartedMark);
}

void Quiet(const char*) {}

}  // namespace

bool OnPipeWireJack() { return LoadedJackLibrary().find("/pipewire-") != std::string::npos; }

void QuietJack() {
    jack_set_error_function(&Quiet);
    jack_set_info_function(&Quiet);
}

bool JackServerAnswers() {
    QuietJack();
    jack_status_t status{};
    jack_client_t* probe = jack_client_open("Ostrel-probe", JackNoStartServer, &status);
    if (probe == nullptr) return false;
    jack_client_close(probe);
    return true;
}

std::string PipeWireJackFolder() {
    namespace fs = std::filesystem;
    const std::string loaded = LoadedJackLibrary();
    if (loaded.empty()) return "";
    std::error_code ec;
    const fs::path folder = fs::path(loaded).parent_path();
    if (OnPipeWireJack()) return folder.string();
    // PipeWire's folder lies beside the system's libraries, where jackd's libjack is.
    const fs::path candidate = fs::canonical(folder, ec) / kPipeWireFolder;
    if (ec || !fs::exists(candidate / "libjack.so.0", ec)) return "";
    return candidate.string();
}

bool PipeWireRuns() {
    const std::string path = PipeWireSocket();
    sockaddr_un address{};
    if (path.empty() || path.size() >= sizeof address.sun_path) return false;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    const bool answers = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    close(fd);
    return answers;
}

namespace {

// The program's arguments, for a start again later (RestartOnPipeWireJack).
char** startArguments = nullptr;

// Starts the program again with PipeWire's libjack first; returns only when
// that failed.
void ExecOnPipeWireJack(const std::string& folder) {
    const std::string user = Env("LD_LIBRARY_PATH");
    setenv(kUserLibraryPath, user.c_str(), 1);
    setenv(kRestartedMark, "1", 1);
    setenv("LD_LIBRARY_PATH", (user.empty() ? folder : folder + ":" + user).c_str(), 1);
    execv("/proc/self/exe", startArguments);
    // Not started again: go on with the libjack in use.
    HandBackLibraryPath();
}

}  // namespace

void RestartOnPipeWireJackWhenWanted(char** argv) {
    startArguments = argv;
    if (std::getenv(kRestartedMark) != nullptr) {
        HandBackLibraryPath();
        return;
    }
    if (OnPipeWireJack()) return;
    const std::string chosen = Env("OSTREL_MIDI_API");
    if (!chosen.empty() && chosen != "pipewire") return;
    const std::string folder = PipeWireJackFolder();
    if (folder.empty()) return;
    if (chosen.empty() && (JackServerAnswers() || !PipeWireRuns())) return;
    ExecOnPipeWireJack(folder);
}

bool PipeWireStartedSince() {
    if (startArguments == nullptr || OnPipeWireJack() || !Env("OSTREL_MIDI_API").empty())
        return false;
    return PipeWireRuns() && !PipeWireJackFolder().empty() && !JackServerAnswers();
}

void RestartOnPipeWireJack() {
    const std::string folder = PipeWireJackFolder();
    if (startArguments != nullptr && !folder.empty()) ExecOnPipeWireJack(folder);
}

}  // namespace ostrel
