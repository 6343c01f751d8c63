#pragma once
// SIGINT, SIGTERM and SIGHUP end the window. A signal handler may do next to
// nothing safely, so each signal only becomes a byte on a pipe; the event loop
// reads the pipe and ends the program where it may release held notes and
// close the ports. No Qt here.
namespace ostrel {

// Installs the handlers, once per process, and returns the pipe's read end
// (non-blocking). -1 when no pipe could be made: the signals keep their
// default action then.
int InstallEndSignals();

// Empties the pipe; true when a signal had come.
bool TakeEndSignals(int readEnd);

}  // namespace ostrel
