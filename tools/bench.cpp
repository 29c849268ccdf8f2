// atlume-bench: measures what the console costs, through a real MainWindow
// and a pseudo-terminal.
//
//   (default)       the pause of send_order and a burst of module output;
//   --long-session  millions of lines, long lines and text without CR LF
//                   (--log: every line into a log file too);
//   --console-extras  the burst with timestamps and a log file against without;
//   --soak [N]      the module unplugged and plugged in again, N times;
//   --mqtt [N]      N messages from a local broker into the console;
//   --receive-views [N]  the burst as text, in hex and highlighted, and N
//                   cloud messages into their panel.
//
// "--generate <stream> <size>" is the bench's own generator, which the long
// session runs as a child process.

#include "benchmodes.h"
#include "benchstream.h"
#include "benchsupport.h"

#include <QCommandLineParser>

#include <cstdio>

namespace {

constexpr char kGenerateOption[] = "--generate";
constexpr int kGenerateArgc = 4;
constexpr qint64 kDefaultSessionLines = 5000000;
constexpr int kDefaultSoakCycles = 200;
constexpr int kDefaultMqttMessages = 1000;
constexpr int kDefaultCloudMessages = 100000;

enum class Mode { PauseAndBurst, LongSession, Soak, ConsoleExtras, Mqtt, ReceiveViews };

struct Options {
    Mode mode = Mode::PauseAndBurst;
    int lines = 0;
    int pauses = 0;
    qint64 sessionLines = kDefaultSessionLines;
    int cycles = kDefaultSoakCycles;
    int rounds = 0;
    bool logged = false;
};

Options parseOptions(const QCoreApplication &app)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Measures the pause of send_order and the console's receive path."));
    parser.addHelpOption();
    const QCommandLineOption lines(QStringLiteral("lines"),
                                   QStringLiteral("Lines of the burst (default 200000)."),
                                   QStringLiteral("n"), QStringLiteral("200000"));
    const QCommandLineOption pauses(QStringLiteral("pauses"),
                                    QStringLiteral("Pauses to measure (default 5)."),
                                    QStringLiteral("n"), QStringLiteral("5"));
    const QCommandLineOption longSession(
        QStringLiteral("long-session"),
        QStringLiteral("Push millions of lines, 4 KiB lines and LF-only text through the window."));
    const QCommandLineOption sessionLines(
        QStringLiteral("session-lines"),
        QStringLiteral("Short lines of the long session (default 5000000)."), QStringLiteral("n"),
        QString::number(kDefaultSessionLines));
    const QCommandLineOption soak(
        QStringLiteral("soak"),
        QStringLiteral("Unplug and replug the module [cycles] times (default 200)."));
    const QCommandLineOption logged(
        QStringLiteral("log"), QStringLiteral("With --long-session: log every line to a file."));
    const QCommandLineOption extras(
        QStringLiteral("console-extras"),
        QStringLiteral("The burst plain, with timestamps and a log, and with the view held."));
    const QCommandLineOption rounds(QStringLiteral("rounds"),
                                    QStringLiteral("Rounds of --console-extras (default 3)."),
                                    QStringLiteral("n"), QStringLiteral("3"));
    const QCommandLineOption mqtt(
        QStringLiteral("mqtt"),
        QStringLiteral("Publish [count] messages (default 1000) through a local Mosquitto broker "
                       "and the simulated module into the console."));
    const QCommandLineOption receiveViews(
        QStringLiteral("receive-views"),
        QStringLiteral("The burst as text, in hex and highlighted, and [count] cloud messages "
                       "(default 100000) into their panel."));
    parser.addOptions({lines, pauses, longSession, sessionLines, soak, logged, extras, rounds, mqtt,
                       receiveViews});
    parser.addPositionalArgument(
        QStringLiteral("count"),
        QStringLiteral("Cycles of --soak, messages of --mqtt and --receive-views."),
        QStringLiteral("[count]"));
    parser.process(app);

    Options options;
    options.mode = parser.isSet(receiveViews)  ? Mode::ReceiveViews
                   : parser.isSet(mqtt)        ? Mode::Mqtt
                   : parser.isSet(soak)        ? Mode::Soak
                   : parser.isSet(longSession) ? Mode::LongSession
                   : parser.isSet(extras)      ? Mode::ConsoleExtras
                                               : Mode::PauseAndBurst;
    options.rounds = qMax(1, parser.value(rounds).toInt());
    options.logged = parser.isSet(logged);
    options.lines = qMax(1, parser.value(lines).toInt());
    options.pauses = qMax(1, parser.value(pauses).toInt());
    options.sessionLines = qMax<qint64>(1, parser.value(sessionLines).toLongLong());
    if (options.mode == Mode::Mqtt)
        options.cycles = kDefaultMqttMessages;
    if (options.mode == Mode::ReceiveViews)
        options.cycles = kDefaultCloudMessages;
    if (!parser.positionalArguments().isEmpty())
        options.cycles = qMax(1, parser.positionalArguments().first().toInt());
    return options;
}

} // namespace

int main(int argc, char *argv[])
{
    // The generator writes to a FIFO and needs no window system.
    if (argc == kGenerateArgc && qstrcmp(argv[1], kGenerateOption) == 0)
        return atlume::bench::writeStream(argv[2], argv[3]);

    // A run takes minutes: each figure shows as soon as it is known, even
    // when the output goes to a pipe or a file.
    std::setvbuf(stdout, nullptr, _IOLBF, BUFSIZ);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    atlume::bench::TimedApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("atlume-bench"));

    const Options options = parseOptions(app);
    switch (options.mode) {
    case Mode::LongSession:
        return atlume::bench::runLongSession(app, options.sessionLines, options.logged);
    case Mode::ConsoleExtras:
        return atlume::bench::runConsoleExtras(options.lines, options.rounds);
    case Mode::Soak:
        return atlume::bench::runSoak(options.cycles);
    case Mode::Mqtt:
        return atlume::bench::runMqtt(options.cycles);
    case Mode::ReceiveViews:
        return atlume::bench::runReceiveViews(app, options.lines, options.rounds, options.cycles);
    case Mode::PauseAndBurst:
        break;
    }
    return atlume::bench::runPauseAndBurst(options.lines, options.pauses);
}
