// What the cloud controls put on the wire, read back from the simulated
// module at the other end of a pseudo-terminal.

#include "testsupport.h"
#include "windowsupport.h"

#include "buttoncombobox.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTextBrowser>

#include <memory>

using atlume::FakeModule;

namespace {

const QString kMissingIdentity = QString::fromUtf8("请先在'设备信息参数'处完善设备信息");
const QString kConnectCloud = QString::fromUtf8("连接Nimbrel云");
const QString kDisconnectCloud = QString::fromUtf8("断开Nimbrel云");
const QString kRule(38, QLatin1Char('"'));

int sentCounter(const MainWindow &window)
{
    static const QRegularExpression label(QString::fromUtf8("^已发送信息[：:] ?(\\d+)条$"));
    const auto match = label.match(widget<QLabel>(window, "orderHasSendLabel")->text());
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

} // namespace

class TestCloudCommands : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();
    void sendsTheDeviceIdentityOnlyWhenComplete_data();
    void sendsTheDeviceIdentityOnlyWhenComplete();
    void connectsWithTheFormsMqttParameters_data();
    void connectsWithTheFormsMqttParameters();
    void disconnectsAndUndoesTheClicksOwnToggle();
    void sendsTheLineOfEachTopicMode_data();
    void sendsTheLineOfEachTopicMode();
    void publishesALongMessageAsHeaderAndBody_data();
    void publishesALongMessageAsHeaderAndBody();
    void blankMessageSendsNothing_data();
    void blankMessageSendsNothing();
    void offersATopicBuiltFromTheIdentity_data();
    void offersATopicBuiltFromTheIdentity();
    void followsAModuleAlreadyOnline();

private:
    MainWindow &window() { return bench->window; }
    FakeModule &module() { return bench->module; }
    atlume::support::ModuleRecorder &received() { return bench->received; }
    template <class T> T *get(const char *name) { return widget<T>(window(), name); }
    void click(const char *name) { QTest::mouseClick(get<QPushButton>(name), Qt::LeftButton); }
    void emitReply(DEVICE_SIGNAL signal) { emit window().device_return_signal(signal); }

    std::unique_ptr<ModuleBench> bench;
};

void TestCloudCommands::initTestCase()
{
    qRegisterMetaType<DEVICE_SIGNAL>("DEVICE_SIGNAL");
    bench = std::make_unique<ModuleBench>();
    QVERIFY(bench->open());
    QVERIFY(atlume::support::waitForDrained(module(), 2000));
    QTRY_VERIFY(consoleText(window()).contains("+KQMQTTSTATE:0"));
}

// Each test starts with Wi-Fi and MQTT down as the window sees them, in
// AT-command mode, with empty fields and a quiet module.
void TestCloudCommands::init()
{
    if (!bench)
        return;
    QVERIFY(atlume::support::waitForDrained(module(), 3000));
    module().setReplyDelay(0);
    module().setWifiJoined(false);
    module().setMqttConnected(false);
    emitReply(MQTT_DISCONNECTED);
    emitReply(WIFI_DISCONNECTED);
    for (const char *name :
         {"productIDLineEdit", "deviceNameLineEdit", "deviceSecretLineEdit", "topicLineEdit"})
        get<QLineEdit>(name)->clear();
    get<QPlainTextEdit>("orderPlainTextEdit")->clear();
    get<QComboBox>("qosComboBox")->setCurrentIndex(0);
    get<QTextBrowser>("textBrowser")->clear();
    received().clear();
}

void TestCloudCommands::cleanupTestCase()
{
    bench.reset();
}

void TestCloudCommands::sendsTheDeviceIdentityOnlyWhenComplete_data()
{
    QTest::addColumn<QString>("product");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("secret");
    QTest::addColumn<QByteArray>("line"); // empty: nothing may be sent

    QTest::newRow("one letter each") << "a"
                                     << "b"
                                     << "c" << QByteArray("AT+KQDEVINFOSET=1,\"a\",\"b\",\"c\"");
    QTest::newRow("name of three blanks")
        << "P1"
        << "   "
        << "S1" << QByteArray("AT+KQDEVINFOSET=1,\"P1\",\"   \",\"S1\"");
    QTest::newRow("chinese as utf-8")
        << QString::fromUtf8("产品") << QString::fromUtf8("设备") << "k"
        << QByteArray("AT+KQDEVINFOSET=1,\"\xE4\xBA\xA7\xE5\x93\x81\",\"\xE8\xAE\xBE\xE5\xA4\x87\","
                      "\"k\"");
    QTest::newRow("values verbatim")
        << "p\"1"
        << "n,1"
        << " s\\1 " << QByteArray("AT+KQDEVINFOSET=1,\"p\"1\",\"n,1\",\" s\\1 \"");
    QTest::newRow("product missing") << ""
                                     << "b"
                                     << "c" << QByteArray();
    QTest::newRow("name missing") << "a"
                                  << ""
                                  << "c" << QByteArray();
    QTest::newRow("secret missing") << "a"
                                    << "b"
                                    << "" << QByteArray();
    QTest::newRow("all missing") << ""
                                 << ""
                                 << "" << QByteArray();
}

void TestCloudCommands::sendsTheDeviceIdentityOnlyWhenComplete()
{
    QFETCH(QString, product);
    QFETCH(QString, name);
    QFETCH(QString, secret);
    QFETCH(QByteArray, line);

    get<QLineEdit>("productIDLineEdit")->setText(product);
    get<QLineEdit>("deviceNameLineEdit")->setText(name);
    get<QLineEdit>("deviceSecretLineEdit")->setText(secret);
    const int counter = sentCounter(window());
    QVERIFY(counter >= 2);
    QVERIFY(get<QPushButton>("set_dev_conf_btn")->isEnabled());
    click("set_dev_conf_btn");

    if (line.isEmpty()) {
        QCOMPARE(consoleText(window()), kMissingIdentity);
        QCOMPARE(sentCounter(window()), counter);
        QVERIFY(!received().waitForLines(1, 300));
        QCOMPARE(received().bytes(), QByteArray());
        return;
    }
    QCOMPARE(received().bytes(), line + "\r\n");
    QCOMPARE(sentCounter(window()), counter + 1);
    QVERIFY(!consoleText(window()).contains(kMissingIdentity));
    if (QTest::currentDataTag() == QByteArray("one letter each"))
        QCOMPARE(line.size(), 29);
    if (!product.contains('"') && !name.contains('"')) {
        QTRY_VERIFY(module().deviceIdentity());
        QCOMPARE(module().deviceIdentity()->productId, product);
        QCOMPARE(module().deviceIdentity()->deviceName, name);
        QCOMPARE(module().deviceIdentity()->deviceSecret, secret);
    }
}

void TestCloudCommands::connectsWithTheFormsMqttParameters_data()
{
    QTest::addColumn<bool>("formDefaults");
    QTest::addColumn<bool>("moduleReady");
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QVector<int>>("params");

    QTest::newRow("form defaults") << true << true << QByteArray("AT+KQMQTTCONN=1,5000,240,0,1")
                                   << QVector<int>{1, 5000, 240, 0, 1};
    QTest::newRow("module refuses") << true << false << QByteArray("AT+KQMQTTCONN=1,5000,240,0,1")
                                    << QVector<int>{1, 5000, 240, 0, 1};
    QTest::newRow("changed values") << false << true << QByteArray("AT+KQMQTTCONN=1,1000,690,1,0")
                                    << QVector<int>{1, 1000, 690, 1, 0};
}

void TestCloudCommands::connectsWithTheFormsMqttParameters()
{
    QFETCH(bool, formDefaults);
    QFETCH(bool, moduleReady);
    QFETCH(QByteArray, line);
    QFETCH(QVector<int>, params);

    auto *timeout = get<QSpinBox>("cmdtimeout_spinbox");
    auto *keepAlive = get<QSpinBox>("keepalive_spinbox");
    auto *clean = get<QComboBox>("clean_session_combobox");
    auto *reconnect = get<QComboBox>("reconnect_combobox");
    if (formDefaults) {
        QCOMPARE(timeout->value(), 5000);
        QCOMPARE(keepAlive->value(), 240);
        QCOMPARE(clean->currentIndex(), 0);
        QCOMPARE(reconnect->currentIndex(), 1);
        QCOMPARE(get<QComboBox>("tlsmode_combobox")->currentIndex(), 1);
    } else {
        timeout->setValue(1000);
        keepAlive->setValue(690);
        clean->setCurrentText(QString::fromUtf8("清除"));
        reconnect->setCurrentText(QString::fromUtf8("不自动重连"));
        QCOMPARE(clean->currentIndex(), 1);
        QCOMPARE(reconnect->currentIndex(), 0);
    }

    module().setWifiJoined(moduleReady);
    module().setDeviceIdentity({"P1", "D1", "S1"});
    // The answer comes after the one-second pause of the send.
    module().setReplyDelay(1500);
    emitReply(WIFI_CONNECTED);
    auto *cloud = get<QPushButton>("connectNimbrelCloudBtn");
    QVERIFY(cloud->isEnabled());
    QVERIFY(!cloud->isChecked());

    click("connectNimbrelCloudBtn");
    QCOMPARE(received().bytes(), line + "\r\n");
    QVERIFY(!cloud->isChecked());
    QCOMPARE(cloud->text(), kConnectCloud);

    if (moduleReady) {
        QTRY_VERIFY(cloud->isChecked());
        QCOMPARE(cloud->text(), kDisconnectCloud);
        QCOMPARE(module().mqttParameters(), params);
    } else {
        QTRY_VERIFY(consoleText(window()).contains("+KQMQTTCONN:FAIL"));
        QVERIFY(!cloud->isChecked());
        QCOMPARE(cloud->text(), kConnectCloud);
        QVERIFY(get<QWidget>("productIDLineEdit")->isEnabled());
    }
}

void TestCloudCommands::disconnectsAndUndoesTheClicksOwnToggle()
{
    module().setWifiJoined(true);
    module().setMqttConnected(true);
    module().setReplyDelay(1500);
    emitReply(WIFI_CONNECTED);
    emitReply(MQTT_CONNECTED);
    auto *cloud = get<QPushButton>("connectNimbrelCloudBtn");
    QVERIFY(cloud->isChecked());
    QCOMPARE(cloud->text(), kDisconnectCloud);
    QSignalSpy toggles(cloud, &QPushButton::toggled);

    click("connectNimbrelCloudBtn");
    QCOMPARE(received().bytes(), QByteArray("AT+KQMQTTDISCONN\r\n"));
    // The click's own toggle was undone at once.
    QCOMPARE(toggles.count(), 2);
    QVERIFY(cloud->isChecked());
    QCOMPARE(cloud->text(), kDisconnectCloud);

    QTRY_VERIFY(!cloud->isChecked());
    QCOMPARE(cloud->text(), kConnectCloud);
    QVERIFY(consoleText(window()).contains("+KQMQTTDISCON"));
    QVERIFY(!module().mqttConnected());
}

void TestCloudCommands::sendsTheLineOfEachTopicMode_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("topic");
    QTest::addColumn<int>("qos");
    QTest::addColumn<QString>("box");
    QTest::addColumn<QByteArray>("line");

    QTest::newRow("subscribe") << "subTopicBtn"
                               << "P1/D1/data" << 1 << ""
                               << QByteArray("AT+KQMQTTSUB=\"P1/D1/data\",1");
    QTest::newRow("subscribe, empty topic") << "subTopicBtn"
                                            << "" << 0 << "" << QByteArray("AT+KQMQTTSUB=\"\",0");
    QTest::newRow("subscribe ignores the box")
        << "subTopicBtn"
        << "t/x" << 0 << "hello" << QByteArray("AT+KQMQTTSUB=\"t/x\",0");
    QTest::newRow("unsubscribe sends no qos")
        << "unsubTopicBtn"
        << "P1/D1/data" << 1 << "" << QByteArray("AT+KQMQTTUNSUB=\"P1/D1/data\"");
    QTest::newRow("unsubscribe, empty topic") << "unsubTopicBtn"
                                              << "" << 0 << "" << QByteArray("AT+KQMQTTUNSUB=\"\"");
    QTest::newRow("publish") << "releaseTopicMsgBtn"
                             << "t" << 0 << "hello" << QByteArray("AT+KQMQTTPUB=\"t\",0,\"hello\"");
    QTest::newRow("publish escapes quote and comma")
        << "releaseTopicMsgBtn"
        << "t" << 1 << "a,b\"c" << QByteArray("AT+KQMQTTPUB=\"t\",1,\"a\\,b\\\"c\"");
    QTest::newRow("publish two lines as one")
        << "releaseTopicMsgBtn"
        << "t" << 0 << "hello\nworld" << QByteArray("AT+KQMQTTPUB=\"t\",0,\"hello world\"");
    QTest::newRow("publish keeps empty lines as blanks")
        << "releaseTopicMsgBtn"
        << "t" << 0 << "a\n\nb" << QByteArray("AT+KQMQTTPUB=\"t\",0,\"a  b\"");
    QTest::newRow("publish backslash not doubled")
        << "releaseTopicMsgBtn"
        << "t" << 0 << "a\\b" << QByteArray("AT+KQMQTTPUB=\"t\",0,\"a\\b\"");
    QTest::newRow("publish topic not escaped")
        << "releaseTopicMsgBtn"
        << "a,b" << 0 << "x" << QByteArray("AT+KQMQTTPUB=\"a,b\",0,\"x\"");
    QTest::newRow("publish chinese")
        << "releaseTopicMsgBtn"
        << "t" << 1 << QString::fromUtf8("温度,高")
        << QByteArray("AT+KQMQTTPUB=\"t\",1,\"\xE6\xB8\xA9\xE5\xBA\xA6\\,\xE9\xAB\x98\"");
}

void TestCloudCommands::sendsTheLineOfEachTopicMode()
{
    QFETCH(QString, button);
    QFETCH(QString, topic);
    QFETCH(int, qos);
    QFETCH(QString, box);
    QFETCH(QByteArray, line);

    emitReply(WIFI_CONNECTED);
    emitReply(MQTT_CONNECTED);
    get<QPlainTextEdit>("orderPlainTextEdit")->setPlainText(box);
    click(button.toLatin1().constData());
    get<QLineEdit>("topicLineEdit")->setText(topic);
    get<QComboBox>("qosComboBox")->setCurrentIndex(qos);
    const int counter = sentCounter(window());

    auto *send = get<QPushButton>("sendBtn");
    QVERIFY(send->isEnabled());
    QTest::mouseClick(send, Qt::LeftButton);
    QCOMPARE(received().bytes(), line + "\r\n");
    QCOMPARE(sentCounter(window()), counter + 1);
    // The box keeps what was typed.
    QCOMPARE(get<QPlainTextEdit>("orderPlainTextEdit")->toPlainText(), box);
}

void TestCloudCommands::publishesALongMessageAsHeaderAndBody_data()
{
    QTest::addColumn<int>("qos");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QByteArray>("escaped"); // the second line
    QTest::addColumn<int>("length");
    QTest::addColumn<QString>("shown"); // in the console, between the rules

    QTest::newRow("four ascii characters") << 0 << "abcd" << QByteArray("abcd") << 4 << "abcd";
    QTest::newRow("comma counts its backslash")
        << 1 << "ab,c" << QByteArray("ab\\,c") << 5 << "ab\\,c";
    QTest::newRow("line breaks") << 0 << "say \"hi\"\nbye" << QByteArray("say \\\"hi\\\" bye") << 14
                                 << "say \\\"hi\\\"\nbye";
    // 18 UTF-8 bytes in 10 characters: the module must take the whole message.
    QTest::newRow("chinese") << 1 << QString::fromUtf8("温度:25℃,\n好")
                             << QByteArray(
                                    "\xE6\xB8\xA9\xE5\xBA\xA6:25\xE2\x84\x83\\, \xE5\xA5\xBD")
                             << 18 << QString::fromUtf8("温度:25℃\\,\n好");
    // The console shows the user's message as typed, never as markup.
    QTest::newRow("looks like markup")
        << 0 << "<b>hot</b>\n<i>dry</i>" << QByteArray("<b>hot</b> <i>dry</i>") << 21
        << "<b>hot</b>\n<i>dry</i>";
}

void TestCloudCommands::publishesALongMessageAsHeaderAndBody()
{
    QFETCH(int, qos);
    QFETCH(QString, message);
    QFETCH(QByteArray, escaped);
    QFETCH(int, length);
    QFETCH(QString, shown);
    QCOMPARE(escaped.size(), length);

    emitReply(WIFI_CONNECTED);
    emitReply(MQTT_CONNECTED);
    get<QPlainTextEdit>("orderPlainTextEdit")->setPlainText(message);
    click("releaseTopicLongMsgBtn");
    QCOMPARE(get<QLineEdit>("topicLineEdit")->text(), QStringLiteral("//"));
    get<QLineEdit>("topicLineEdit")->setText("P1/D1/long");
    get<QComboBox>("qosComboBox")->setCurrentIndex(qos);
    const int counter = sentCounter(window());
    const int publishedBefore = module().publications().size();
    const qint64 clickedAt = received().elapsedMsecs();

    QTest::mouseClick(get<QPushButton>("sendBtn"), Qt::LeftButton);

    const QByteArray header = "AT+KQMQTTPUBL=\"P1/D1/long\"," + QByteArray::number(qos) + "," +
                              QByteArray::number(length);
    QCOMPARE(received().lineBytes(), (QList<QByteArray>{header, escaped}));
    QCOMPARE(received().bytes(), wire({header, escaped}));
    QCOMPARE(sentCounter(window()), counter + 2);
    const auto &lines = received().lines();
    // The module stamps a line when it reads it, a few milliseconds after the
    // write at worst; the first line is written as the click arrives.
    QVERIFY2(lines[1].msecs - clickedAt >= 1000,
             qPrintable(QString::number(lines[1].msecs - clickedAt)));
    QVERIFY2(lines[1].msecs - lines[0].msecs >= 950,
             qPrintable(QString::number(lines[1].msecs - lines[0].msecs)));

    QCOMPARE(module().publications().size(), publishedBefore + 1);
    const atlume::Publication &publication = module().publications().last();
    QVERIFY(publication.longForm);
    QCOMPARE(publication.topic, QStringLiteral("P1/D1/long"));
    QCOMPARE(publication.qos, qos);
    QCOMPARE(publication.message, escaped);

    // The block between the two lines: after the module's answer to the
    // first, before its answer to the second.
    const QString text = consoleText(window());
    const QString block = "\n" + kRule + "\nThe long message: \n" + shown + "\n" + kRule;
    QVERIFY2(text.count(block) == 1, qPrintable(text));
    const int blockAt = text.indexOf(block);
    QVERIFY(text.lastIndexOf(">", blockAt) > text.indexOf(QString::fromUtf8(header)));
    QVERIFY(text.indexOf("OK", blockAt + block.size()) > 0);
    QCOMPARE(get<QPlainTextEdit>("orderPlainTextEdit")->toPlainText(), message);
}

void TestCloudCommands::blankMessageSendsNothing_data()
{
    QTest::addColumn<QString>("button");
    QTest::newRow("publish") << "releaseTopicMsgBtn";
    QTest::newRow("publish long") << "releaseTopicLongMsgBtn";
}

void TestCloudCommands::blankMessageSendsNothing()
{
    QFETCH(QString, button);
    emitReply(WIFI_CONNECTED);
    emitReply(MQTT_CONNECTED);
    auto *box = get<QPlainTextEdit>("orderPlainTextEdit");
    box->setPlainText(" \n \n\t");
    click(button.toLatin1().constData());
    QVERIFY(get<QLineEdit>("topicLineEdit")->hasFocus());
    const int counter = sentCounter(window());

    auto *send = get<QPushButton>("sendBtn");
    QVERIFY(send->isEnabled());
    QTest::mouseClick(send, Qt::LeftButton);
    QCOMPARE(box->toPlainText(), QString());
    QVERIFY(box->hasFocus());
    QVERIFY(!send->isEnabled());
    QVERIFY(!received().waitForLines(1, 300));
    QCOMPARE(received().bytes(), QByteArray());
    QCOMPARE(sentCounter(window()), counter);
    QCOMPARE(consoleText(window()), QString());
}

void TestCloudCommands::offersATopicBuiltFromTheIdentity_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("product");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("topicBefore");
    QTest::addColumn<QString>("topicAfter");

    for (const char *button :
         {"subTopicBtn", "unsubTopicBtn", "releaseTopicMsgBtn", "releaseTopicLongMsgBtn"}) {
        QTest::addRow("%s, identity", button) << button << "P1"
                                              << "D1"
                                              << ""
                                              << "P1/D1/";
        QTest::addRow("%s, no identity", button) << button << ""
                                                 << ""
                                                 << ""
                                                 << "//";
        QTest::addRow("%s, topic kept", button) << button << "P1"
                                                << "D1"
                                                << "mine"
                                                << "mine";
    }
}

void TestCloudCommands::offersATopicBuiltFromTheIdentity()
{
    QFETCH(QString, button);
    QFETCH(QString, product);
    QFETCH(QString, name);
    QFETCH(QString, topicBefore);
    QFETCH(QString, topicAfter);

    get<QLineEdit>("productIDLineEdit")->setText(product);
    get<QLineEdit>("deviceNameLineEdit")->setText(name);
    get<QLineEdit>("topicLineEdit")->setText(topicBefore);
    emitReply(WIFI_CONNECTED);
    emitReply(MQTT_CONNECTED);
    click(button.toLatin1().constData());
    QCOMPARE(get<QLineEdit>("topicLineEdit")->text(), topicAfter);
    QVERIFY(!get<QLineEdit>("topicLineEdit")->isHidden());
    QVERIFY(get<QLineEdit>("topicLineEdit")->hasFocus());
}

void TestCloudCommands::followsAModuleAlreadyOnline()
{
    // A window of its own, on a module that is on Wi-Fi and in the cloud.
    bench.reset();
    ModuleBench online;
    FakeModule &module = online.module;
    MainWindow &window = online.window;
    module.setWifiJoined(true);
    module.setMqttConnected(true);
    module.setDeviceIdentity({"P0", "D0", "S0"});
    auto *cloud = widget<QPushButton>(window, "connectNimbrelCloudBtn");
    auto *wifi = widget<ButtonCombobox>(window, "connect_wifi_btn");

    // The two status queries alone bring the controls to the module's state.
    QVERIFY(online.open());
    QTRY_VERIFY(cloud->isChecked());
    QCOMPARE(online.received.lineBytes(), (QList<QByteArray>{"AT+CIPSTATUS", "AT+KQMQTTSTATE?"}));
    QCOMPARE(cloud->text(), kDisconnectCloud);
    QVERIFY(cloud->isEnabled());
    QCOMPARE(wifi->currentIndex(), 0);
    QCOMPARE(wifi->currentText(), QString::fromUtf8("断开WiFi"));
    QVERIFY(!widget<QWidget>(window, "productIDLineEdit")->isEnabled());
    QVERIFY(!widget<QWidget>(window, "set_dev_conf_btn")->isEnabled());
    QVERIFY(!widget<QWidget>(window, "keepalive_spinbox")->isEnabled());
    for (const char *name :
         {"subTopicBtn", "unsubTopicBtn", "releaseTopicMsgBtn", "releaseTopicLongMsgBtn"})
        QVERIFY2(widget<QPushButton>(window, name)->isEnabled(), name);

    // Leave the cloud to change the identity, then come back.
    QTest::mouseClick(cloud, Qt::LeftButton);
    QTRY_VERIFY(!cloud->isChecked());
    QVERIFY(widget<QWidget>(window, "productIDLineEdit")->isEnabled());
    QVERIFY(widget<QWidget>(window, "keepalive_spinbox")->isEnabled());
    widget<QLineEdit>(window, "productIDLineEdit")->setText("P1");
    widget<QLineEdit>(window, "deviceNameLineEdit")->setText("D1");
    widget<QLineEdit>(window, "deviceSecretLineEdit")->setText("S1");
    QTest::mouseClick(widget<QPushButton>(window, "set_dev_conf_btn"), Qt::LeftButton);
    QVERIFY(module.deviceIdentity());
    QCOMPARE(module.deviceIdentity()->productId, QStringLiteral("P1"));
    QCOMPARE(module.deviceIdentity()->deviceName, QStringLiteral("D1"));
    QCOMPARE(module.deviceIdentity()->deviceSecret, QStringLiteral("S1"));

    QTest::mouseClick(cloud, Qt::LeftButton);
    QTRY_VERIFY(cloud->isChecked());
    QVERIFY(module.mqttConnected());
    QCOMPARE(module.mqttParameters(), (QVector<int>{1, 5000, 240, 0, 1}));

    QTest::mouseClick(widget<QPushButton>(window, "subTopicBtn"), Qt::LeftButton);
    QCOMPARE(widget<QLineEdit>(window, "topicLineEdit")->text(), QStringLiteral("P1/D1/"));
    widget<QLineEdit>(window, "topicLineEdit")->setText("P1/D1/get");
    QTest::mouseClick(widget<QPushButton>(window, "sendBtn"), Qt::LeftButton);
    QCOMPARE(module.subscriptions(), QStringList{"P1/D1/get"});

    QTest::mouseClick(widget<QPushButton>(window, "releaseTopicMsgBtn"), Qt::LeftButton);
    widget<QPlainTextEdit>(window, "orderPlainTextEdit")->setPlainText("t=25,h=\"60\"");
    widget<QLineEdit>(window, "topicLineEdit")->setText("P1/D1/update");
    QTest::mouseClick(widget<QPushButton>(window, "sendBtn"), Qt::LeftButton);
    QVERIFY(!module.publications().isEmpty());
    QCOMPARE(module.publications().last().topic, QStringLiteral("P1/D1/update"));
    QCOMPARE(module.publications().last().message, QByteArray("t=25\\,h=\\\"60\\\""));
    QCOMPARE(orderMode(window), 3);

    // The module loses the cloud on its own.
    module.dropMqtt();
    QTRY_VERIFY(!cloud->isChecked());
    QCOMPARE(cloud->text(), kConnectCloud);
    QVERIFY(cloud->isEnabled());
    QCOMPARE(orderMode(window), 0);
    QVERIFY(widget<QPushButton>(window, "ATorderModeBtn")->isChecked());
    QCOMPARE(widget<QPushButton>(window, "sendBtn")->text(), QString::fromUtf8("发送"));
    for (const char *name :
         {"subTopicBtn", "unsubTopicBtn", "releaseTopicMsgBtn", "releaseTopicLongMsgBtn"}) {
        QVERIFY2(!widget<QPushButton>(window, name)->isEnabled(), name);
        QVERIFY2(!widget<QPushButton>(window, name)->isChecked(), name);
    }
    QVERIFY(widget<QWidget>(window, "topicLineEdit")->isHidden());
    QVERIFY(widget<QWidget>(window, "productIDLineEdit")->isEnabled());
    QVERIFY(widget<QWidget>(window, "set_dev_conf_btn")->isEnabled());
}

QTEST_MAIN(TestCloudCommands)
#include "tst_cloudcommands.moc"
