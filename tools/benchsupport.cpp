#include "benchsupport.h"

#include "mainwindow.h"
#include "scrollbacklimiter.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMetaEnum>
#include <QTextDocument>
#include <QTextEdit>

#include <ctime>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace atlume::bench {

namespace {

double seconds(const timeval &t)
{
    return double(t.tv_sec) + double(t.tv_usec) / kUsPerSecond;
}

double cpuSeconds(int who)
{
    rusage usage{};
    getrusage(who, &usage);
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

qint64 threadCpuNs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

} // namespace

double processCpuSeconds()
{
    return cpuSeconds(RUSAGE_SELF);
}

double childrenCpuSeconds()
{
    return cpuSeconds(RUSAGE_CHILDREN);
}

double childCpuSeconds(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (pid <= 0 || !stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray line = stat.readAll();
    // The command name may hold blanks; the fields after it are plain.
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return -1;
    return double(fields.at(11).toLongLong() + fields.at(12).toLongLong()) / sysconf(_SC_CLK_TCK);
}

long peakRssKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

qint64 residentBytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = statm.readAll().simplified().split(' ');
    if (fields.size() < 2)
        return -1;
    return fields.at(1).toLongLong() * sysconf(_SC_PAGESIZE);
}

int openDescriptorCount()
{
    // The listing's own descriptor is in it every time, so counts compare.
    return int(QDir(QStringLiteral("/proc/self/fd"))
                   .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)
                   .size());
}

double loadAverage()
{
    double load = -1;
    return getloadavg(&load, 1) == 1 ? load : -1;
}

const char *verdict(bool met)
{
    return met ? "meets target" : "MISSES TARGET";
}

TimedApplication::TimedApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    clock.start();
}

bool TimedApplication::notify(QObject *receiver, QEvent *event)
{
    if (depth > 0)
        return QApplication::notify(receiver, event);
    // Taken before the delivery: a deferred delete ends with both gone.
    const int type = int(event->type());
    const char *receiverClass = receiver ? receiver->metaObject()->className() : "";
    ++depth;
    const qint64 start = clock.nsecsElapsed();
    const qint64 cpuStart = threadCpuNs();
    const bool handled = QApplication::notify(receiver, event);
    const qint64 wall = clock.nsecsElapsed() - start;
    if (wall > longest) {
        longest = wall;
        longestCpu = threadCpuNs() - cpuStart;
        longestType = type;
        longestReceiver = receiverClass;
    }
    --depth;
    return handled;
}

QString TimedApplication::longestEventName() const
{
    const QMetaEnum types = QMetaEnum::fromType<QEvent::Type>();
    const char *type = types.valueToKey(longestType);
    return QStringLiteral("%1 to %2")
        .arg(type ? QString::fromLatin1(type) : QString::number(longestType),
             QString::fromLatin1(longestReceiver));
}

ModuleProcess::ModuleProcess(const QString &fifoPath) : fifo(fifoPath) {}

ModuleProcess::~ModuleProcess()
{
    if (process.state() != QProcess::NotRunning) {
        process.terminate();
        process.waitForFinished(kStartTimeoutMs);
    }
    if (fifoHold != -1)
        ::close(fifoHold);
}

bool ModuleProcess::start(const QStringList &arguments)
{
    const QByteArray fifoName = QFile::encodeName(fifo);
    fifoHold = ::mkfifo(fifoName.constData(), 0600) == 0
                   ? ::open(fifoName.constData(), O_RDWR | O_CLOEXEC)
                   : -1;
    if (fifoHold == -1) {
        std::perror("atlume-bench: cannot make the module's input FIFO");
        return false;
    }
    process.setProgram(QStringLiteral(ATLUME_SIM_PROGRAM));
    // Without delays, and opened by its path rather than through the port list.
    process.setArguments(QStringList{QStringLiteral("--delay=0"), QStringLiteral("--no-announce")} +
                         arguments);
    process.setStandardInputFile(fifo);
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start();
    if (!process.waitForStarted(kStartTimeoutMs) ||
        !waitFor([this] { return process.canReadLine(); }, kStartTimeoutMs)) {
        std::fprintf(stderr, "atlume-bench: cannot start %s\n", qPrintable(process.program()));
        return false;
    }
    pty = QString::fromLocal8Bit(process.readLine()).trimmed();
    return true;
}

pid_t ModuleProcess::spawnFeeder(const QString &program, const QStringList &arguments) const
{
    const QByteArray path = QFile::encodeName(program);
    QList<QByteArray> words{path};
    for (const QString &argument : arguments)
        words.append(argument.toLocal8Bit());
    QVector<char *> argv;
    for (QByteArray &word : words)
        argv.append(word.data());
    argv.append(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, QFile::encodeName(fifo).constData(),
                                     O_WRONLY | O_APPEND, 0);
    pid_t child = -1;
    if (posix_spawn(&child, path.constData(), &actions, nullptr, argv.data(), environ) != 0)
        child = -1;
    posix_spawn_file_actions_destroy(&actions);
    return child;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size())
        return true;
    std::fprintf(stderr, "atlume-bench: cannot write %s\n", qPrintable(path));
    return false;
}

void waitForChild(pid_t child)
{
    if (child > 0)
        ::waitpid(child, nullptr, 0);
}

qint64 consoleLinesHandled(const QTextEdit *console)
{
    const auto *limiter = console->findChild<ScrollbackLimiter *>();
    const qint64 dropped = limiter ? limiter->droppedLines() : 0;
    const qint64 marker = dropped > 0 ? 1 : 0;
    return console->document()->blockCount() + dropped - marker;
}

bool ModuleRig::open(const QStringList &simArguments)
{
    if (!child.start(simArguments) ||
        !support::showWithPort(shown.window, shown.ports, child.ptyPath()))
        return false;
    serial = support::clickConnect(shown.window);
    return serial != nullptr;
}

} // namespace atlume::bench
