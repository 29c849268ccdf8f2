// atlume-bench --receive-views: the receive side's other views against the
// plain console, through a real MainWindow and the simulated module as a
// child process.
//
//   1. the burst of the default mode shown as text, in hex and highlighted,
//      in turns: the module's lines per second end to end, CPU per line, and
//      the console's lines (a hex row each) per second of each;
//   2. cloud messages through the 云端消息 panel, hidden and shown: the time
//      per message and the longest event meanwhile.

#include "benchmodes.h"
#include "benchstream.h"
#include "benchsupport.h"
#include "cloudmessagemodel.h"
#include "console.h"
#include "hexrows.h"
#include "mainwindow.h"

#include <QAction>
#include <QFile>
#include <QSerialPort>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QThread>

namespace atlume::bench {

namespace {

constexpr double kViewRateShareTarget = 0.8;
constexpr int kRunTimeoutMs = 300000;
constexpr double kNsPerMs = 1e6;

// The burst as the module sends it, and what each view shows of it.
struct ViewBurst {
    QByteArray input; // what the module's input gets: lines ended by LF
    int lines = 0;
    qint64 hexRows = 0;
    QString lastLine;
    QString lastHexRow;
};

ViewBurst makeViewBurst(int lineCount)
{
    ViewBurst burst;
    BurstLines lines;
    for (int i = 0; i < lineCount; ++i) {
        const QByteArray line = lines.next();
        burst.input += line + '\n';
        // On the wire the line ends in CR LF, and its last row with the LF.
        const QByteArray wire = line + "\r\n";
        const int rows = (int(wire.size()) + HexRows::kBytesPerRow - 1) / HexRows::kBytesPerRow;
        burst.hexRows += rows;
        burst.lastLine = QString::fromLatin1(line);
        burst.lastHexRow =
            HexRows::format(wire.mid((rows - 1) * HexRows::kBytesPerRow, HexRows::kBytesPerRow));
    }
    burst.lines = lineCount;
    return burst;
}

struct Run {
    qint64 wallMs = 0;
    double cpu = 0;
    bool complete = false;
};

// Feeds a file through the module and runs the event loop until done().
template <class Done>
Run feed(QSerialPort &port, const ModuleProcess &module, const QString &path, Done done)
{
    Run run;
    QEventLoop loop;
    QObject::connect(&port, &QSerialPort::readyRead, &loop, [&] {
        if (done())
            loop.quit();
    });
    QTimer::singleShot(kRunTimeoutMs, &loop, &QEventLoop::quit);
    const double cpuBefore = processCpuSeconds();
    QElapsedTimer wall;
    wall.start();
    const pid_t feeder = module.spawnFeeder(QStringLiteral("/bin/cat"), {path});
    if (feeder > 0 && !done())
        loop.exec();
    run.wallMs = wall.elapsed();
    run.cpu = processCpuSeconds() - cpuBefore;
    run.complete = done();
    waitForChild(feeder);
    return run;
}

struct View {
    const char *name;
    bool hex;
    bool highlighted;
    double linesPerSecond = 0;
    double rowsPerSecond = 0; // the console's lines: the hex view's rows
    double cpuPerLineUs = 0;
    int runs = 0;
    bool complete = true;
};

void runView(View &view, QSerialPort &port, const ModuleProcess &module, Console &console,
             QTextBrowser &text, const ViewBurst &burst, const QString &path)
{
    text.clear();
    console.followEnd();
    console.setHexShown(view.hex);
    console.setRepliesHighlighted(view.highlighted);
    const qint64 expected = view.hex ? burst.hexRows : burst.lines;
    const qint64 before = consoleLinesHandled(&text);
    const Run run =
        feed(port, module, path, [&] { return consoleLinesHandled(&text) - before >= expected; });
    const QString last = text.document()->lastBlock().previous().text();
    const bool complete = run.complete && consoleLinesHandled(&text) - before == expected &&
                          last == (view.hex ? burst.lastHexRow : burst.lastLine);
    const double seconds = double(qMax<qint64>(run.wallMs, 1)) / kMsPerSecond;
    view.linesPerSecond += double(burst.lines) / seconds;
    view.rowsPerSecond += double(expected) / seconds;
    view.cpuPerLineUs += run.cpu * kUsPerSecond / double(burst.lines);
    ++view.runs;
    view.complete = view.complete && complete;
}

// Messages as the module reports them from the cloud: a JSON payload, its
// quotes and commas escaped as the module escapes them.
QByteArray cloudMessages(int count)
{
    QByteArray bytes;
    for (int i = 0; i < count; ++i) {
        bytes += "+KQMQTTRECV:\"prod/dev" + QByteArray::number(i % 100) +
                 "/data\",0,\"{\\\"seq\\\":" + QByteArray::number(i) +
                 "\\,\\\"t\\\":25.5\\,\\\"h\\\":60}\"\n";
    }
    return bytes;
}

bool runCloud(TimedApplication &app, QSerialPort &port, const ModuleProcess &module,
              MainWindow &window, const QString &path, int count, bool shown)
{
    auto *model = window.findChild<CloudMessageModel *>();
    auto *toggle = window.findChild<QAction *>(QStringLiteral("consoleCloudMessagesAction"));
    if (!model || !toggle)
        return false;
    toggle->setChecked(shown);
    widget<QTextBrowser>(window, "textBrowser")->clear();
    model->clear();
    const qint64 before = model->addedCount();
    const int rows = qMin(count, CloudMessageModel::kMaxRows);
    app.resetLongestEvent();
    const Run run = feed(port, module, path, [&] {
        // The last batch becomes rows a moment after the last read.
        if (model->addedCount() - before == count && model->rowCount() < rows)
            model->addWaiting();
        return model->addedCount() - before == count && model->rowCount() == rows;
    });
    const double perMessageUs = double(run.wallMs) * 1000 / count;
    const double cpuPerMessageUs = run.cpu * kUsPerSecond / count;
    std::printf("  panel %-6s %6d messages in %5.2f s: %6.2f us a message, %6.2f us CPU, "
                "longest event %.1f ms (%s)%s\n",
                shown ? "shown," : "hidden,", count, double(run.wallMs) / kMsPerSecond,
                perMessageUs, cpuPerMessageUs, double(app.longestEventNs()) / kNsPerMs,
                qPrintable(app.longestEventName()), run.complete ? "" : "  INCOMPLETE");
    return run.complete;
}

} // namespace

int runReceiveViews(TimedApplication &app, int lineCount, int rounds, int messages)
{
    UserChoices benchChoices;
    ModuleRig rig;
    if (!rig.open({}))
        return 1;
    MainWindow &window = rig.window();
    QSerialPort *port = &rig.port();
    const ModuleProcess &module = rig.module();
    auto *console = window.findChild<Console *>();
    // The bench's choices only, never the user's settings file.
    console->useChoices(&benchChoices);
    auto *text = widget<QTextBrowser>(window, "textBrowser");

    const ViewBurst burst = makeViewBurst(lineCount);
    const QString burstPath = rig.filePath(QStringLiteral("burst.txt"));
    const QString cloudPath = rig.filePath(QStringLiteral("cloud.txt"));
    if (!writeFile(burstPath, burst.input) || !writeFile(cloudPath, cloudMessages(messages)))
        return 1;

    View views[] = {{"text", false, false}, {"hex", true, false}, {"highlighted", false, true}};
    // Taken in turns, so that the machine's load weighs on each alike.
    for (int round = 0; round < rounds; ++round) {
        for (View &view : views)
            runView(view, *port, module, *console, *text, burst, burstPath);
    }
    console->setHexShown(false);
    console->setRepliesHighlighted(false);

    std::printf("atlume-bench --receive-views: %d lines a burst (%lld hex rows), %d rounds, each "
                "view in turn;\nload average %.1f on %d cores.\n\n",
                lineCount, static_cast<long long>(burst.hexRows), rounds, loadAverage(),
                QThread::idealThreadCount());
    bool complete = true;
    for (View &view : views) {
        view.linesPerSecond /= view.runs;
        view.rowsPerSecond /= view.runs;
        view.cpuPerLineUs /= view.runs;
        complete = complete && view.complete;
        std::printf("  %-12s %8.0f lines/s  %6.2f us CPU a line  %8.0f console lines/s%s\n",
                    view.name, view.linesPerSecond, view.cpuPerLineUs, view.rowsPerSecond,
                    view.complete ? "" : "  INCOMPLETE");
    }
    for (const View *view : {&views[1], &views[2]}) {
        const double share = view->linesPerSecond / views[0].linesPerSecond;
        std::printf("  %-12s %8.2f x the text view's lines/s  (target >= %.1f: %s)", view->name,
                    share, kViewRateShareTarget, verdict(share >= kViewRateShareTarget));
        // A hex row holds at most 16 bytes, so the console shows several for
        // one of the module's lines.
        if (view->hex)
            std::printf(", %.2f x its console lines/s",
                        view->rowsPerSecond / views[0].rowsPerSecond);
        std::printf("\n");
    }

    std::printf("\ncloud messages into the panel (the console shows them too):\n");
    complete = runCloud(app, *port, module, window, cloudPath, messages, false) && complete;
    complete = runCloud(app, *port, module, window, cloudPath, messages, true) && complete;

    port->close();
    return complete ? 0 : 1;
}

} // namespace atlume::bench
