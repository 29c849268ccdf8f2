// The cloud controls against a real broker: the window, the simulated module
// with its MQTT client, and a Mosquitto of the test's own with a client of
// the test's own at the far end.

#include "broker.h"
#include "testsupport.h"
#include "waitfor.h"
#include "windowsupport.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>

#include <memory>

using atlume::support::Broker;
using atlume::support::MqttClient;

namespace {
constexpr int kTimeoutMs = 15000;
const QByteArray kTopic("P1/D1/data");
} // namespace

class TestMqttBroker : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void showsWhatTheBrokerDelivers();
    void showsEachMessageAsARow_data();
    void showsEachMessageAsARow();
    void publishesTheExactBytes_data();
    void publishesTheExactBytes();
    void followsTheBrokerGoingAndComingBack();

private:
    MainWindow &window() { return bench->window; }
    template <class T> T *get(const char *name) { return widget<T>(window(), name); }
    void click(const char *name) { QTest::mouseClick(get<QPushButton>(name), Qt::LeftButton); }
    // Runs one topic command from the window and waits for the module's answer.
    void sendInMode(const char *modeButton, const QString &message, int qos);

    std::unique_ptr<Broker> broker;
    std::unique_ptr<ModuleBench> bench;
    std::unique_ptr<MqttClient> client;
};

void TestMqttBroker::initTestCase()
{
    QVERIFY2(!Broker::program().isEmpty(), "mosquitto is not installed (tools/install-deps.sh)");
    broker = std::make_unique<Broker>();
    QVERIFY(broker->start());
    client = std::make_unique<MqttClient>(broker->port);
    QVERIFY(client->waitConnected());

    bench = std::make_unique<ModuleBench>();
    atlume::BrokerOptions options;
    options.host = QStringLiteral("127.0.0.1");
    options.port = broker->port;
    bench->module.setBroker(options);
    bench->module.setWifiJoined(true);
    QVERIFY(bench->open());
    QTRY_VERIFY_WITH_TIMEOUT(get<QPushButton>("connectNimbrelCloudBtn")->isEnabled(), kTimeoutMs);

    get<QLineEdit>("productIDLineEdit")->setText("P1");
    get<QLineEdit>("deviceNameLineEdit")->setText("D1");
    get<QLineEdit>("deviceSecretLineEdit")->setText("S1");
    click("set_dev_conf_btn");
    click("connectNimbrelCloudBtn");
    QTRY_VERIFY_WITH_TIMEOUT(get<QPushButton>("connectNimbrelCloudBtn")->isChecked(), kTimeoutMs);
    QVERIFY(consoleText(window()).contains("\n+KQMQTTCONN:OK"));
}

void TestMqttBroker::cleanupTestCase()
{
    bench.reset();
    client.reset();
    broker.reset();
}

void TestMqttBroker::sendInMode(const char *modeButton, const QString &message, int qos)
{
    if (!get<QPushButton>(modeButton)->isChecked())
        click(modeButton);
    get<QLineEdit>("topicLineEdit")->setText(QString::fromUtf8(kTopic));
    get<QComboBox>("qosComboBox")->setCurrentIndex(qos);
    // Typing is for the publish modes; the others keep the box disabled.
    if (!message.isEmpty())
        get<QPlainTextEdit>("orderPlainTextEdit")->setPlainText(message);
    get<QTextBrowser>("textBrowser")->clear();
    click("sendBtn");
    // The module says OK once the broker has acknowledged.
    QTRY_VERIFY2_WITH_TIMEOUT(consoleText(window()).trimmed().endsWith("OK"),
                              qPrintable(consoleText(window())), kTimeoutMs);
}

void TestMqttBroker::showsWhatTheBrokerDelivers()
{
    sendInMode("subTopicBtn", QString(), 1);
    const QByteArray message = "t=25,h=\"60\" 温度\r\nnext";
    QVERIFY(client->publish(kTopic, message));
    QTRY_VERIFY_WITH_TIMEOUT(
        consoleText(window()).trimmed().endsWith(
            QString::fromUtf8("\n+KQMQTTRECV:\"P1/D1/data\",1,\"t=25\\,h=\\\"60\\\" 温度 next\"")),
        kTimeoutMs);
    sendInMode("unsubTopicBtn", QString(), 0);
}

void TestMqttBroker::showsEachMessageAsARow_data()
{
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<QString>("shown");
    QTest::newRow("JSON, escaped on its line")
        << QByteArray("{\"t\":25,\"h\":\"60\"}")
        << QStringLiteral("{\n    \"h\": \"60\",\n    \"t\": 25\n}\n");
    // Longer than a line of the module holds: every byte comes as it was.
    const QByteArray tail(2000, 'x');
    QTest::newRow("long, line breaks kept") << "a, \"b\"\r\n" + tail + "\n"
                                            << QStringLiteral("a, \"b\"\n") + tail + "\n";
}

void TestMqttBroker::showsEachMessageAsARow()
{
    QFETCH(QByteArray, payload);
    QFETCH(QString, shown);
    window().findChild<QAction *>(QStringLiteral("consoleCloudMessagesAction"))->setChecked(true);
    auto *table = get<QTableView>("cloudMessagesView");
    const int row = table->model()->rowCount();
    sendInMode("subTopicBtn", QString(), 1);
    QVERIFY(client->publish(kTopic, payload));
    const bool arrived =
        atlume::support::waitFor([&] { return table->model()->rowCount() > row; }, kTimeoutMs);
    sendInMode("unsubTopicBtn", QString(), 0);

    QVERIFY(arrived);
    QCOMPARE(table->model()->rowCount(), row + 1);
    QCOMPARE(table->model()->index(row, 1).data().toString(), QString::fromUtf8(kTopic));
    QCOMPARE(table->model()->index(row, 2).data().toString(), QStringLiteral("1"));
    table->selectRow(row);
    QCOMPARE(get<QPlainTextEdit>("cloudMessagePayload")->toPlainText(), shown);
}

void TestMqttBroker::publishesTheExactBytes_data()
{
    QTest::addColumn<QByteArray>("modeButton");
    QTest::addColumn<int>("qos");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QByteArray>("received");

    const QString text = QString::fromUtf8("a,b \"c\" 湿度=60%");
    const QByteArray bytes = text.toUtf8();
    QTest::newRow("short, qos 0") << QByteArray("releaseTopicMsgBtn") << 0 << text << bytes;
    QTest::newRow("short, qos 1") << QByteArray("releaseTopicMsgBtn") << 1 << text << bytes;
    QTest::newRow("long, qos 0") << QByteArray("releaseTopicLongMsgBtn") << 0 << text << bytes;
    QTest::newRow("long, qos 1") << QByteArray("releaseTopicLongMsgBtn") << 1 << text << bytes;
    QTest::newRow("line break becomes a blank")
        << QByteArray("releaseTopicMsgBtn") << 1 << QStringLiteral("x\ny") << QByteArray("x y");
}

void TestMqttBroker::publishesTheExactBytes()
{
    QFETCH(QByteArray, modeButton);
    QFETCH(int, qos);
    QFETCH(QString, message);
    QFETCH(QByteArray, received);

    QVERIFY(client->subscribe(kTopic));
    const int before = client->received().size();
    sendInMode(modeButton.constData(), message, qos);
    QTRY_VERIFY_WITH_TIMEOUT(client->received().size() > before, kTimeoutMs);
    QCOMPARE(client->received().size(), before + 1);
    QCOMPARE(client->received().last().first, QString::fromUtf8(kTopic));
    QCOMPARE(client->received().last().second, received);
}

void TestMqttBroker::followsTheBrokerGoingAndComingBack()
{
    auto *cloud = get<QPushButton>("connectNimbrelCloudBtn");
    QVERIFY(cloud->isChecked());
    get<QTextBrowser>("textBrowser")->clear();

    broker->stop();
    QTRY_VERIFY_WITH_TIMEOUT(!cloud->isChecked(), kTimeoutMs);
    QVERIFY(consoleText(window()).contains("+KQMQTTDISCON"));
    QVERIFY(!get<QPushButton>("subTopicBtn")->isEnabled());

    // The connect line asked for reconnection (the form's default).
    QVERIFY(broker->start());
    QTRY_VERIFY_WITH_TIMEOUT(cloud->isChecked(), kTimeoutMs);
    QVERIFY(consoleText(window()).contains("\n+KQMQTTRECONNECTED"));
    QVERIFY(get<QPushButton>("subTopicBtn")->isEnabled());
}

QTEST_MAIN(TestMqttBroker)
#include "tst_mqttbroker.moc"
