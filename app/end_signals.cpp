#include "app/end_signals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <initializer_list>

namespace ostrel {
namespace {

int writeEnd = -1;  // set before any handler is installed, then only read

// write(2) is async-signal-safe. A full pipe already holds a request to end,
// so a byte that does not fit is not missed. errno belongs to the code that
// the signal interrupted.
void OnEndSignal(int signal) {
    const int saved = errno;
    const char byte = static_cast<char>(signal);
    [[maybe_unused]] const ssize_t written = write(writeEnd, &byte, 1);
    errno = saved;
}

}  // namespace

int InstallEndSignals() {
    static int readEnd = -1;
    if (readEnd >= 0) return readEnd;
    int ends[2];
    if (pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) return -1;
    readEnd = ends[0];
    writeEnd = ends[1];
    struct sigaction action = {};
    action.sa_handler = OnEndSignal;
    sigemptyset(&action.sa_mask);
    // Whichever thread takes the signal (the MIDI system's too) goes on with
    // what it was doing.
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &action, nullptr);
    return readEnd;
}

bool TakeEndSignals(int readEnd) {
    bool came = false;
    char bytes[64];
    while (read(readEnd, bytes, sizeof bytes) > 0) came = true;
    return came;
}

}  // namespace ostrel
