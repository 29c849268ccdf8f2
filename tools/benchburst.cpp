// The default mode of atlume-bench. A real MainWindow opens the simulated
// module's pseudo-terminal; the module runs as a child process and "cat"
// feeds it the burst through a FIFO, so the CPU figures below are the
// window's own: the reads, the console, the recogniser and the painting.
//
//   1. CPU and wall time of send_order's one-second pause;
//   2. a burst of module output shown in the console: lines per second end to
//      end, CPU microseconds per line, peak memory and memory per line.

#include "benchmodes.h"
#include "benchstream.h"
#include "benchsupport.h"
#include "mainwindow.h"
#include "portenumerator.h"

#include <QFile>
#include <QSerialPort>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QThread>

namespace atlume::bench {

namespace {

// What the figures are held against.
constexpr double kPauseCpuLimitS = 0.05;
constexpr qint64 kPauseMinimumMs = 1000;
constexpr double kLinesPerSecondTarget = 60000;
constexpr double kCpuPerLineLimitUs = 15;
constexpr double kBytesPerLineLimit = 700;

constexpr int kBurstTimeoutMs = 120000;

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
    BurstLines lines;
    for (int i = 0; i < lineCount; ++i) {
        const QByteArray line = lines.next();
        burst.recognised += lines.recognised() ? 1 : 0;
        burst.bytes += line;
        burst.bytes += '\n'; // the module's front end turns this into CR LF
        burst.lastLine = QString::fromLatin1(line);
    }
    burst.lines = lineCount;
    return burst;
}

void measurePauses(MainWindow &window, int pauseCount)
{
    double cpuMax = 0;
    double cpuSum = 0;
    qint64 wallMin = -1;
    qint64 wallMax = 0;
    for (int i = 0; i < pauseCount; ++i) {
        QElapsedTimer wall;
        const double cpuBefore = processCpuSeconds();
        wall.start();
        window.send_order(QStringLiteral("AT"));
        const qint64 wallMs = wall.elapsed();
        const double cpu = processCpuSeconds() - cpuBefore;
        cpuSum += cpu;
        cpuMax = qMax(cpuMax, cpu);
        wallMin = wallMin < 0 ? wallMs : qMin(wallMin, wallMs);
        wallMax = qMax(wallMax, wallMs);
    }
    std::printf("send_order pause (%d pauses, each sends \"AT\" and reads the echo and OK):\n",
                pauseCount);
    std::printf("  CPU per pause      %8.4f s mean, %.4f s max   (target < %.2f s: %s)\n",
                cpuSum / pauseCount, cpuMax, kPauseCpuLimitS, verdict(cpuMax < kPauseCpuLimitS));
    std::printf("  wall per pause     %8lld ms min, %lld ms max  (at least %lld ms: %s)\n\n",
                static_cast<long long>(wallMin), static_cast<long long>(wallMax),
                static_cast<long long>(kPauseMinimumMs), verdict(wallMin >= kPauseMinimumMs));
}

struct BurstResult {
    qint64 handled = 0;
    qint64 wallMs = 0;
    double cpu = 0;
    qint64 rssGrowth = 0;
    double moduleCpu = 0;
    int reads = 0;
    int signalCount = 0;
    QString lastShown;
};

// Feeds the burst and runs the event loop until the console has taken in
// every line (or the time is up).
BurstResult pushBurst(MainWindow &window, QSerialPort &port, const ModuleProcess &module,
                      const QString &burstPath, int lineCount, pid_t &feeder)
{
    BurstResult result;
    auto *console = widget<QTextBrowser>(window, "textBrowser");
    const qint64 before = consoleLinesHandled(console);
    QObject::connect(&window, &MainWindow::device_return_signal, [&] { ++result.signalCount; });
    QEventLoop loop;
    QObject::connect(&port, &QSerialPort::readyRead, &loop, [&] {
        ++result.reads;
        if (consoleLinesHandled(console) - before >= lineCount)
            loop.quit();
    });
    QTimer::singleShot(kBurstTimeoutMs, &loop, &QEventLoop::quit);

    const qint64 rssBefore = residentBytes();
    const double cpuBefore = processCpuSeconds();
    const double moduleCpuBefore = module.cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    feeder = module.spawnFeeder(QStringLiteral("/bin/cat"), {burstPath});
    if (feeder > 0)
        loop.exec();
    result.wallMs = wall.elapsed();
    result.cpu = processCpuSeconds() - cpuBefore;
    result.rssGrowth = residentBytes() - rssBefore;
    result.moduleCpu = module.cpuSeconds() - moduleCpuBefore;
    result.handled = consoleLinesHandled(console) - before;
    // The last block is the empty one after the final CR LF.
    result.lastShown = console->document()->lastBlock().previous().text();
    return result;
}

bool reportBurst(const Burst &burst, const BurstResult &result)
{
    const bool complete = result.handled == burst.lines && result.lastShown == burst.lastLine &&
                          result.signalCount == burst.recognised;
    const double seconds = double(qMax<qint64>(result.wallMs, 1)) / kMsPerSecond;
    const double linesPerSecond = double(result.handled) / seconds;
    const double cpuPerLineUs = result.cpu * kUsPerSecond / double(qMax<qint64>(result.handled, 1));
    const double bytesPerLine = double(result.rssGrowth) / double(qMax<qint64>(result.handled, 1));

    std::printf("module output into the console (%d lines, %d bytes, %d recognised replies):\n",
                burst.lines, int(burst.bytes.size() + burst.lines), burst.recognised);
    std::printf("  lines handled      %8lld  in %d reads (%.0f lines per read), %d signals%s\n",
                static_cast<long long>(result.handled), result.reads,
                double(result.handled) / qMax(result.reads, 1), result.signalCount,
                complete ? "" : "  INCOMPLETE");
    std::printf("  end to end         %8.0f lines/s in %.2f s   (target >= %.0f: %s)\n",
                linesPerSecond, seconds, kLinesPerSecondTarget,
                verdict(linesPerSecond >= kLinesPerSecondTarget));
    std::printf("  CPU per line       %8.2f us (%.2f s in all)  (target <= %.0f us: %s)\n",
                cpuPerLineUs, result.cpu, kCpuPerLineLimitUs,
                verdict(cpuPerLineUs <= kCpuPerLineLimitUs));
    std::printf("  memory per line    %8.0f bytes of RSS growth  (target <= %.0f: %s)\n",
                bytesPerLine, kBytesPerLineLimit, verdict(bytesPerLine <= kBytesPerLineLimit));
    std::printf("  module process CPU %8.2f s (not counted above)\n", result.moduleCpu);
    std::printf("  peak RSS           %8.1f MiB\n", double(peakRssKiB()) / kBytesPerKiB);
    std::printf("  load average       %8.1f on %d cores\n", loadAverage(),
                QThread::idealThreadCount());
    return complete;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size())
        return true;
    std::fprintf(stderr, "atlume-bench: cannot write %s\n", qPrintable(path));
    return false;
}

} // namespace

int runPauseAndBurst(int lineCount, int pauseCount)
{
    WorkDir work;
    ModuleProcess module(work.filePath(QStringLiteral("module-input")));
    if (!work.isValid() || !module.start({}))
        return 1;
    const QString ptyPath = module.ptyPath();
    atlume::setPortLister([ptyPath] { return QStringList{ptyPath}; });

    MainWindow window;
    window.show();
    QSerialPort *port = openPort(window, ptyPath);
    if (!port)
        return 1;
    std::printf("atlume-bench: MainWindow on %s, platform %s; the module is a child process\n"
                "(atlume-sim), so its CPU is not counted below.\n\n",
                qPrintable(ptyPath), qPrintable(QGuiApplication::platformName()));

    measurePauses(window, pauseCount);

    const Burst burst = makeBurst(lineCount);
    const QString burstPath = work.filePath(QStringLiteral("burst.txt"));
    if (!writeFile(burstPath, burst.bytes))
        return 1;
    pid_t feeder = -1;
    const bool complete =
        reportBurst(burst, pushBurst(window, *port, module, burstPath, lineCount, feeder));

    port->close();
    waitForChild(feeder);
    atlume::setPortLister({});
    return complete ? 0 : 1;
}

} // namespace atlume::bench
