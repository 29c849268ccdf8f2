#include "benchreference.h"

#include "benchsupport.h"
#include "console.h"
#include "mainwindow.h"

#include <QEvent>
#include <QEventLoop>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSerialPort>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace atlume::bench {

namespace {

constexpr double kRateShareTarget = 0.8;
constexpr double kCpuShareLimit = 1.25;
constexpr double kScreenDelayLimitMs = 20;
constexpr double kViewStepLimitMs = 100;
// Atlume's own: the console is painted at most this often.
constexpr int kInsertIntervalMs = 20;
constexpr int kNoProgressTimeoutMs = 60000;
constexpr int kWatchdogIntervalMs = 1000;
constexpr double kNsPerMs = 1e6;
// Painting is held briefly after each read; this lets the last hold end.
constexpr int kSettleMs = 100;

// The reference itself: nothing but the view, the port and the timer.
class ReferenceView {
public:
    // Ends loop once it has shown lines.
    ReferenceView(const QString &ptyPath, const QSize &size, qint64 lines, QEventLoop *loop)
        : port(ptyPath), expected(lines), done(loop)
    {
        view.setReadOnly(true);
        view.resize(size);
        view.show();
        flush.setSingleShot(true);
        QObject::connect(&flush, &QTimer::timeout, [this] { insert(); });
        QObject::connect(&port, &QSerialPort::readyRead, [this] {
            pending += port.readAll();
            if (!flush.isActive())
                flush.start(qMax<qint64>(0, kInsertIntervalMs - sinceInsert.elapsed()));
        });
        sinceInsert.start();
    }

    bool open() { return port.open(QIODevice::ReadOnly); }
    qint64 lines() const { return shown; }

private:
    void insert()
    {
        const int end = pending.lastIndexOf('\n') + 1;
        if (end == 0)
            return;
        QTextCursor cursor(view.document());
        cursor.movePosition(QTextCursor::End);
        cursor.insertText(QString::fromUtf8(pending.constData(), end));
        shown += pending.left(end).count('\n');
        pending.remove(0, end);
        QScrollBar *bar = view.verticalScrollBar();
        bar->setValue(bar->maximum());
        sinceInsert.restart();
        if (shown >= expected)
            done->quit();
    }

    QPlainTextEdit view;
    QSerialPort port;
    QByteArray pending;
    QTimer flush;
    QElapsedTimer sinceInsert;
    qint64 shown = 0;
    qint64 expected;
    QEventLoop *done;
};

// Runs the event loop until step() has done its work and the view is painted.
double paintedMs(QTextEdit *view, const std::function<void()> &step)
{
    QElapsedTimer clock;
    clock.start();
    step();
    QCoreApplication::processEvents();
    view->viewport()->repaint();
    return double(clock.nsecsElapsed()) / kNsPerMs;
}

void settle()
{
    QEventLoop loop;
    QTimer::singleShot(kSettleMs, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

double ReferenceRun::linesPerSecond() const
{
    return double(lines) / qMax(seconds, 1e-9);
}

double ReferenceRun::cpuPerLineUs() const
{
    return cpuSeconds * kUsPerSecond / double(qMax<qint64>(lines, 1));
}

ReferenceRun runReference(const ModuleProcess &module, const QString &program,
                          const QStringList &arguments, qint64 lines, const QSize &size)
{
    ReferenceRun run;
    QEventLoop loop;
    ReferenceView reference(module.ptyPath(), size, lines, &loop);
    if (!reference.open()) {
        std::fprintf(stderr, "atlume-bench: the reference cannot open %s\n",
                     qPrintable(module.ptyPath()));
        return run;
    }
    QTimer watchdog;
    qint64 seen = -1;
    QObject::connect(&watchdog, &QTimer::timeout, &loop, [&] {
        if (reference.lines() == seen)
            loop.quit();
        seen = reference.lines();
    });
    watchdog.start(kNoProgressTimeoutMs);

    const double cpuBefore = processCpuSeconds();
    QElapsedTimer wall;
    wall.start();
    const pid_t feeder = module.spawnFeeder(program, arguments);
    if (feeder > 0)
        loop.exec();
    run.seconds = double(wall.nsecsElapsed()) / 1e9;
    run.cpuSeconds = processCpuSeconds() - cpuBefore;
    run.lines = reference.lines();
    run.complete = run.lines == lines;
    waitForChild(feeder);
    return run;
}

void printAgainstReference(double linesPerSecond, double cpuPerLineUs,
                           const ReferenceRun &reference)
{
    const double rateShare = linesPerSecond / qMax(reference.linesPerSecond(), 1e-9);
    const double cpuShare = cpuPerLineUs / qMax(reference.cpuPerLineUs(), 1e-9);
    std::printf("  reference        %10.0f lines/s, %.2f us CPU a line in %.2f s%s\n"
                "                   (a bare read-only QPlainTextEdit on the same pty and stream,\n"
                "                   one insert at most every %d ms, following the end)\n",
                reference.linesPerSecond(), reference.cpuPerLineUs(), reference.seconds,
                reference.complete ? "" : "  INCOMPLETE", kInsertIntervalMs);
    std::printf("  against it       %10.2f x the lines/s  (target >= %.2f: %s)\n", rateShare,
                kRateShareTarget, verdict(rateShare >= kRateShareTarget));
    std::printf("                   %10.2f x the CPU a line  (target <= %.2f: %s)\n", cpuShare,
                kCpuShareLimit, verdict(cpuShare <= kCpuShareLimit));
}

ScreenDelay::ScreenDelay(QTextEdit *console, QSerialPort *port)
{
    clock.start();
    // After the window's own slot: the read is in the console by then.
    connect(port, &QSerialPort::readyRead, this, [this] {
        if (unshownSince < 0)
            unshownSince = clock.nsecsElapsed();
    });
    console->viewport()->installEventFilter(this);
}

bool ScreenDelay::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Paint && unshownSince >= 0) {
        delays.append(clock.nsecsElapsed() - unshownSince);
        unshownSince = -1;
    }
    return QObject::eventFilter(watched, event);
}

double ScreenDelay::longestMs() const
{
    return delays.isEmpty() ? 0
                            : double(*std::max_element(delays.begin(), delays.end())) / kNsPerMs;
}

double ScreenDelay::typicalMs() const
{
    if (delays.isEmpty())
        return 0;
    QVector<qint64> sorted = delays;
    std::sort(sorted.begin(), sorted.end());
    return double(sorted.at((sorted.size() - 1) * 99 / 100)) / kNsPerMs;
}

void printScreenDelay(double longestMs, double typicalMs)
{
    std::printf("  read to screen     %8.1f ms at most, %.1f ms for 99 in 100  (target <= %.0f ms: "
                "%s)\n",
                longestMs, typicalMs, kScreenDelayLimitMs,
                verdict(longestMs <= kScreenDelayLimitMs));
}

void reportViewTimes(MainWindow &window)
{
    auto *view = widget<QTextBrowser>(window, "textBrowser");
    auto *console = window.findChild<Console *>();
    settle();
    const int lines = view->document()->blockCount();
    // A line near the top, to be found from the end.
    const QString wanted = view->document()->findBlockByNumber(1).text();
    const double findField = paintedMs(view, [console] { console->showFindBar(); });
    const double top = paintedMs(view, [view] { view->verticalScrollBar()->setValue(0); });
    console->followEnd();
    settle();
    bool found = false;
    const double search = paintedMs(view, [&] { found = console->find(wanted); });
    std::printf("the full console (%d lines), each step up to its paint:\n", lines);
    std::printf("  open find field  %8.1f ms  (target <= %.0f ms: %s)\n", findField,
                kViewStepLimitMs, verdict(findField <= kViewStepLimitMs));
    std::printf("  search from end  %8.1f ms for a line near the top%s  (target <= %.0f ms: %s)\n",
                search, found ? "" : " NOT FOUND", kViewStepLimitMs,
                verdict(found && search <= kViewStepLimitMs));
    std::printf("  scroll to top    %8.1f ms  (target <= %.0f ms: %s)\n\n", top, kViewStepLimitMs,
                verdict(top <= kViewStepLimitMs));
}

} // namespace atlume::bench
