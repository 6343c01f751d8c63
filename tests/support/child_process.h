#pragma once
// Runs a program (ostrel-cli) as a child process with its standard output and
// error read through pipes, so that tests can wait for what it prints, signal it
// and collect its exit status, every wait bounded.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

namespace ostrel::test {

class ChildProcess {
  public:
    explicit ChildProcess(const std::vector<std::string>& argv) {
        // Everything the child needs is made before fork: other threads of a
        // test process may hold the allocator's lock at that moment.
        std::vector<char*> args;
        for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        int out[2], err[2];
        if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            dup2(out[1], STDOUT_FILENO);
            dup2(err[1], STDERR_FILENO);
            execv(args[0], args.data());
            _exit(127);
        }
        close(out[1]);
        close(err[1]);
        out_ = out[0];
        err_ = err[0];
    }
    ~ChildProcess() {
        if (pid_ > 0 && status_ < 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        if (out_ >= 0) close(out_);
        if (err_ >= 0) close(err_);
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Started() const { return pid_ > 0; }
    int Pid() const { return pid_; }
    const std::string& Out() const { return outText_; }
    const std::string& Err() const { return errText_; }

    // Reads until stderr holds text, or the timeout passes, or both pipes close.
    bool WaitForErr(const std::string& text, std::chrono::milliseconds timeout) {
        return WaitFor([&] { return errText_.find(text) != std::string::npos; }, timeout);
    }
    // Reads until stdout holds text, or the timeout passes, or both pipes close.
    bool WaitForOut(const std::string& text, std::chrono::milliseconds timeout) {
        return WaitFor([&] { return outText_.find(text) != std::string::npos; }, timeout);
    }
    // Reads until stdout holds at least lines line feeds.
    bool WaitForOutLines(size_t lines, std::chrono::milliseconds timeout) {
        return WaitFor([&] { return CountLines(outText_) >= lines; }, timeout);
    }

    void Signal(int signal) {
        if (pid_ > 0 && status_ < 0) kill(pid_, signal);
    }

    // Reads what the child prints until it ends or the timeout passes; true
    // when it has ended (it is left running otherwise).
    bool WaitExit(std::chrono::milliseconds timeout) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        WaitFor([] { return false; }, timeout);  // returns early once both pipes close
        return WaitExitUnread(std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now()));
    }

    // Waits for the child's end without reading what it prints, as when nobody
    // reads its output; true when it ended within the timeout.
    bool WaitExitUnread(std::chrono::milliseconds timeout) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (status_ < 0 && pid_ > 0) {
            int raw = 0;
            if (waitpid(pid_, &raw, WNOHANG) == pid_) {
                status_ = Decode(raw);
                break;
            }
            if (std::chrono::steady_clock::now() >= deadline) break;
            usleep(1000);
        }
        return status_ >= 0;
    }

    // The child's exit code, 128 + signal when a signal ended it, or -1 when it
    // did not end within the timeout (it is then killed).
    int Wait(std::chrono::milliseconds timeout) {
        if (WaitExit(timeout)) return status_;
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
            status_ = 1000;
        }
        return -1;
    }

  private:
    static size_t CountLines(const std::string& text) {
        size_t n = 0;
        for (char c : text) n += c == '\n';
        return n;
    }
    static int Decode(int raw) {
        if (WIFEXITED(raw)) return WEXITSTATUS(raw);
        if (WIFSIGNALED(raw)) return 128 + WTERMSIG(raw);
        return -1;
    }

    template <typename Done>
    bool WaitFor(Done done, std::chrono::milliseconds timeout) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (!done()) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) return false;
            pollfd fds[2] = {{out_, POLLIN, 0}, {err_, POLLIN, 0}};
            if (out_ < 0 && err_ < 0) return done();
            if (poll(fds, 2, static_cast<int>(std::min<long>(left.count(), 100))) < 0) continue;
            ReadSome(out_, outText_, fds[0].revents);
            ReadSome(err_, errText_, fds[1].revents);
        }
        return true;
    }
    static void ReadSome(int& fd, std::string& text, short revents) {
        if (fd < 0 || revents == 0) return;
        char buffer[4096];
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n > 0) {
            text.append(buffer, static_cast<size_t>(n));
        } else if (n == 0) {
            close(fd);
            fd = -1;
        }
    }

    pid_t pid_ = -1;
    int out_ = -1, err_ = -1;
    int status_ = -1;
    std::string outText_, errText_;
};

}  // namespace ostrel::test
