// The MQTT figures of atlume-bench: messages published by a client of a
// local Mosquitto broker, through the simulated module's MQTT client and the
// pseudo-terminal, into the console of a real window. The window and the
// module share this process; the broker is a child and the publisher a
// thread of libmosquitto's own.

#include "benchmodes.h"
#include "benchsupport.h"
#include "fakemodule.h"
#include "mainwindow.h"
#include "portenumerator.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>

#include <mosquitto.h>

#include <algorithm>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace atlume::bench {

namespace {

constexpr int kStepTimeoutMs = 15000;
constexpr int kNsPerMs = 1000000;
const char kTopic[] = "P1/D1/bench";

int freePort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    int port = -1;
    if (::bind(fd, reinterpret_cast<sockaddr *>(&address), size) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &size) == 0)
        port = ntohs(address.sin_port);
    ::close(fd);
    return port;
}

bool startBroker(QProcess &broker, const QString &folder, int port)
{
    QString program = QStandardPaths::findExecutable(QStringLiteral("mosquitto"));
    if (program.isEmpty())
        program = QStandardPaths::findExecutable(QStringLiteral("mosquitto"),
                                                 {QStringLiteral("/usr/sbin")});
    QFile config(folder + QStringLiteral("/mosquitto.conf"));
    if (program.isEmpty() || !config.open(QIODevice::WriteOnly))
        return false;
    config.write("listener " + QByteArray::number(port) +
                 " 127.0.0.1\nallow_anonymous true\npersistence false\nlog_type error\n");
    config.close();
    broker.start(program, {QStringLiteral("-c"), config.fileName()});
    return broker.waitForStarted(kStartTimeoutMs);
}

QString lastConsoleLine(const QTextBrowser *console)
{
    QTextBlock block = console->document()->lastBlock();
    while (block.isValid() && block.text().isEmpty())
        block = block.previous();
    return block.text();
}

// Runs the event loop until the console's last line is this one.
bool waitForConsoleLine(QTextBrowser *console, const QString &line, int timeoutMs)
{
    return runUntil([&] { return lastConsoleLine(console) == line; }, timeoutMs, 0);
}

QString receivedLine(int number)
{
    return QStringLiteral("+KQMQTTRECV:\"%1\",0,\"m%2\"").arg(QLatin1String(kTopic)).arg(number);
}

} // namespace

int runMqtt(int messages)
{
    WorkDir work;
    QProcess broker;
    const int port = freePort();
    if (!work.isValid() || port <= 0 || !startBroker(broker, work.filePath(QString()), port)) {
        std::fprintf(stderr, "atlume-bench: cannot start mosquitto\n");
        return 1;
    }

    mosquitto_lib_init();
    mosquitto *publisher = mosquitto_new(nullptr, true, nullptr);
    // The broker may need a moment before it listens.
    bool publisherUp = false;
    runUntil(
        [&] {
            return (publisherUp =
                        mosquitto_connect(publisher, "127.0.0.1", port, 60) == MOSQ_ERR_SUCCESS);
        },
        kStartTimeoutMs, 50);
    if (!publisherUp || mosquitto_loop_start(publisher) != MOSQ_ERR_SUCCESS) {
        std::fprintf(stderr, "atlume-bench: cannot reach the broker\n");
        return 1;
    }

    FakeModule module;
    BrokerOptions options;
    options.host = QStringLiteral("127.0.0.1");
    options.port = port;
    module.setBroker(options);
    module.setWifiJoined(true);
    if (!module.open())
        return 1;
    setPortLister([&] { return QStringList{module.slavePath()}; });
    int result = 1;
    {
        MainWindow window;
        window.show();
        widget<QPushButton>(window, "scanPortBtn")->click();
        auto *console = widget<QTextBrowser>(window, "textBrowser");
        auto *cloud = widget<QPushButton>(window, "connectNimbrelCloudBtn");
        QSerialPort *serial = openPort(window, module.slavePath());
        widget<QLineEdit>(window, "productIDLineEdit")->setText(QStringLiteral("P1"));
        widget<QLineEdit>(window, "deviceNameLineEdit")->setText(QStringLiteral("D1"));
        widget<QLineEdit>(window, "deviceSecretLineEdit")->setText(QStringLiteral("S1"));
        widget<QPushButton>(window, "set_dev_conf_btn")->click();
        bool ready = serial && runUntil([&] { return cloud->isEnabled(); }, kStepTimeoutMs);
        if (ready) {
            cloud->click();
            ready = runUntil([&] { return cloud->isChecked(); }, kStepTimeoutMs);
        }
        if (ready) {
            widget<QPushButton>(window, "subTopicBtn")->click();
            widget<QLineEdit>(window, "topicLineEdit")->setText(QLatin1String(kTopic));
            widget<QComboBox>(window, "qosComboBox")->setCurrentIndex(0);
            widget<QPushButton>(window, "sendBtn")->click();
            ready = waitForConsoleLine(console, QStringLiteral("OK"), kStepTimeoutMs);
        }
        if (!ready) {
            std::fprintf(stderr, "atlume-bench: the window did not reach the cloud\n");
        } else {
            // One at a time: the time from publishing to the line in the console.
            std::vector<qint64> latencies;
            QElapsedTimer clock;
            for (int number = 1; number <= messages; ++number) {
                const QByteArray payload = "m" + QByteArray::number(number);
                clock.start();
                mosquitto_publish(publisher, nullptr, kTopic, payload.size(), payload.constData(),
                                  0, false);
                if (!waitForConsoleLine(console, receivedLine(number), kStepTimeoutMs))
                    break;
                latencies.push_back(clock.nsecsElapsed());
            }
            // All at once: how many a second reach the console.
            const int base = messages;
            clock.start();
            for (int number = 1; number <= messages; ++number) {
                const QByteArray payload = "m" + QByteArray::number(base + number);
                mosquitto_publish(publisher, nullptr, kTopic, payload.size(), payload.constData(),
                                  0, false);
            }
            const bool allArrived =
                waitForConsoleLine(console, receivedLine(base + messages), kStepTimeoutMs * 4);
            const double burstS = double(clock.nsecsElapsed()) / 1e9;

            std::sort(latencies.begin(), latencies.end());
            const bool complete = int(latencies.size()) == messages && allArrived;
            if (!latencies.empty()) {
                std::printf("Publication to console line, %zu messages one at a time:\n"
                            "  median %.2f ms, worst %.2f ms\n",
                            latencies.size(), double(latencies[latencies.size() / 2]) / kNsPerMs,
                            double(latencies.back()) / kNsPerMs);
            }
            std::printf("%d messages published at once: %.1f s, %.0f messages per second "
                        "into the console\n",
                        messages, burstS, allArrived ? messages / burstS : 0.0);
            std::printf("Machine load over the last minute: %.2f\n", loadAverage());
            if (!complete)
                std::printf("INCOMPLETE: not every message reached the console\n");
            result = complete ? 0 : 1;
        }
    }
    setPortLister({});
    mosquitto_disconnect(publisher);
    mosquitto_loop_stop(publisher, true);
    mosquitto_destroy(publisher);
    mosquitto_lib_cleanup();
    broker.terminate();
    broker.waitForFinished(kStartTimeoutMs);
    return result;
}

} // namespace atlume::bench
