// atlume-fakemodule: a simulated Wi-Fi module on a pseudo-terminal. It prints
// the terminal's path on stdout, logs every line it receives on stderr, sends
// every line typed on its own stdin to the terminal as unsolicited output, and
// runs until SIGINT or SIGTERM.

#include "fakemodule.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

namespace {

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

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("atlume-fakemodule"));

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
    parser.addOptions({noEcho, wifi, mqtt, delay, rejectJoin});
    parser.process(app);

    if (!installSignalHandlers()) {
        std::perror("atlume-fakemodule: signal handlers");
        return 1;
    }

    atlume::FakeModule module;
    module.setEcho(!parser.isSet(noEcho));
    module.setWifiJoined(parser.isSet(wifi) || parser.isSet(mqtt));
    module.setMqttConnected(parser.isSet(mqtt));
    module.setReplyDelay(parser.value(delay).toInt());
    module.setJoinErrorCode(parser.value(rejectJoin).toInt());
    if (!module.open()) {
        std::perror("atlume-fakemodule: cannot create a pseudo-terminal");
        return 1;
    }

    QObject::connect(&module, &atlume::FakeModule::lineReceived, [&module](const QByteArray &line) {
        const QByteArray entry = QByteArray::number(module.elapsedMsecs() / 1000.0, 'f', 3) +
                                 " < " + printable(line) + '\n';
        std::fwrite(entry.constData(), 1, size_t(entry.size()), stderr);
    });

    QSocketNotifier quitNotifier(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&quitNotifier, &QSocketNotifier::activated, &app, &QCoreApplication::quit);

    QSocketNotifier stdinNotifier(STDIN_FILENO, QSocketNotifier::Read);
    QByteArray typed;
    QObject::connect(&stdinNotifier, &QSocketNotifier::activated, [&] {
        char chunk[4096];
        const ssize_t count = ::read(STDIN_FILENO, chunk, sizeof chunk);
        if (count <= 0) {
            // No terminal behind stdin (or it was closed): keep serving.
            stdinNotifier.setEnabled(false);
            return;
        }
        typed.append(chunk, int(count));
        for (int end = typed.indexOf('\n'); end != -1; end = typed.indexOf('\n')) {
            QByteArray line = typed.left(end);
            typed.remove(0, end + 1);
            if (line.endsWith('\r'))
                line.chop(1);
            module.sendRaw(line + "\r\n");
        }
    });

    std::printf("%s\n", module.slavePath().toLocal8Bit().constData());
    std::fflush(stdout);
    return app.exec();
}
