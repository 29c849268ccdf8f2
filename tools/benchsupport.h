#pragma once

#include <sys/types.h>

// What every mode of atlume-bench shares: the process figures, the module as
// a child process with the window on it, and the verdicts. The window, the
// broker and waiting come from the support library the tests use too.

#include "waitfor.h"
#include "windowrig.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <cstdio>

class MainWindow;
class QSerialPort;
class QTextEdit;

namespace atlume::bench {

using support::waitFor;
using support::widget;

constexpr int kStartTimeoutMs = 5000;
constexpr double kBytesPerMegabyte = 1e6;
constexpr double kBytesPerKiB = 1024;
constexpr double kMsPerSecond = 1000;
constexpr double kUsPerSecond = 1e6;

double processCpuSeconds();
// Children that have ended and been waited for.
double childrenCpuSeconds();
// Another process of ours that is still running; -1 if it is not.
double childCpuSeconds(qint64 pid);
long peakRssKiB();
qint64 residentBytes();
int openDescriptorCount();
// Of the whole machine, over the last minute.
double loadAverage();

const char *verdict(bool met);

// Times every event it delivers from the event loop. An event handled
// inside another (a paint inside an update request, say) is part of the
// outer one's time, so only the outermost deliveries are timed. Besides the
// wall time it keeps the CPU time of the slowest event: on a busy machine
// the two differ by the time the scheduler gave to other processes.
class TimedApplication : public QApplication {
public:
    TimedApplication(int &argc, char **argv);

    bool notify(QObject *receiver, QEvent *event) override;
    qint64 longestEventNs() const { return longest; }
    qint64 longestEventCpuNs() const { return longestCpu; }
    // What the slowest event was, as "<event type> to <receiver's class>".
    QString longestEventName() const;
    void resetLongestEvent() { longest = longestCpu = 0; }

private:
    QElapsedTimer clock;
    int depth = 0;
    qint64 longest = 0;
    qint64 longestCpu = 0;
    int longestType = 0;
    const char *longestReceiver = "";
};

// The simulated module as a child process (atlume-sim), so that its CPU is
// not the window's. Its standard input is a FIFO which this process keeps open (read-write, so that
// opening it never blocks) but never writes: feeders started with spawnFeeder() fill it.
class ModuleProcess {
public:
    explicit ModuleProcess(const QString &fifoPath);
    ~ModuleProcess();
    ModuleProcess(const ModuleProcess &) = delete;
    ModuleProcess &operator=(const ModuleProcess &) = delete;

    bool start(const QStringList &arguments);
    QString ptyPath() const { return pty; }
    double cpuSeconds() const { return childCpuSeconds(process.processId()); }
    // Starts a program with its standard output on the module's input, and
    // without fork(): after a fork() every page of this process is
    // copy-on-write, and the first write to each of them faults, which the
    // window would then be charged for as stalls of its own. Returns the
    // child's process id, or -1.
    pid_t spawnFeeder(const QString &program, const QStringList &arguments) const;

private:
    QString fifo;
    int fifoHold = -1;
    QProcess process;
    QString pty;
};

// The window on the module as a child process: the module's pseudo-terminal
// is the one port in the window's list, selected and opened.
class ModuleRig {
public:
    ModuleRig() : child(shown.work.filePath(QStringLiteral("module-input"))) {}

    // Starts the module with these arguments of atlume-sim and opens its
    // port; false, with a message, when either failed.
    bool open(const QStringList &simArguments);
    MainWindow &window() { return shown.window; }
    QSerialPort &port() { return *serial; }
    const ModuleProcess &module() const { return child; }
    // In the rig's working directory.
    QString filePath(const QString &name) const { return shown.work.filePath(name); }

private:
    support::PortListWindow shown;
    ModuleProcess child;
    QSerialPort *serial = nullptr;
};

// Writes bytes to a new file; false, with a message, when it cannot.
bool writeFile(const QString &path, const QByteArray &bytes);

// Waits for a child started with spawnFeeder to end.
void waitForChild(pid_t child);

// Lines the console has taken in since it was last emptied: those it shows
// (each line is one block) and those its scrollback limiter dropped, whose
// marker line is no line of the module's.
qint64 consoleLinesHandled(const QTextEdit *console);

} // namespace atlume::bench
