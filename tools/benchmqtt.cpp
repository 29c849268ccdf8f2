// The MQTT figures of atlume-bench: messages published by a client of a
// local Mosquitto broker, through the simulated module's MQTT client and the
// pseudo-terminal, into the console of a real window. The window and the
// module share this process; the broker is a child and the publisher a
// thread of libmosquitto's own.

#include "benchmodes.h"
#include "benchsupport.h"
#include "broker.h"
#include "fakemodule.h"
#include "mainwindow.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>

#include <algorithm>
#include <vector>

namespace atlume::bench {

namespace {

constexpr int kStepTimeoutMs = 15000;
constexpr int kNsPerMs = 1000000;
const char kTopic[] = "P1/D1/bench";

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
    return waitFor([&] { return lastConsoleLine(console) == line; }, timeoutMs, 0);
}

QString receivedLine(int number)
{
    return QStringLiteral("+KQMQTTRECV:\"%1\",0,\"m%2\"").arg(QLatin1String(kTopic)).arg(number);
}

} // namespace

int runMqtt(int messages)
{
    support::Broker broker;
    if (!broker.start()) {
        std::fprintf(stderr, "atlume-bench: cannot start mosquitto\n");
        return 1;
    }
    support::MqttClient publisher(broker.port);
    if (!publisher.waitConnected()) {
        std::fprintf(stderr, "atlume-bench: cannot reach the broker\n");
        return 1;
    }

    support::ModuleBench bench;
    BrokerOptions options;
    options.host = QStringLiteral("127.0.0.1");
    options.port = broker.port;
    bench.module.setBroker(options);
    bench.module.setWifiJoined(true);
    MainWindow &window = bench.window;
    auto *console = widget<QTextBrowser>(window, "textBrowser");
    auto *cloud = widget<QPushButton>(window, "connectNimbrelCloudBtn");
    const bool opened = bench.open();
    widget<QLineEdit>(window, "productIDLineEdit")->setText(QStringLiteral("P1"));
    widget<QLineEdit>(window, "deviceNameLineEdit")->setText(QStringLiteral("D1"));
    widget<QLineEdit>(window, "deviceSecretLineEdit")->setText(QStringLiteral("S1"));
    widget<QPushButton>(window, "set_dev_conf_btn")->click();
    bool ready = opened && waitFor([&] { return cloud->isEnabled(); }, kStepTimeoutMs);
    if (ready) {
        cloud->click();
        ready = waitFor([&] { return cloud->isChecked(); }, kStepTimeoutMs);
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
        return 1;
    }

    // One at a time: the time from publishing to the line in the console.
    std::vector<qint64> latencies;
    QElapsedTimer clock;
    for (int number = 1; number <= messages; ++number) {
        const QByteArray payload = "m" + QByteArray::number(number);
        clock.start();
        publisher.publish(kTopic, payload, 0);
        if (!waitForConsoleLine(console, receivedLine(number), kStepTimeoutMs))
            break;
        latencies.push_back(clock.nsecsElapsed());
    }
    // All at once: how many a second reach the console.
    const int base = messages;
    clock.start();
    for (int number = 1; number <= messages; ++number)
        publisher.publish(kTopic, "m" + QByteArray::number(base + number), 0);
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
    return complete ? 0 : 1;
}

} // namespace atlume::bench
