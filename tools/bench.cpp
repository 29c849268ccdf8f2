// atlume-bench: measures what the console costs. A real MainWindow opens the
// simulated module's pseudo-terminal; the module runs as a child process
// (atlume-fakemodule from this folder) and "cat" feeds it the burst through a
// FIFO, so the CPU figures below are the window's own: the reads, the
// console, the recogniser and the painting.
//
//   1. CPU and wall time of send_order's one-second pause;
//   2. a burst of module output shown in the console: lines per second end to
//      end, CPU microseconds per line, peak memory and memory per line.

#include "mainwindow.h"
#include "portenumerator.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// What the figures are held against.
constexpr double kPauseCpuLimitS = 0.05;
constexpr qint64 kPauseMinimumMs = 1000;
constexpr double kLinesPerSecondTarget = 60000;
constexpr double kCpuPerLineLimitUs = 15;
constexpr double kBytesPerLineLimit = 700;

constexpr int kStartTimeoutMs = 5000;
constexpr int kBurstTimeoutMs = 120000;

double processCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval &t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
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

// CPU seconds that another process of ours has used so far.
double childCpuSeconds(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray line = stat.readAll();
    // The command name may hold blanks; the fields after it are plain.
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return -1;
    return double(fields.at(11).toLongLong() + fields.at(12).toLongLong()) / sysconf(_SC_CLK_TCK);
}

template <class T> T *widget(const QWidget &window, const char *name)
{
    T *found = window.findChild<T *>(QString::fromLatin1(name));
    if (!found) {
        std::fprintf(stderr, "atlume-bench: no widget %s\n", name);
        std::exit(1);
    }
    return found;
}

// Output of a busy module: subscription data, status answers and OKs of
// mixed lengths, with recognised replies sprinkled in. Deterministic, so
// two runs see the same stream.
struct Burst {
    QByteArray bytes;
    int lines = 0;
    int recognised = 0;
    QString lastLine;
};

Burst makeBurst(int lineCount)
{
    Burst burst;
    burst.bytes.reserve(lineCount * 48);
    quint32 seed = 12345;
    auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) & 0x7fff;
    };
    for (int i = 0; i < lineCount; ++i) {
        QByteArray line;
        if (i % 1000 == 999) {
            line = "+KQMQTTRECONNECTED";
            ++burst.recognised;
        } else if (i % 2500 == 1234) {
            line = "WIFI GOT IP";
            ++burst.recognised;
        } else {
            switch (next() % 6) {
            case 0:
                line = "OK";
                break;
            case 1:
                line = "+KQMQTTSTATE:0";
                break;
            case 2:
                line = "+CIPSTATUS:0,\"TCP\",\"192.168.1." + QByteArray::number(next() % 255) +
                       "\"," + QByteArray::number(next() % 65536) + ",0";
                break;
            default: {
                const QByteArray payload(int(next() % 90), char('a' + next() % 26));
                line = "+KQMQTTSUBDATA:\"prod/dev" + QByteArray::number(next() % 100) +
                       "/data\",0," + QByteArray::number(payload.size()) + ",\"" + payload + '"';
                break;
            }
            }
        }
        burst.bytes += line;
        burst.bytes += '\n'; // the module's front end turns this into CR LF
        burst.lastLine = QString::fromLatin1(line);
    }
    burst.lines = lineCount;
    return burst;
}

// Runs the event loop until done() holds or the time is up.
template <class Done> bool runUntil(Done done, int timeoutMs, int pollMs = 5)
{
    QElapsedTimer clock;
    clock.start();
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done() || clock.elapsed() > timeoutMs)
            loop.quit();
    });
    poll.start(pollMs);
    if (!done())
        loop.exec();
    return done();
}

const char *verdict(bool met)
{
    return met ? "meets target" : "MISSES TARGET";
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("atlume-bench"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Measures the pause of send_order and the console's receive path."));
    parser.addHelpOption();
    const QCommandLineOption linesOption(QStringLiteral("lines"),
                                         QStringLiteral("Lines the module sends (default 200000)."),
                                         QStringLiteral("n"), QStringLiteral("200000"));
    const QCommandLineOption pausesOption(QStringLiteral("pauses"),
                                          QStringLiteral("Pauses to measure (default 5)."),
                                          QStringLiteral("n"), QStringLiteral("5"));
    parser.addOptions({linesOption, pausesOption});
    parser.process(app);
    const int lineCount = qMax(1, parser.value(linesOption).toInt());
    const int pauseCount = qMax(1, parser.value(pausesOption).toInt());

    // The window makes ./conf/portConf/ and saves the port's file on close:
    // keep all of that out of the caller's directory.
    QTemporaryDir work;
    if (!work.isValid() || !QDir::setCurrent(work.path()) ||
        !QDir().mkpath(QStringLiteral("conf"))) {
        std::fprintf(stderr, "atlume-bench: cannot make a working directory\n");
        return 1;
    }

    // The module's front end sends every line of its standard input. That
    // input is a FIFO which this process keeps open (read-write, so opening
    // it never blocks) but never writes: a separate "cat" fills it, and the
    // cost of feeding the module stays out of this process's figures.
    const QString fifoPath = work.filePath(QStringLiteral("module-input"));
    const QByteArray fifoName = QFile::encodeName(fifoPath);
    const int fifoHold = ::mkfifo(fifoName.constData(), 0600) == 0
                             ? ::open(fifoName.constData(), O_RDWR | O_CLOEXEC)
                             : -1;
    if (fifoHold == -1) {
        std::perror("atlume-bench: cannot make the module's input FIFO");
        return 1;
    }

    QProcess module;
    module.setProgram(QCoreApplication::applicationDirPath() +
                      QStringLiteral("/atlume-fakemodule"));
    module.setStandardInputFile(fifoPath);
    module.setStandardErrorFile(QProcess::nullDevice());
    module.start();
    if (!module.waitForStarted(kStartTimeoutMs) ||
        !runUntil([&] { return module.canReadLine(); }, kStartTimeoutMs)) {
        std::fprintf(stderr, "atlume-bench: cannot start %s\n", qPrintable(module.program()));
        return 1;
    }
    const QString ptyPath = QString::fromLocal8Bit(module.readLine()).trimmed();
    atlume::setPortLister([ptyPath] { return QStringList{ptyPath}; });

    MainWindow window;
    window.show();
    auto *ports = widget<QListWidget>(window, "portListWidget");
    const auto items = ports->findItems(ptyPath, Qt::MatchExactly);
    if (items.isEmpty()) {
        std::fprintf(stderr, "atlume-bench: %s is not in the port list\n", qPrintable(ptyPath));
        return 1;
    }
    ports->setCurrentItem(items.first());
    // Opens the port and sends the two status queries, pausing after each.
    widget<QPushButton>(window, "connectBtn")->click();
    auto *serialPort = window.findChild<QSerialPort *>();
    if (!serialPort || !serialPort->isOpen()) {
        std::fprintf(stderr, "atlume-bench: the window did not open %s\n", qPrintable(ptyPath));
        return 1;
    }

    std::printf("atlume-bench: MainWindow on %s, platform %s; the module is a child process\n"
                "(atlume-fakemodule), so its CPU is not counted below.\n\n",
                qPrintable(ptyPath), qPrintable(QGuiApplication::platformName()));

    // 1. The pause.
    double pauseCpuMax = 0;
    double pauseCpuSum = 0;
    qint64 pauseWallMin = -1;
    qint64 pauseWallMax = 0;
    for (int i = 0; i < pauseCount; ++i) {
        QElapsedTimer wall;
        const double cpuBefore = processCpuSeconds();
        wall.start();
        window.send_order(QStringLiteral("AT"));
        const qint64 wallMs = wall.elapsed();
        const double cpu = processCpuSeconds() - cpuBefore;
        pauseCpuSum += cpu;
        pauseCpuMax = qMax(pauseCpuMax, cpu);
        pauseWallMin = pauseWallMin < 0 ? wallMs : qMin(pauseWallMin, wallMs);
        pauseWallMax = qMax(pauseWallMax, wallMs);
    }
    std::printf("send_order pause (%d pauses, each sends \"AT\" and reads the echo and OK):\n",
                pauseCount);
    std::printf("  CPU per pause      %8.4f s mean, %.4f s max   (target < %.2f s: %s)\n",
                pauseCpuSum / pauseCount, pauseCpuMax, kPauseCpuLimitS,
                verdict(pauseCpuMax < kPauseCpuLimitS));
    std::printf("  wall per pause     %8lld ms min, %lld ms max  (at least %lld ms: %s)\n\n",
                static_cast<long long>(pauseWallMin), static_cast<long long>(pauseWallMax),
                static_cast<long long>(kPauseMinimumMs), verdict(pauseWallMin >= kPauseMinimumMs));

    // 2. A burst of module output.
    const Burst burst = makeBurst(lineCount);
    const QString burstPath = work.filePath(QStringLiteral("burst.txt"));
    {
        QFile burstFile(burstPath);
        if (!burstFile.open(QIODevice::WriteOnly) ||
            burstFile.write(burst.bytes) != burst.bytes.size()) {
            std::fprintf(stderr, "atlume-bench: cannot write %s\n", qPrintable(burstPath));
            return 1;
        }
    }
    QProcess feeder;
    feeder.setProgram(QStringLiteral("cat"));
    feeder.setArguments({burstPath});
    feeder.setStandardOutputFile(fifoPath, QIODevice::Append);
    QTextDocument *console = widget<QTextBrowser>(window, "textBrowser")->document();
    // Every line shown ends in CR LF, which adds exactly one block.
    const int blocksWanted = console->blockCount() + burst.lines;
    int signalCount = 0;
    QObject::connect(&window, &MainWindow::device_return_signal, [&signalCount] { ++signalCount; });
    int reads = 0;
    QObject::connect(serialPort, &QSerialPort::readyRead, [&reads] { ++reads; });
    QEventLoop burstLoop;
    QObject::connect(console, &QTextDocument::blockCountChanged, &burstLoop, [&](int blocks) {
        if (blocks >= blocksWanted)
            burstLoop.quit();
    });
    QTimer::singleShot(kBurstTimeoutMs, &burstLoop, &QEventLoop::quit);

    const qint64 rssBefore = residentBytes();
    const double cpuBefore = processCpuSeconds();
    const double moduleCpuBefore = childCpuSeconds(module.processId());
    QElapsedTimer wall;
    wall.start();
    feeder.start();
    if (console->blockCount() < blocksWanted)
        burstLoop.exec();
    const qint64 wallMs = wall.elapsed();
    const double cpu = processCpuSeconds() - cpuBefore;
    const qint64 rssAfter = residentBytes();
    const double moduleCpu = childCpuSeconds(module.processId()) - moduleCpuBefore;

    const int shown = console->blockCount() - (blocksWanted - burst.lines);
    // The last block is the empty one after the final CR LF.
    const QString lastShown = console->lastBlock().previous().text();
    const bool complete = shown == burst.lines && lastShown == burst.lastLine;
    const double seconds = qMax<qint64>(wallMs, 1) / 1000.0;
    const double linesPerSecond = shown / seconds;
    const double cpuPerLineUs = cpu * 1e6 / qMax(shown, 1);
    const double bytesPerLine = double(rssAfter - rssBefore) / qMax(shown, 1);

    std::printf("module output into the console (%d lines, %d bytes, %d recognised replies):\n",
                burst.lines, int(burst.bytes.size() + burst.lines), burst.recognised);
    std::printf("  lines shown        %8d  in %lld reads (%.0f lines per read), %d signals%s\n",
                shown, static_cast<long long>(reads), double(shown) / qMax(reads, 1), signalCount,
                complete && signalCount == burst.recognised ? "" : "  INCOMPLETE");
    std::printf("  end to end         %8.0f lines/s in %.2f s   (target >= %.0f: %s)\n",
                linesPerSecond, seconds, kLinesPerSecondTarget,
                verdict(linesPerSecond >= kLinesPerSecondTarget));
    std::printf("  CPU per line       %8.2f us (%.2f s in all)  (target <= %.0f us: %s)\n",
                cpuPerLineUs, cpu, kCpuPerLineLimitUs, verdict(cpuPerLineUs <= kCpuPerLineLimitUs));
    std::printf("  memory per line    %8.0f bytes of RSS growth  (target <= %.0f: %s)\n",
                bytesPerLine, kBytesPerLineLimit, verdict(bytesPerLine <= kBytesPerLineLimit));
    std::printf("  module process CPU %8.2f s (not counted above)\n", moduleCpu);
    std::printf("  peak RSS           %8.1f MiB\n", peakRssKiB() / 1024.0);

    serialPort->close();
    feeder.waitForFinished(kStartTimeoutMs);
    module.terminate();
    module.waitForFinished(kStartTimeoutMs);
    ::close(fifoHold);
    atlume::setPortLister({});
    return complete && signalCount == burst.recognised ? 0 : 1;
}
