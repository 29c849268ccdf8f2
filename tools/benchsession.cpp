// The long session of atlume-bench: millions of lines through the real window.
// The module runs as a child process in raw mode, and a second child (the
// bench's own generator) streams each phase into the module's input FIFO, so
// that neither making nor sending the bytes is counted as the window's CPU
// and nothing of the session is ever written to disk.

#include "benchmodes.h"
#include "benchreference.h"
#include "benchstream.h"
#include "benchsupport.h"
#include "console.h"
#include "mainwindow.h"

#include <QFile>
#include <QSerialPort>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QThread>
#include <QVector>

namespace atlume::bench {

namespace {

// What the figures are held against.
constexpr double kRateRatioTarget = 0.9;
constexpr double kShortCpuPerLineLimitUs = 12;
constexpr double kPeakRssLimitMB = 200;
constexpr double kStallLimitMs = 150;

constexpr qint64 kRateWindowLines = 1000000;
// A short session still compares its first fifth with its last.
constexpr qint64 kRateWindowShare = 5;
constexpr qint64 kLongLineCount = 30000;
constexpr qint64 kLoneLfBytes = 64 * 1024 * 1024;

// Fine enough to see a stall of a few milliseconds, coarse enough that its
// own cost stays far below a percent of the window's.
constexpr int kProbeIntervalMs = 5;
constexpr int kWatchdogIntervalMs = 1000;
constexpr int kNoProgressTimeoutMs = 60000;
constexpr double kNsPerSecond = 1e9;
constexpr double kNsPerMs = 1e6;

struct PhasePlan {
    Phase phase;
    qint64 size; // lines, or bytes of LoneLf
};

// How far a phase had got, and when.
struct Mark {
    qint64 lines = -1;
    qint64 ns = 0;
    double cpuS = 0; // of this process
    bool isSet() const { return lines >= 0; }
};

// One stretch of a phase: whether a slower end is the window's own doing
// (more CPU a line) or the machine's (the same CPU, less of it to go round).
struct Stretch {
    double linesPerSecond;
    double cpuPerLineUs;
};

double linesPerSecond(const Mark &from, const Mark &to)
{
    if (!from.isSet() || !to.isSet() || to.ns <= from.ns)
        return -1;
    return double(to.lines - from.lines) * kNsPerSecond / double(to.ns - from.ns);
}

// Watches one phase from inside the window's process: how fast its lines
// arrive at the start and at the end, and how long the event loop was ever
// kept from a timer that should fire every few milliseconds.
class PhaseMeter {
public:
    explicit PhaseMeter(qint64 totalLines)
        : total(totalLines), window(qMin(kRateWindowLines, totalLines / kRateWindowShare))
    {
        probeTimer.setTimerType(Qt::PreciseTimer);
        probeTimer.setInterval(kProbeIntervalMs);
        QObject::connect(&probeTimer, &QTimer::timeout, [this] { probe(); });
    }

    void start()
    {
        clock.start();
        lastProbeNs = 0;
        probeTimer.start();
    }
    void stop()
    {
        probe();
        probeTimer.stop();
    }
    void recordProgress(qint64 lines);

    qint64 rateWindow() const { return window; }
    double firstRate() const { return linesPerSecond(firstRead, firstWindowEnd); }
    double lastRate() const { return linesPerSecond(lastWindowStart, end); }
    double longestGapMs() const { return double(longestGap) / kNsPerMs; }
    // From the first read to the end, a window's worth of lines at a time.
    QVector<Stretch> stretches() const;

private:
    void probe()
    {
        const qint64 now = clock.nsecsElapsed();
        longestGap = qMax(longestGap, now - lastProbeNs);
        lastProbeNs = now;
    }

    qint64 total;
    qint64 window;
    QElapsedTimer clock;
    QTimer probeTimer;
    qint64 lastProbeNs = 0;
    qint64 longestGap = 0;
    Mark firstRead;
    Mark firstWindowEnd;
    Mark lastWindowStart;
    Mark end;
    QVector<Mark> steps;
};

void PhaseMeter::recordProgress(qint64 lines)
{
    const Mark now{lines, clock.nsecsElapsed(), processCpuSeconds()};
    if (!firstRead.isSet() && lines > 0)
        firstRead = now;
    if (!firstWindowEnd.isSet() && window > 0 && lines >= window)
        firstWindowEnd = now;
    if (!lastWindowStart.isSet() && window > 0 && lines >= total - window)
        lastWindowStart = now;
    if (!end.isSet() && lines >= total)
        end = now;
    const qint64 nextStep = steps.isEmpty() ? 1 : steps.size() * window;
    if (window > 0 && lines >= nextStep && (lines >= total || steps.size() * window < total))
        steps.append(now);
}

QVector<Stretch> PhaseMeter::stretches() const
{
    QVector<Stretch> result;
    for (int i = 1; i < steps.size(); ++i) {
        const qint64 lines = qMax<qint64>(steps[i].lines - steps[i - 1].lines, 1);
        result.append({linesPerSecond(steps[i - 1], steps[i]),
                       (steps[i].cpuS - steps[i - 1].cpuS) * kUsPerSecond / double(lines)});
    }
    return result;
}

struct PhaseResult {
    StreamSummary expected;
    qint64 handled = 0;
    int signalCount = 0;
    QString lastShown;
    double wallS = 0;
    double cpuS = 0;
    double moduleCpuS = 0;
    double generatorCpuS = 0;
    double firstRate = -1;
    double lastRate = -1;
    qint64 rateWindow = 0;
    QVector<Stretch> stretches;
    double longestGapMs = 0;
    double screenDelayMs = 0;
    double typicalScreenDelayMs = 0;
    double longestEventMs = 0;
    double longestEventCpuMs = 0;
    double loadAverage = 0;
    QString longestEventName;
    double peakRssMB = 0;

    bool complete() const
    {
        return handled == expected.consoleLines && lastShown == expected.lastLine &&
               signalCount == expected.recognised;
    }
    double cpuPerLineUs() const { return cpuS * kUsPerSecond / double(qMax<qint64>(handled, 1)); }
};

// The window and its module, for the length of the session.
struct Rig {
    TimedApplication &app;
    MainWindow &window;
    QSerialPort &port;
    const ModuleProcess &module;
};

// The bench itself, as a child process that writes the phase's stream.
QStringList generatorArguments(const PhasePlan &plan)
{
    return {QStringLiteral("--generate"), QString::fromLatin1(phaseName(plan.phase)),
            QString::number(plan.size)};
}

// Runs the event loop until the console has taken in lines (or nothing has
// arrived for a minute); returns the lines it took in.
qint64 takeIn(Rig &rig, qint64 lines, PhaseMeter &meter, const PhasePlan &plan, pid_t &generator)
{
    auto *console = widget<QTextBrowser>(rig.window, "textBrowser");
    const qint64 before = consoleLinesHandled(console);
    qint64 handled = 0;
    QEventLoop loop;
    // Connected after the window's own slot, so this sees each read shown.
    QObject::connect(&rig.port, &QSerialPort::readyRead, &loop, [&] {
        handled = consoleLinesHandled(console) - before;
        meter.recordProgress(handled);
        if (handled >= lines)
            loop.quit();
    });
    QTimer watchdog;
    qint64 seen = 0;
    int idleMs = 0;
    QObject::connect(&watchdog, &QTimer::timeout, &loop, [&] {
        idleMs = handled == seen ? idleMs + kWatchdogIntervalMs : 0;
        seen = handled;
        if (idleMs >= kNoProgressTimeoutMs)
            loop.quit();
    });
    watchdog.start(kWatchdogIntervalMs);
    meter.start();
    generator =
        rig.module.spawnFeeder(QCoreApplication::applicationFilePath(), generatorArguments(plan));
    if (generator > 0)
        loop.exec();
    meter.stop();
    return handled;
}

void takeMeterFigures(PhaseResult &result, const PhaseMeter &meter)
{
    result.firstRate = meter.firstRate();
    result.lastRate = meter.lastRate();
    result.rateWindow = meter.rateWindow();
    result.stretches = meter.stretches();
    result.longestGapMs = meter.longestGapMs();
}

PhaseResult runPhase(Rig &rig, const PhasePlan &plan)
{
    PhaseResult result;
    // Known before the clocks start: what must arrive.
    result.expected = PhaseStream::summarise(plan.phase, plan.size);

    pid_t generator = -1;
    QObject signalScope;
    QObject::connect(&rig.window, &MainWindow::device_return_signal, &signalScope,
                     [&result] { ++result.signalCount; });
    PhaseMeter meter(result.expected.consoleLines);

    const double cpuBefore = processCpuSeconds();
    const double moduleCpuBefore = rig.module.cpuSeconds();
    // The generator's CPU counts once it has been waited for, after the phase.
    const double childrenBefore = childrenCpuSeconds();
    rig.app.resetLongestEvent();
    QElapsedTimer wall;
    wall.start();
    ScreenDelay screenDelay(widget<QTextBrowser>(rig.window, "textBrowser"), &rig.port);
    result.handled = takeIn(rig, result.expected.consoleLines, meter, plan, generator);
    result.screenDelayMs = screenDelay.longestMs();
    result.typicalScreenDelayMs = screenDelay.typicalMs();
    result.wallS = double(wall.nsecsElapsed()) / kNsPerSecond;
    result.cpuS = processCpuSeconds() - cpuBefore;
    result.moduleCpuS = rig.module.cpuSeconds() - moduleCpuBefore;
    result.longestEventMs = double(rig.app.longestEventNs()) / kNsPerMs;
    result.longestEventCpuMs = double(rig.app.longestEventCpuNs()) / kNsPerMs;
    result.loadAverage = loadAverage();
    result.longestEventName = rig.app.longestEventName();
    result.peakRssMB = double(peakRssKiB()) * kBytesPerKiB / kBytesPerMegabyte;

    waitForChild(generator);
    result.generatorCpuS = childrenCpuSeconds() - childrenBefore;

    takeMeterFigures(result, meter);
    const auto *console = widget<QTextBrowser>(rig.window, "textBrowser");
    // The last block is the empty one after the final line end.
    result.lastShown = console->document()->lastBlock().previous().text();
    return result;
}

void printCompleteness(const PhaseResult &result)
{
    std::printf("  lines handled    %10lld of %lld, %d of %lld recognised replies signalled, "
                "last line %s%s\n",
                static_cast<long long>(result.handled),
                static_cast<long long>(result.expected.consoleLines), result.signalCount,
                static_cast<long long>(result.expected.recognised),
                result.lastShown == result.expected.lastLine ? "as sent" : "NOT AS SENT",
                result.complete() ? "" : "  INCOMPLETE");
}

void printStretches(const PhaseResult &result)
{
    std::printf("  by %lld lines   ", static_cast<long long>(result.rateWindow));
    for (const Stretch &stretch : result.stretches)
        std::printf(" %.0f", stretch.linesPerSecond);
    std::printf(" lines/s\n                   ");
    for (const Stretch &stretch : result.stretches)
        std::printf(" %.2f", stretch.cpuPerLineUs);
    std::printf(" us CPU a line\n");
}

void printRates(const PhaseResult &result, bool withTarget)
{
    if (withTarget) {
        const double ratio = result.firstRate > 0 ? result.lastRate / result.firstRate : 0;
        std::printf("  first %lld lines %8.0f lines/s\n", static_cast<long long>(result.rateWindow),
                    result.firstRate);
        std::printf("  last %lld lines  %8.0f lines/s, ratio %.2f  (target >= %.2f: %s)\n",
                    static_cast<long long>(result.rateWindow), result.lastRate, ratio,
                    kRateRatioTarget, verdict(ratio >= kRateRatioTarget));
        printStretches(result);
    }
    std::printf("  end to end       %10.0f lines/s, %.1f MB/s, in %.1f s\n",
                double(result.handled) / result.wallS,
                double(result.expected.bytes) / kBytesPerMegabyte / result.wallS, result.wallS);
}

void printCosts(const PhaseResult &result, bool withTargets)
{
    if (withTargets) {
        std::printf("  CPU per line     %10.2f us (%.1f s in all)  (target <= %.0f us: %s)\n",
                    result.cpuPerLineUs(), result.cpuS, kShortCpuPerLineLimitUs,
                    verdict(result.cpuPerLineUs() <= kShortCpuPerLineLimitUs));
        std::printf("  peak RSS         %10.1f MB  (target <= %.0f MB: %s)\n", result.peakRssMB,
                    kPeakRssLimitMB, verdict(result.peakRssMB <= kPeakRssLimitMB));
    } else {
        std::printf("  CPU per line     %10.2f us (%.1f s in all)\n", result.cpuPerLineUs(),
                    result.cpuS);
        std::printf("  peak RSS         %10.1f MB (of the whole session so far)\n",
                    result.peakRssMB);
    }
    std::printf("  longest stall    %10.1f ms between %d ms probe ticks  (target <= %.0f ms: %s)\n",
                result.longestGapMs, kProbeIntervalMs, kStallLimitMs,
                verdict(result.longestGapMs <= kStallLimitMs));
    printScreenDelay(result.screenDelayMs, result.typicalScreenDelayMs);
    std::printf("  longest event    %10.1f ms (%s), of it %.1f ms on the CPU\n",
                result.longestEventMs, qPrintable(result.longestEventName),
                result.longestEventCpuMs);
    std::printf("  load average     %10.1f on %d cores at the end\n", result.loadAverage,
                QThread::idealThreadCount());
    std::printf("  not counted      %10.1f s CPU of the module, %.1f s of the generator\n\n",
                result.moduleCpuS, result.generatorCpuS);
}

void printTitle(const PhasePlan &plan, const PhaseResult &result)
{
    const double megabytes = double(result.expected.bytes) / kBytesPerMegabyte;
    const auto size = static_cast<long long>(plan.size);
    switch (plan.phase) {
    case Phase::ShortLines:
        std::printf("%lld short lines with CR LF (%.1f MB):\n", size, megabytes);
        break;
    case Phase::LongLines:
        std::printf("%lld lines of 4 KiB with CR LF (%.1f MB):\n", size, megabytes);
        break;
    case Phase::LoneLf:
        std::printf("%.1f MB of text with lone LFs only, cut into 64 KiB pieces by the "
                    "receiver:\n",
                    megabytes);
        break;
    }
}

bool reportPhase(const PhasePlan &plan, const PhaseResult &result)
{
    const bool shortLines = plan.phase == Phase::ShortLines;
    printTitle(plan, result);
    printCompleteness(result);
    printRates(result, shortLines);
    printCosts(result, shortLines);
    return result.complete();
}

void printSessionHeader(const QString &ptyPath)
{
    std::printf(
        "atlume-bench --long-session: MainWindow on %s, platform %s.\n"
        "Counted: this process, i.e. the window's reads, line receiver, recogniser, console,\n"
        "scrollback limiter and painting, plus the bench's %d ms probe timer and event timing.\n"
        "Not counted: the module (atlume-sim --raw) and the generator (atlume-bench\n"
        "--generate), both child processes, shown apart. The bench learns what must arrive by\n"
        "running the generator's code once itself before each phase's clocks start.\n"
        "A line is a paragraph of the console: dropped by its scrollback or still shown.\n\n",
        qPrintable(ptyPath), qPrintable(QGuiApplication::platformName()), kProbeIntervalMs);
}

} // namespace

// Counts the lines of a log file, reading it in large pieces.
qint64 logLineCount(const QString &path)
{
    constexpr qint64 kChunk = 1 << 20;
    QFile log(path);
    if (!log.open(QIODevice::ReadOnly))
        return -1;
    qint64 lines = 0;
    while (!log.atEnd())
        lines += log.read(kChunk).count('\n');
    return lines;
}

int runLongSession(TimedApplication &app, qint64 shortLines, bool logged)
{
    ModuleRig moduleRig;
    if (!moduleRig.open({QStringLiteral("--raw")}))
        return 1;
    MainWindow &window = moduleRig.window();
    printSessionHeader(moduleRig.module().ptyPath());
    const QString logPath = moduleRig.filePath(QStringLiteral("session.log"));
    auto *console = window.findChild<Console *>();
    if (logged && !console->startLog(logPath))
        return 1;

    const PhasePlan plans[] = {
        {Phase::ShortLines, shortLines},
        {Phase::LongLines, kLongLineCount},
        {Phase::LoneLf, kLoneLfBytes},
    };
    Rig rig{app, window, moduleRig.port(), moduleRig.module()};
    bool complete = true;
    qint64 handled = 0;
    PhaseResult shortResult;
    for (const PhasePlan &plan : plans) {
        const PhaseResult result = runPhase(rig, plan);
        handled += result.handled;
        complete = reportPhase(plan, result) && complete;
        if (plan.phase == Phase::ShortLines)
            shortResult = result;
    }
    if (logged) {
        console->stopLog();
        const qint64 inLog = logLineCount(logPath);
        std::printf("log file           %10lld lines of %lld handled: %s\n",
                    static_cast<long long>(inLog), static_cast<long long>(handled),
                    inLog == handled ? "all of them" : "INCOMPLETE");
        complete = complete && inLog == handled;
    }

    reportViewTimes(window);
    moduleRig.port().close();
    // The short lines once more, into the reference.
    const ReferenceRun reference = runReference(
        moduleRig.module(), QCoreApplication::applicationFilePath(), generatorArguments(plans[0]),
        shortResult.expected.consoleLines, widget<QTextBrowser>(window, "textBrowser")->size());
    std::printf("%lld short lines, against the reference:\n", static_cast<long long>(shortLines));
    printAgainstReference(double(shortResult.handled) / shortResult.wallS,
                          shortResult.cpuPerLineUs(), reference);
    return complete ? 0 : 1;
}

} // namespace atlume::bench
