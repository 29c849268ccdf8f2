// atlume-sim: a simulated Wi-Fi module on a pseudo-terminal. It prints the
// terminal's path on stdout, announces it to Atlume's port list as ttySIM<n>,
// logs every line it receives on stderr, and why a broker could not be
// reached, sends every line typed on its own stdin to the terminal as
// unsolicited output (with --raw: every byte, unchanged), and runs until
// SIGINT or SIGTERM.

#include "fakemodule.h"
#include "portannouncement.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int kStdinChunk = 65536;
// Standard input is read only while the terminal keeps up: a generator that
// feeds hundreds of megabytes must not pile them up in this process.
constexpr qint64 kMaxQueuedOutput = 1024 * 1024;
constexpr int kMaxDelayMs = 3600 * 1000;
constexpr int kMinJoinError = 1;
constexpr int kMaxJoinError = 9;

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

// Any usage error, whatever the parser or a value check found.
constexpr int kExitUsage = 2;

struct Options {
    bool echo = true;
    bool wifi = false;
    bool mqtt = false;
    bool raw = false;
    bool announce = true;
    int delayMs = 0;
    int provisioningMs = 0;
    int joinError = 0;
    std::optional<atlume::BrokerOptions> broker;
};

[[noreturn]] void failUsage(const QString &message)
{
    std::fprintf(stderr, "atlume-sim: %s\n", qPrintable(message));
    std::exit(kExitUsage);
}

int numberOption(const QCommandLineParser &parser, const QCommandLineOption &option, int lowest,
                 int highest)
{
    bool ok = false;
    const int value = parser.value(option).toInt(&ok);
    if (!ok || value < lowest || value > highest) {
        failUsage(QStringLiteral("--%1 wants a number from %2 to %3, not '%4'")
                      .arg(option.names().constFirst())
                      .arg(lowest)
                      .arg(highest)
                      .arg(parser.value(option)));
    }
    return value;
}

Options parseOptions(const QCoreApplication &app)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "A simulated Wi-Fi module that speaks the Nimbrel cloud AT command set on a\n"
        "pseudo-terminal, for trying Atlume without hardware. It prints the terminal's\n"
        "path and shows in Atlume's port list as ttySIM0 (ttySIM1, ... for more) while\n"
        "it runs.\n\n"
        "Without --broker its cloud is an echo: a message published to a topic it is\n"
        "subscribed to comes back as +KQMQTTRECV. With --broker it is a real MQTT\n"
        "client of that broker, with the client id <product ID>.<device name>. The\n"
        "cloud's own device-signing scheme is not simulated: give --username and\n"
        "--password if the broker wants them."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption noEcho(QStringLiteral("no-echo"),
                                    QStringLiteral("Do not echo received lines."));
    const QCommandLineOption wifi(QStringLiteral("wifi"),
                                  QStringLiteral("Start joined to a Wi-Fi network."));
    const QCommandLineOption mqtt(QStringLiteral("mqtt"),
                                  QStringLiteral("Start connected to the cloud (implies --wifi)."));
    const QCommandLineOption delay(QStringLiteral("delay"),
                                   QStringLiteral("Answer each command after <ms> milliseconds."),
                                   QStringLiteral("ms"), QStringLiteral("40"));
    const QCommandLineOption provisioning(
        QStringLiteral("provisioning-time"),
        QStringLiteral("SmartConfig and softAP provisioning succeed after <ms> milliseconds; "
                       "0 waits for ever."),
        QStringLiteral("ms"), QStringLiteral("4000"));
    const QCommandLineOption broker(
        QStringLiteral("broker"),
        QStringLiteral("Connect the module's MQTT to this broker (port 1883, or 8883 with "
                       "--cafile, unless given)."),
        QStringLiteral("host[:port]"));
    const QCommandLineOption username(QStringLiteral("username"),
                                      QStringLiteral("User name for the broker."),
                                      QStringLiteral("name"));
    const QCommandLineOption password(QStringLiteral("password"),
                                      QStringLiteral("Password for the broker."),
                                      QStringLiteral("password"));
    const QCommandLineOption caFile(
        QStringLiteral("cafile"),
        QStringLiteral("Talk TLS to the broker, trusting the certificate authority in <file>."),
        QStringLiteral("file"));
    const QCommandLineOption noAnnounce(
        QStringLiteral("no-announce"),
        QStringLiteral("Do not show in Atlume's port list; open the printed path instead."));
    const QCommandLineOption rejectJoin(
        QStringLiteral("reject-join"),
        QStringLiteral("Refuse every AT+CWJAP with the error <code> (%1 to %2).")
            .arg(kMinJoinError)
            .arg(kMaxJoinError),
        QStringLiteral("code"));
    const QCommandLineOption raw(
        QStringLiteral("raw"),
        QStringLiteral("Send standard input to the terminal byte for byte, without turning "
                       "each LF into CR LF."));
    parser.addOptions({noEcho, wifi, mqtt, delay, rejectJoin, provisioning, broker, username,
                       password, caFile, noAnnounce, raw});
    // Parsed once first so that an unknown option or a missing value ends with
    // the status of every other usage error; process() then answers --help
    // and --version as Qt does.
    if (!parser.parse(app.arguments()))
        failUsage(parser.errorText());
    parser.process(app);
    if (!parser.positionalArguments().isEmpty())
        failUsage(QStringLiteral("unexpected argument '%1'; see --help")
                      .arg(parser.positionalArguments().constFirst()));

    Options options;
    options.echo = !parser.isSet(noEcho);
    options.wifi = parser.isSet(wifi) || parser.isSet(mqtt);
    options.mqtt = parser.isSet(mqtt);
    options.raw = parser.isSet(raw);
    options.announce = !parser.isSet(noAnnounce);
    options.delayMs = numberOption(parser, delay, 0, kMaxDelayMs);
    options.provisioningMs = numberOption(parser, provisioning, 0, kMaxDelayMs);
    if (parser.isSet(rejectJoin))
        options.joinError = numberOption(parser, rejectJoin, kMinJoinError, kMaxJoinError);
    if (parser.isSet(broker) && parser.isSet(mqtt))
        failUsage(QStringLiteral("--mqtt and --broker do not go together: the module joins the "
                                 "broker when AT+KQMQTTCONN asks"));
    if (parser.isSet(broker)) {
        QString error;
        options.broker = atlume::parseBroker(parser.value(broker), parser.isSet(caFile), &error);
        if (!options.broker)
            failUsage(QStringLiteral("--broker: ") + error);
        options.broker->username = parser.value(username);
        options.broker->password = parser.value(password);
        options.broker->caFile = parser.value(caFile);
        if (!options.broker->caFile.isEmpty() && !QFileInfo(options.broker->caFile).isReadable())
            failUsage(QStringLiteral("--cafile: cannot read ") + options.broker->caFile);
    } else if (parser.isSet(username) || parser.isSet(password) || parser.isSet(caFile)) {
        failUsage(QStringLiteral("--username, --password and --cafile need --broker"));
    }
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

// The module itself only answers "+KQMQTTCONN:FAIL"; whoever started it
// wants to know why.
void logUnreachableBroker(atlume::FakeModule &module, const atlume::BrokerOptions &broker)
{
    const QString address = broker.host.contains(QLatin1Char(':'))
                                ? QStringLiteral("[%1]:%2").arg(broker.host).arg(broker.port)
                                : QStringLiteral("%1:%2").arg(broker.host).arg(broker.port);
    QObject::connect(&module, &atlume::FakeModule::cloudUnreachable,
                     [address](const QString &reason) {
                         std::fprintf(stderr, "atlume-sim: no connection to the broker %s: %s\n",
                                      qPrintable(address), qPrintable(reason));
                     });
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("atlume-sim"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ATLUME_VERSION));
    const Options options = parseOptions(app);

    if (!installSignalHandlers()) {
        std::perror("atlume-sim: signal handlers");
        return 1;
    }

    atlume::FakeModule module;
    module.setEcho(options.echo);
    module.setWifiJoined(options.wifi);
    module.setMqttConnected(options.mqtt);
    module.setReplyDelay(options.delayMs);
    module.setJoinErrorCode(options.joinError);
    module.setProvisioningTime(options.provisioningMs > 0 ? options.provisioningMs : -1);
    if (options.broker) {
        module.setBroker(*options.broker);
        logUnreachableBroker(module, *options.broker);
    }
    if (!module.open()) {
        std::perror("atlume-sim: cannot create a pseudo-terminal");
        return 1;
    }
    logReceivedLines(module);

    // Withdrawn when main returns, after a signal too.
    atlume::PortAnnouncement announcement;
    if (options.announce) {
        QString error;
        if (!announcement.announce(module.slavePath(), &error)) {
            std::fprintf(stderr, "atlume-sim: %s\n", qPrintable(error));
            return 1;
        }
        std::fprintf(stderr, "atlume-sim: %s in Atlume's port list\n",
                     qPrintable(announcement.name()));
    }

    QSocketNotifier quitNotifier(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&quitNotifier, &QSocketNotifier::activated, &app, &QCoreApplication::quit);

    StdinForwarder forwarder(module, options.raw);

    std::printf("%s\n", module.slavePath().toLocal8Bit().constData());
    std::fflush(stdout);
    return app.exec();
}
