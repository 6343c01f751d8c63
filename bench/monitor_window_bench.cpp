// What the window costs with the monitor open while a stream comes in: starts
// the program as `ostrel` does, on the input port given (remembered by name),
// presses Start and Monitor with logging on, lets the stream settle, then reads
// the process's processor time and wake-ups from /proc over the seconds given.
// "monitor_window_bench PORT SECONDS [PICTURE.png]" prints "percent_of_a_core
// wakeups_a_second lines_in_the_log percent_of_a_core_on_the_window's_thread",
// and saves a picture of the monitor when asked; run it under xvfb-run
// (scripts/monitor-cost.sh does).
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <sstream>
#include <string>

#include "app/app_state.h"
#include "app/main_frame.h"
#include "app/monitor_dlg.h"
#include "app/ostrel_app.h"
#include "midi/port_keeper.h"
#include "res/dialog_builder.h"
#include "res/template_main_form.h"
#include "res/template_monitor.h"

namespace {

// Processor time of the whole process, in clock ticks (utime + stime).
long long ProcessTicks() {
    std::ifstream stat("/proc/self/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string field;
    long long utime = 0, stime = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i) {
        if (i == 14) utime = std::stoll(field);
        if (i == 15) stime = std::stoll(field);
    }
    return utime + stime;
}

// Context switches of all the process's threads: each is a wake-up or a preemption.
long long Switches() {
    long long total = 0;
    for (const QString& task :
         QDir("/proc/self/task").entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        std::ifstream status("/proc/self/task/" + task.toStdString() + "/status");
        for (std::string line; std::getline(status, line);)
            if (line.find("ctxt_switches:") != std::string::npos)
                total += std::stoll(line.substr(line.find(':') + 1));
    }
    return total;
}

// Processor time of the calling thread (the window's), in seconds.
double ThreadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// Runs an event loop as the program does (QTest::qWait would wake it every 10 ms).
void RunFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: monitor_window_bench PORT SECONDS [PICTURE.png]\n");
        return 2;
    }
    const std::string port = argv[1];
    const int seconds = std::atoi(argv[2]);
    QApplication qt(argc, argv);
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    {
        std::ofstream ini("Ostrel.ini");
        ini << "[DEVNAME]\nMIDIINNAME=" << port << "\n[MONITOR]\nSTATE=1\n";
    }
    ostrel::COstrelApp::Options options;
    options.lockPath = dir.filePath("MutexRunning").toStdString();
    ostrel::COstrelApp app(std::move(options));
    if (!app.InitInstance()) return 1;
    ostrel::CMainFrame* frame = app.Frame();
    if (!app.State()->ports->Connected(ostrel::PortDirection::Input)) {
        std::fprintf(stderr, "monitor_window_bench: not connected to %s\n", port.c_str());
        return 1;
    }
    ostrel::res::Item<QPushButton>(frame, ostrel::res::kIdStart)->click();
    ostrel::res::Item<QPushButton>(frame, ostrel::res::kIdMonitor)->click();
    auto* monitor = frame->findChild<ostrel::CMonitorDlg*>();
    if (monitor == nullptr || !monitor->IsLogging()) return 1;

    RunFor(2000);  // the stream settles
    const long long ticks = ProcessTicks();
    const long long switches = Switches();
    const double windowThread = ThreadSeconds();
    RunFor(seconds * 1000);
    const double used = double(ProcessTicks() - ticks) / double(sysconf(_SC_CLK_TCK));
    std::printf("%.1f %.0f %d %.2f\n", 100.0 * used / seconds,
                double(Switches() - switches) / seconds, monitor->Log()->document()->blockCount(),
                100.0 * (ThreadSeconds() - windowThread) / seconds);
    if (argc == 4 && !monitor->grab().save(QString::fromLocal8Bit(argv[3]))) return 1;
    return 0;
}
