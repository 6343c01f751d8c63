#pragma once
// Servers that a test starts and stops itself: jackd under a name of the fixed
// set that scripts/with-jack.sh uses, or a pipewire daemon. Each is stopped with
// SIGTERM and waited for, on every path out of the test.
#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

namespace ostrel::test {

// One name of the test servers' set, ostrel-test-1 to ostrel-test-4, held for
// the lifetime of the object through its lock in /tmp/ostrel-jack-<uid>, as
// scripts/with-jack.sh takes them: the lock was free and no server answered
// under the name. jackd2's registry holds 8 servers and gives the slot of one
// that ended without stopping back only to a server of the same name, so a
// test that made up new names would fill it after a few killed runs.
class ServerName {
  public:
    // Waits at most timeout while other runs hold every name.
    explicit ServerName(std::chrono::milliseconds timeout);
    ~ServerName();
    ServerName(const ServerName&) = delete;
    ServerName& operator=(const ServerName&) = delete;

    // Empty when no name came free in time.
    const std::string& name() const { return name_; }

  private:
    int lock_ = -1;
    std::string name_;
};

// A server program run as a child process, its output in a log file. It gets
// SIGTERM when this process ends, however it ends; Stop() and the destructor
// send SIGTERM and wait for it.
class ServerProcess {
  public:
    ServerProcess(const std::vector<std::string>& argv, const std::string& log);
    ~ServerProcess() { Stop(); }
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;

    bool Running();
    // Sends SIGTERM and waits for the end; false when it did not end within
    // 20 s and was killed. Its exit status does not count: jackd sometimes
    // ends by SIGPIPE while it stops, when a client's socket closes under it.
    bool Stop();
    // What it printed so far.
    std::string Log() const;

  private:
    pid_t pid_ = -1;
    bool ended_ = false, killed_ = false;
    std::string log_;
};

// jackd's output, and when it says that JACK's registry of servers is full,
// which servers hold it and how to free a slot (scripts/jack-registry.sh).
std::string ExplainJackd(const std::string& log);

}  // namespace ostrel::test
