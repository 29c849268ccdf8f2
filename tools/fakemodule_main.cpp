// atlume-fakemodule: a simulated Wi-Fi module on a pseudo-terminal. It prints
// the terminal's path on stdout, logs every line it receives on stderr, sends
// every line typed on its own stdin to the terminal as unsolicited output (with
// --raw: every byte, unchanged), and runs until SIGINT or SIGTERM.

#include "fakemodule.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int kStdinChunk = 65536;
// Standard input is read only while the terminal keeps up: a generator that
// feeds hundreds of megabytes must not pile them up in this process.
constexpr qint64 kMaxQueuedOutput = 1024 * 1024;

int signalPipe[2] = {-1, -1};

void onTerminationSignal(int)
{
    const char byte = 1;
    // Only async-signal-safe work here; the event loop does the rest.
    [[maybe_unused]] const ssize_t ignored = ::write(signalPipe[1], &byte, 1);
}

bool installSignalHandlers()
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0)
        return false;
    struct sigaction action {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    return ::sigaction(SIGINT, &action, nullptr) == 0 &&
           ::sigaction(SIGTERM, &action, nullptr) == 0;
}

// Control characters would garble the log; everything else, UTF-8 included,
// goes out as it came.
QByteArray printable(const QByteArray &line)
{
    QByteArray shown;
    shown.reserve(line.size());
    for (const char byte : line) {
        const auto code = static_cast<unsigned char>(byte);
        if (code < 0x20 || code == 0x7f)
            shown += "\\x" + QByteArray::number(code, 16).rightJustified(2, '0');
        else
            shown += byte;
    }
    return shown;
}

// Sends what arrives on standard input to the terminal: line by line, each
// line ended with CR LF as the module ends its own, or raw.
class StdinForwarder {
public:
    StdinForwarder(atlume::FakeModule &module, bool raw)
        : module(module), raw(raw), notifier(STDIN_FILENO, QSocketNotifier::Read)
    {
        QObject::connect(&notifier, &QSocketNotifier::activated, [this] { readInput(); });
        QObject::connect(&module, &atlume::FakeModule::drained, [this] {
            if (inputOpen)
                notifier.setEnabled(true);
        });
    }

private:
    void readInput()
    {
        char chunk[kStdinChunk];
        const ssize_t count = ::read(STDIN_FILENO, chunk, sizeof chunk);
        if (count <= 0) {
            // No terminal behind stdin (or it was closed): keep serving.
            inputOpen = false;
            notifier.setEnabled(false);
            return;
        }
        if (raw)
            module.sendRaw(QByteArray(chunk, int(count)));
        else
            forwardLines(QByteArray::fromRawData(chunk, int(count)));
        if (module.bytesToWrite() >= kMaxQueuedOutput)
            notifier.setEnabled(false);
    }

    void forwardLines(const QByteArray &bytes)
    {
        typed.append(bytes);
        // One pass and one cut: a large chunk holds thousands of lines.
        int start = 0;
        for (int end = typed.indexOf('\n'); end != -1; end = typed.indexOf('\n', start)) {
            const int length =
                end > start && typed.at(end - 1) == '\r' ? end - 1 - start : end - start;
            module.sendRaw(typed.mid(start, length) + "\r\n");
            start = end + 1;
        }
        typed.remove(0, start);
    }

    atlume::FakeModule &module;
    const bool raw;
    QSocketNotifier notifier;
    QByteArray typed;
    bool inputOpen = true;
};

struct Options {
    bool echo = true;
    bool wifi = false;
    bool mqtt = false;
    bool raw = false;
    int delayMs = 0;
    int joinError = 0;
};

Options parseOptions(const QCoreApplication &app)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Simulated Wi-Fi module speaking the cloud AT command set on a pseudo-terminal."));
    parser.addHelpOption();
    const QCommandLineOption noEcho(QStringLiteral("no-echo"),
                                    QStringLiteral("Do not echo received lines."));
    const QCommandLineOption wifi(QStringLiteral("wifi"),
                                  QStringLiteral("Start joined to a Wi-Fi network."));
    const QCommandLineOption mqtt(QStringLiteral("mqtt"),
                                  QStringLiteral("Start connected to the cloud (implies --wifi)."));
    const QCommandLineOption delay(QStringLiteral("delay"),
                                   QStringLiteral("Answer each command after <ms> milliseconds."),
                                   QStringLiteral("ms"), QStringLiteral("0"));
    const QCommandLineOption rejectJoin(
        QStringLiteral("reject-join"),
        QStringLiteral("Refuse every AT+CWJAP with the error <code> (1 to 9)."),
        QStringLiteral("code"), QStringLiteral("0"));
    const QCommandLineOption raw(
        QStringLiteral("raw"),
        QStringLiteral("Send standard input to the terminal byte for byte, without turning "
                       "each LF into CR LF."));
    parser.addOptions({noEcho, wifi, mqtt, delay, rejectJoin, raw});
    parser.process(app);

    Options options;
    options.echo = !parser.isSet(noEcho);
    options.wifi = parser.isSet(wifi) || parser.isSet(mqtt);
    options.mqtt = parser.isSet(mqtt);
    options.raw = parser.isSet(raw);
    options.delayMs = parser.value(delay).toInt();
    options.joinError = parser.value(rejectJoin).toInt();
    return options;
}

void logReceivedLines(atlume::FakeModule &module)
{
    QObject::connect(&module, &atlume::FakeModule::lineReceived, [&module](const QByteArray &line) {
        const QByteArray entry = QByteArray::number(module.elapsedMsecs() / 1000.0, 'f', 3) +
                                 " < " + printable(line) + '\n';
        std::fwrite(entry.constData(), 1, size_t(entry.size()), stderr);
    });
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("atlume-fakemodule"));
    const Options options = parseOptions(app);

    if (!installSignalHandlers()) {
        std::perror("atlume-fakemodule: signal handlers");
        return 1;
    }

    atlume::FakeModule module;
    module.setEcho(options.echo);
    module.setWifiJoined(options.wifi);
    module.setMqttConnected(options.mqtt);
    module.setReplyDelay(options.delayMs);
    module.setJoinErrorCode(options.joinError);
    if (!module.open()) {
        std::perror("atlume-fakemodule: cannot create a pseudo-terminal");
        return 1;
    }
    logReceivedLines(module);

    QSocketNotifier quitNotifier(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&quitNotifier, &QSocketNotifier::activated, &app, &QCoreApplication::quit);

    StdinForwarder forwarder(module, options.raw);

    std::printf("%s\n", module.slavePath().toLocal8Bit().constData());
    std::fflush(stdout);
    return app.exec();
}
