// The default mode of atlume-bench. A real MainWindow opens the simulated
// module's pseudo-terminal; the module runs as a child process and "cat"
// feeds it the burst through a FIFO, so the CPU figures below are the
// window's own: the reads, the console, the recogniser and the painting.
//
//   1. CPU and wall time of send_order's one-second pause;
//   2. a burst of module output shown in the console: lines per second end to
//      end, CPU microseconds per line, peak memory and memory per line.
//
// --console-extras pushes the same burst again and again through one window,
// in turn plain, with timestamps and a log file, and with the view held by a
// selection, and compares them.

#include "benchmodes.h"
#include "benchreference.h"
#include "benchstream.h"
#include "benchsupport.h"
#include "commandbox.h"
#include "console.h"
#include "mainwindow.h"
#include "transferstats.h"

#include <QFile>
#include <QPlainTextEdit>
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
    double screenDelayMs = 0;
    double typicalScreenDelayMs = 0;
};

// Feeds the burst and runs the event loop until the console has taken in
// every line (or the time is up).
BurstResult pushBurst(MainWindow &window, QSerialPort &port, const ModuleProcess &module,
                      const QString &burstPath, int lineCount, pid_t &feeder)
{
    BurstResult result;
    auto *console = widget<QTextBrowser>(window, "textBrowser");
    const qint64 before = consoleLinesHandled(console);
    QObject counting;
    QObject::connect(&window, &MainWindow::device_return_signal, &counting,
                     [&] { ++result.signalCount; });
    QObject::connect(&port, &QSerialPort::readyRead, &counting, [&] { ++result.reads; });

    const qint64 rssBefore = residentBytes();
    const double cpuBefore = processCpuSeconds();
    const double moduleCpuBefore = module.cpuSeconds();
    ScreenDelay screenDelay(console, &port);
    QElapsedTimer wall;
    wall.start();
    feeder = module.spawnFeeder(QStringLiteral("/bin/cat"), {burstPath});
    if (feeder > 0) {
        waitFor([&] { return consoleLinesHandled(console) - before >= lineCount; }, kBurstTimeoutMs,
                &port, &QSerialPort::readyRead);
    }
    result.wallMs = wall.elapsed();
    result.screenDelayMs = screenDelay.longestMs();
    result.typicalScreenDelayMs = screenDelay.typicalMs();
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
    printScreenDelay(result.screenDelayMs, result.typicalScreenDelayMs);
    std::printf("  module process CPU %8.2f s (not counted above)\n", result.moduleCpu);
    std::printf("  peak RSS           %8.1f MiB\n", double(peakRssKiB()) / kBytesPerKiB);
    std::printf("  load average       %8.1f on %d cores\n", loadAverage(),
                QThread::idealThreadCount());
    return complete;
}

// What --console-extras compares.
constexpr double kExtrasRateShareTarget = 0.9;
constexpr double kSendSideRateShareTarget = 0.95;
constexpr double kExtrasCpuLimitUs = 1.5;
constexpr double kFindStepLimitMs = 100;
constexpr double kNsPerMs = 1e6;
constexpr int kStampLength = 15; // "[HH:mm:ss.zzz] "

struct Variant {
    const char *name;
    bool extras;    // timestamps shown and every line logged
    bool following; // false: a selection holds the view
    bool sendSide;  // the echo of what is sent and the byte counts shown
    double linesPerSecond = 0;
    double cpuPerLineUs = 0;
    int runs = 0;
    bool complete = true;
};

// Whether the log holds exactly the burst's lines, each after its timestamp.
bool logHoldsBurst(const QString &path, int lineCount)
{
    QFile log(path);
    if (!log.open(QIODevice::ReadOnly))
        return false;
    BurstLines lines;
    int count = 0;
    while (!log.atEnd()) {
        const QByteArray line = log.readLine();
        if (++count > lineCount || line.size() < kStampLength + 1 || line.at(0) != '[' ||
            line.mid(kStampLength, line.size() - kStampLength - 1) != lines.next())
            return false;
    }
    return count == lineCount;
}

void runVariant(Variant &variant, MainWindow &window, QSerialPort &port,
                const ModuleProcess &module, const QString &burstPath, const Burst &burst,
                const QString &logPath)
{
    auto *view = widget<QTextBrowser>(window, "textBrowser");
    auto *console = window.findChild<Console *>();
    view->clear();
    console->followEnd();
    if (!variant.following) {
        // The user's selection, in a line of its own above the burst.
        console->appendParagraph(QStringLiteral("held\n"));
        QTextCursor selection(view->document());
        selection.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        view->setTextCursor(selection);
    }
    if (variant.extras) {
        console->setTimestampsShown(true);
        QFile::remove(logPath);
        console->startLog(logPath);
    }
    auto *box = widget<QPlainTextEdit>(window, "orderPlainTextEdit")->findChild<CommandBox *>();
    auto *stats = window.findChild<TransferStats *>();
    box->setShowsSent(variant.sendSide);
    stats->setShown(variant.sendSide);
    pid_t feeder = -1;
    const BurstResult result = pushBurst(window, port, module, burstPath, burst.lines, feeder);
    waitForChild(feeder);
    bool complete = result.handled == burst.lines && result.lastShown.endsWith(burst.lastLine) &&
                    result.signalCount == burst.recognised &&
                    console->isFollowing() == variant.following;
    // The counts shown are those of the burst, to the byte.
    if (variant.sendSide)
        complete = stats->received() >= burst.bytes.size() && complete;
    box->setShowsSent(false);
    stats->setShown(false);
    if (variant.extras) {
        console->stopLog();
        console->setTimestampsShown(false);
        complete = logHoldsBurst(logPath, burst.lines) && complete;
    }
    const double seconds = double(qMax<qint64>(result.wallMs, 1)) / kMsPerSecond;
    variant.linesPerSecond += double(result.handled) / seconds;
    variant.cpuPerLineUs += result.cpu * kUsPerSecond / double(qMax<qint64>(result.handled, 1));
    ++variant.runs;
    variant.complete = variant.complete && complete;
}

} // namespace

int runConsoleExtras(int lineCount, int rounds)
{
    UserChoices benchChoices;
    ModuleRig rig;
    if (!rig.open({}))
        return 1;
    MainWindow &window = rig.window();
    QSerialPort *port = &rig.port();
    const ModuleProcess &module = rig.module();
    // The bench's choice only, never the user's settings file.
    window.findChild<Console *>()->useChoices(&benchChoices);

    const Burst burst = makeBurst(lineCount);
    const QString burstPath = rig.filePath(QStringLiteral("burst.txt"));
    if (!writeFile(burstPath, burst.bytes))
        return 1;
    Variant variants[] = {{"plain, following the end", false, true, false},
                          {"timestamps and log file on", true, true, false},
                          {"plain, view held by a selection", false, false, false},
                          {"echo of sends and byte counts on", false, true, true}};
    // Taken in turns, so that the machine's load weighs on each alike.
    for (int round = 0; round < rounds; ++round) {
        for (Variant &variant : variants)
            runVariant(variant, window, *port, module, burstPath, burst,
                       rig.filePath(QStringLiteral("extras.log")));
    }
    // One step of find that finds nothing: the whole console searched, twice
    // over as it wraps around.
    auto *console = window.findChild<Console *>();
    const int shownLines = widget<QTextBrowser>(window, "textBrowser")->document()->blockCount();
    QElapsedTimer findTime;
    findTime.start();
    const bool found = console->find(QStringLiteral("no such text in the console"));
    const double findMs = double(findTime.nsecsElapsed()) / kNsPerMs;
    port->close();

    std::printf("atlume-bench --console-extras: %d lines a burst, %d rounds, each variant in "
                "turn;\nload average %.1f on %d cores at the end.\n\n",
                lineCount, rounds, loadAverage(), QThread::idealThreadCount());
    bool complete = true;
    for (Variant &variant : variants) {
        variant.linesPerSecond /= variant.runs;
        variant.cpuPerLineUs /= variant.runs;
        complete = complete && variant.complete;
        std::printf("  %-34s %8.0f lines/s  %6.2f us CPU a line%s\n", variant.name,
                    variant.linesPerSecond, variant.cpuPerLineUs,
                    variant.complete ? "" : "  INCOMPLETE");
    }
    const Variant &plain = variants[0];
    const Variant &extras = variants[1];
    const Variant &held = variants[2];
    const Variant &sendSide = variants[3];
    const double share = extras.linesPerSecond / plain.linesPerSecond;
    const double extraCpu = extras.cpuPerLineUs - plain.cpuPerLineUs;
    std::printf("\n  with both on      %6.2f x the lines/s  (target >= %.1f: %s)\n", share,
                kExtrasRateShareTarget, verdict(share >= kExtrasRateShareTarget));
    std::printf("  with both on      %+6.2f us CPU a line  (target <= +%.1f: %s)\n", extraCpu,
                kExtrasCpuLimitUs, verdict(extraCpu <= kExtrasCpuLimitUs));
    const double sendSideShare = sendSide.linesPerSecond / plain.linesPerSecond;
    std::printf("  echo and counts   %6.2f x the lines/s, %+.2f us CPU a line  (target >= %.2f: "
                "%s)\n",
                sendSideShare, sendSide.cpuPerLineUs - plain.cpuPerLineUs, kSendSideRateShareTarget,
                verdict(sendSideShare >= kSendSideRateShareTarget));
    std::printf("  not following     %6.2f x the lines/s, %+.2f us CPU a line\n",
                held.linesPerSecond / plain.linesPerSecond, held.cpuPerLineUs - plain.cpuPerLineUs);
    std::printf("  find, no match    %6.1f ms over %d lines  (target <= %.0f ms: %s)\n", findMs,
                shownLines, kFindStepLimitMs, verdict(!found && findMs <= kFindStepLimitMs));
    std::printf("  log file          %s\n",
                extras.complete ? "held exactly the lines sent, each run" : "NOT AS SENT");
    return complete ? 0 : 1;
}

int runPauseAndBurst(int lineCount, int pauseCount)
{
    ModuleRig rig;
    if (!rig.open({}))
        return 1;
    MainWindow &window = rig.window();
    QSerialPort *port = &rig.port();
    std::printf("atlume-bench: MainWindow on %s, platform %s; the module is a child process\n"
                "(atlume-sim), so its CPU is not counted below.\n\n",
                qPrintable(rig.module().ptyPath()), qPrintable(QGuiApplication::platformName()));

    measurePauses(window, pauseCount);

    const Burst burst = makeBurst(lineCount);
    const QString burstPath = rig.filePath(QStringLiteral("burst.txt"));
    if (!writeFile(burstPath, burst.bytes))
        return 1;
    pid_t feeder = -1;
    const ModuleProcess &module = rig.module();
    const BurstResult result = pushBurst(window, *port, module, burstPath, lineCount, feeder);
    const bool complete = reportBurst(burst, result);
    reportViewTimes(window);

    port->close();
    waitForChild(feeder);
    const ReferenceRun reference =
        runReference(module, QStringLiteral("/bin/cat"), {burstPath}, lineCount,
                     widget<QTextBrowser>(window, "textBrowser")->size());
    const double seconds = double(qMax<qint64>(result.wallMs, 1)) / kMsPerSecond;
    std::printf("the same burst, against the reference:\n");
    printAgainstReference(double(result.handled) / seconds,
                          result.cpu * kUsPerSecond / double(qMax<qint64>(result.handled, 1)),
                          reference);
    return complete ? 0 : 1;
}

} // namespace atlume::bench
