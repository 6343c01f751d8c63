#include "app/pipewire_rejoin.h"

#include <unistd.h>

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/app_state.h"
#include "app/file_texts.h"
#include "core/assignment_table.h"
#include "core/config_file.h"
#include "midi/jack_library.h"
#include "midi/port_keeper.h"

namespace ostrel {
namespace {

// "<table file or empty>\n<1 when started>", for the start again.
constexpr const char* kKeptSession = "OSTREL_KEPT_SESSION";
constexpr int kLookEveryMs = 1000;

std::string KeptTablePath() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    const std::string folder = runtime != nullptr && *runtime ? runtime : "/tmp";
    return folder + "/ostrel-kept-" + std::to_string(getpid()) + ".cfg";
}

}  // namespace

bool TakeKeptSession(AssignmentTable& table, bool* hasTable, bool* running) {
    const char* kept = std::getenv(kKeptSession);
    if (kept == nullptr) return false;
    const std::string value = kept;
    unsetenv(kKeptSession);
    const size_t end = value.find('\n');
    const std::string path = value.substr(0, end);
    *running = end != std::string::npos && value.substr(end + 1) == "1";
    *hasTable = !path.empty() && ReadConfig(path.c_str(), table) == StoreResult::Ok;
    if (!path.empty()) std::remove(path.c_str());
    return true;
}

PipeWireRejoin::PipeWireRejoin(AppState& state, Window window, QObject* parent)
    : QObject(parent), state_(state), window_(std::move(window)) {
    connect(&timer_, &QTimer::timeout, this, &PipeWireRejoin::Look);
    timer_.start(kLookEveryMs);
}

void PipeWireRejoin::Look() {
    if (state_.ports->Online() || QApplication::activeModalWidget() != nullptr) return;
    if (!PipeWireStartedSince()) return;
    std::string path;
    if (const AssignmentTable* table = window_.tableToKeep()) {
        path = KeptTablePath();
        if (WriteConfig(path.c_str(), *table) != StoreResult::Ok) path.clear();
    }
    const std::string kept = path + "\n" + (window_.running() ? "1" : "0");
    setenv(kKeptSession, kept.c_str(), 1);
    window_.shutDown();
    RestartOnPipeWireJack();
    // Not started again: the ports are closed; say so rather than look on.
    timer_.stop();
    unsetenv(kKeptSession);
    if (!path.empty()) std::remove(path.c_str());
    file_texts::ShowError(
        nullptr, QStringLiteral("PipeWire's server runs now, but Ostrel could not start again on "
                                "its JACK library. Start Ostrel again to join it."));
}

}  // namespace ostrel
