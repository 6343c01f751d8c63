#include "support/test_server.h"

#include <fcntl.h>
#include <jack/jack.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <thread>

#include "support/child_process.h"
#include "support/temp_dir.h"

namespace ostrel::test {
namespace {

using Clock = std::chrono::steady_clock;

// The set and the lock folder of scripts/with-jack.sh.
constexpr const char* kServerNames[] = {"ostrel-test-1", "ostrel-test-2", "ostrel-test-3",
                                        "ostrel-test-4"};

std::string LockFolder() { return "/tmp/ostrel-jack-" + std::to_string(getuid()); }

void Silent(const char*) {}

// True when a JACK server answers under name. libjack's complaints about a
// server that is not there are kept off the test's output.
bool Answers(const std::string& name) {
    jack_set_error_function(&Silent);
    jack_set_info_function(&Silent);
    jack_client_t* client = jack_client_open(
        "ostrel-name-probe", static_cast<jack_options_t>(JackNoStartServer | JackServerName),
        nullptr, name.c_str());
    if (client) jack_client_close(client);
    jack_set_error_function(nullptr);
    jack_set_info_function(nullptr);
    return client != nullptr;
}

}  // namespace

ServerName::ServerName(std::chrono::milliseconds timeout) {
    const std::string folder = LockFolder();
    mkdir(folder.c_str(), 0700);
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        for (const char* name : kServerNames) {
            const std::string path = folder + "/" + name + ".lock";
            const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
            if (fd < 0) continue;
            if (flock(fd, LOCK_EX | LOCK_NB) == 0 && !Answers(name)) {
                lock_ = fd;
                name_ = name;
                return;
            }
            close(fd);
        }
        if (Clock::now() >= deadline) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
}

ServerName::~ServerName() {
    if (lock_ >= 0) close(lock_);
}

ServerProcess::ServerProcess(const std::vector<std::string>& argv, const std::string& log)
    : log_(log) {
    // Everything the child needs is made before fork (see ChildProcess).
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const pid_t parent = getpid();
    pid_ = fork();
    if (pid_ == 0) {
        const int fd = open(log_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (fd >= 0) {
            dup2(fd, STDOUT_FILENO);
            dup2(fd, STDERR_FILENO);
        }
        // A test process that is killed (a timeout) still stops its server.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent) _exit(127);
        execv(args[0], args.data());
        _exit(127);
    }
}

bool ServerProcess::Running() {
    if (pid_ <= 0 || ended_) return false;
    ended_ = waitpid(pid_, nullptr, WNOHANG) == pid_;
    return !ended_;
}

bool ServerProcess::Stop() {
    if (!Running()) return !killed_;
    kill(pid_, SIGTERM);
    const auto deadline = Clock::now() + std::chrono::seconds(20);
    while (Running() && Clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (Running()) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
        ended_ = killed_ = true;
    }
    return !killed_;
}

std::string ServerProcess::Log() const { return TempDir::Read(log_); }

std::string ExplainJackd(const std::string& log) {
    if (log.find("Too many servers already active") == std::string::npos) return log;
    ChildProcess registry({OSTREL_SOURCE_DIR "/scripts/jack-registry.sh"});
    registry.Wait(std::chrono::seconds(20));
    return log + "\n" + registry.Out();
}

}  // namespace ostrel::test
