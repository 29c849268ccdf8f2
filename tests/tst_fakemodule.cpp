#include "broker.h"
#include "fakemodule.h"
#include "linereceiver.h"
#include "modulerecorder.h"
#include "replyrecogniser.h"
#include "testsupport.h"

#include <QSerialPort>
#include <QtTest>

#include <cerrno>
#include <memory>

using atlume::DeviceIdentity;
using atlume::FakeModule;
using atlume::Provisioning;
using atlume::support::ModuleRecorder;

namespace {

constexpr int kTimeoutMs = 10000;

enum Setup { Plain = 0, Joined = 1, MqttUp = 2, Identity = 4 };

// The program's side of the line: a QSerialPort on the pseudo-terminal's
// slave, cutting what arrives into lines as the main window does.
class Terminal {
public:
    Terminal()
    {
        QObject::connect(&port, &QSerialPort::readyRead, &port, [this] {
            const QByteArray chunk = port.readAll();
            bytes += chunk;
            lines += receiver.feed(chunk);
        });
    }

    bool open(const QString &name)
    {
        port.setPortName(name);
        return port.open(QIODevice::ReadWrite);
    }

    void send(const QByteArray &data) { port.write(data); }

    QSerialPort port;
    atlume::LineReceiver receiver;
    QStringList lines;
    QByteArray bytes;
};

QStringList crlfLines(const QStringList &texts)
{
    QStringList lines;
    for (const QString &text : texts)
        lines.append(text + QStringLiteral("\r\n"));
    return lines;
}

} // namespace

class TestFakeModule : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void opensSlaveUnderTheseNames_data();
    void opensSlaveUnderTheseNames();
    void refusesSecondTerminalOnTheSamePort();

    void answersCommands_data();
    void answersCommands();
    void echoesEachLineBeforeAnswering_data();
    void echoesEachLineBeforeAnswering();
    void keepsWhatItWasTold();
    void echoCloudHandsBackSubscribedTopics_data();
    void echoCloudHandsBackSubscribedTopics();
    void brokerOutOfReachFailsTheConnect();
    void provisioningSucceedsInItsTime_data();
    void provisioningSucceedsInItsTime();
    void rejectsJoinWhenAsked();
    void sendsUnsolicitedReplies_data();
    void sendsUnsolicitedReplies();
    void passesBytesUnchangedBothWays();

    void readsLongMessageByByteCount_data();
    void readsLongMessageByByteCount();

    void recordsArrivalTimes();
    void delaysRepliesInOrder();
    void deliversLargeOutputComplete();
    void takesLargeInputComplete();

    void hangUpIsAnErrorOnTheTerminal_data();
    void hangUpIsAnErrorOnTheTerminal();
    void reopensAfterHangUp();

private:
    // Sends a line and waits for its "OK": everything before it has arrived.
    void awaitEverythingSentSoFar();

    std::unique_ptr<TempWorkDir> workDir;
    std::unique_ptr<FakeModule> module;
    std::unique_ptr<ModuleRecorder> recorder;
    std::unique_ptr<Terminal> terminal;
};

void TestFakeModule::initTestCase()
{
    workDir = std::make_unique<TempWorkDir>();
    qRegisterMetaType<QSerialPort::SerialPortError>();
}

void TestFakeModule::init()
{
    module = std::make_unique<FakeModule>();
    QVERIFY(module->open());
    QVERIFY(module->slavePath().startsWith(QLatin1String("/dev/pts/")));
    recorder = std::make_unique<ModuleRecorder>(*module);
    terminal = std::make_unique<Terminal>();
}

void TestFakeModule::cleanup()
{
    terminal.reset();
    recorder.reset();
    module.reset();
}

void TestFakeModule::awaitEverythingSentSoFar()
{
    const int before = terminal->lines.size();
    terminal->send("AT\r\n");
    QTRY_VERIFY_WITH_TIMEOUT(terminal->lines.size() > before, kTimeoutMs);
    QCOMPARE(terminal->lines.last(), QStringLiteral("OK\r\n"));
    terminal->lines.removeLast();
}

void TestFakeModule::opensSlaveUnderTheseNames_data()
{
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<bool>("opens");

    // QSerialPort keeps a name that begins with "/" as it is and puts
    // "/dev/" before any other; portName() drops the "/dev/" again.
    QTest::newRow("full path") << QString() << true;
    QTest::newRow("below /dev") << QStringLiteral("pts/") << true;
    QTest::newRow("number alone") << QStringLiteral("number") << false;
}

void TestFakeModule::opensSlaveUnderTheseNames()
{
    QFETCH(QString, prefix);
    QFETCH(bool, opens);

    const QString path = module->slavePath();
    const QString number = path.mid(QStringLiteral("/dev/pts/").size());
    QString name = path;
    if (prefix == QLatin1String("pts/"))
        name = prefix + number;
    else if (!prefix.isEmpty())
        name = number;

    QCOMPARE(terminal->open(name), opens);
    if (!opens) {
        QCOMPARE(terminal->port.error(), QSerialPort::DeviceNotFoundError);
        return;
    }
    QCOMPARE(terminal->port.error(), QSerialPort::NoError);
    QCOMPARE(terminal->port.portName(), QStringLiteral("pts/") + number);
    awaitEverythingSentSoFar();
    QCOMPARE(recorder->lineBytes(), QList<QByteArray>{"AT"});
}

void TestFakeModule::refusesSecondTerminalOnTheSamePort()
{
    QVERIFY(terminal->open(module->slavePath()));
    Terminal second;
    QVERIFY(!second.open(module->slavePath()));
    QCOMPARE(second.port.error(), QSerialPort::PermissionError);
    terminal->port.close();
    QVERIFY(second.open(module->slavePath()));
}

void TestFakeModule::answersCommands_data()
{
    QTest::addColumn<int>("setup");
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QStringList>("replies");

    const QStringList ok{"OK"};
    QTest::newRow("attention") << int(Plain) << QByteArray("AT") << ok;
    QTest::newRow("status joined")
        << int(Joined) << QByteArray("AT+CIPSTATUS") << QStringList{"STATUS:2", "OK"};
    QTest::newRow("status not joined")
        << int(Plain) << QByteArray("AT+CIPSTATUS") << QStringList{"STATUS:5", "OK"};
    QTest::newRow("mqtt state up") << int(Joined | MqttUp) << QByteArray("AT+KQMQTTSTATE?")
                                   << QStringList{"+KQMQTTSTATE:1", "OK"};
    QTest::newRow("mqtt state down")
        << int(Joined) << QByteArray("AT+KQMQTTSTATE?") << QStringList{"+KQMQTTSTATE:0", "OK"};
    QTest::newRow("device identity")
        << int(Plain) << QByteArray("AT+KQDEVINFOSET=1,\"P\",\"N\",\"S\"") << ok;
    QTest::newRow("station mode") << int(Plain) << QByteArray("AT+CWMODE=1") << ok;
    QTest::newRow("join") << int(Plain) << QByteArray("AT+CWJAP=\"home\",\"12345678\"")
                          << QStringList{"WIFI CONNECTED", "WIFI GOT IP", "OK"};
    QTest::newRow("leave joined") << int(Joined) << QByteArray("AT+CWQAP")
                                  << QStringList{"OK", "WIFI DISCONNECT"};
    QTest::newRow("leave not joined") << int(Plain) << QByteArray("AT+CWQAP") << ok;
    QTest::newRow("start smartconfig")
        << int(Plain) << QByteArray("AT+KQSTARTSMART") << QStringList{"+KQSTARTSMART:OK"};
    QTest::newRow("stop smartconfig") << int(Plain) << QByteArray("AT+KQSTOPSMART")
                                      << QStringList{"AT+KQSTOPSMART: CMD TO STOP SMARTCONFIG"};
    QTest::newRow("start softap") << int(Plain) << QByteArray("AT+KQSAP=\"dev\",\"pass\"")
                                  << QStringList{"+KQSAP:OK"};
    QTest::newRow("stop softap") << int(Plain) << QByteArray("AT+KQSTOPSAP")
                                 << QStringList{"AT+KQSTOPSAP: CMD TO STOP SOFTAP"};
    QTest::newRow("mqtt connect") << int(Joined | Identity)
                                  << QByteArray("AT+KQMQTTCONN=1,5000,240,0,1")
                                  << QStringList{"+KQMQTTCONN:OK"};
    QTest::newRow("mqtt connect without identity")
        << int(Joined) << QByteArray("AT+KQMQTTCONN=1,5000,240,0,1")
        << QStringList{"+KQMQTTCONN:FAIL"};
    QTest::newRow("mqtt connect without wifi")
        << int(Identity) << QByteArray("AT+KQMQTTCONN=1,5000,240,0,1")
        << QStringList{"+KQMQTTCONN:FAIL"};
    QTest::newRow("mqtt disconnect")
        << int(Joined | MqttUp | Identity) << QByteArray("AT+KQMQTTDISCONN")
        << QStringList{"+KQMQTTDISCON"};
    QTest::newRow("subscribe") << int(Joined | MqttUp)
                               << QByteArray("AT+KQMQTTSUB=\"P1/D1/data\",1") << ok;
    QTest::newRow("unsubscribe") << int(Joined | MqttUp)
                                 << QByteArray("AT+KQMQTTUNSUB=\"P1/D1/data\"") << ok;
    QTest::newRow("publish") << int(Joined | MqttUp)
                             << QByteArray("AT+KQMQTTPUB=\"P1/D1/\",0,\"a\\,b\\\"c\"") << ok;
    QTest::newRow("unknown") << int(Plain) << QByteArray("AT+GMR") << QStringList{"ERROR"};
    QTest::newRow("lower case") << int(Plain) << QByteArray("at") << QStringList{"ERROR"};
    QTest::newRow("join without password")
        << int(Plain) << QByteArray("AT+CWJAP=\"home\"") << QStringList{"ERROR"};
    QTest::newRow("lone lf does not end a command")
        << int(Plain) << QByteArray("AT\nAT") << QStringList{"ERROR"};
}

void TestFakeModule::answersCommands()
{
    QFETCH(int, setup);
    QFETCH(QByteArray, command);
    QFETCH(QStringList, replies);

    module->setEcho(false);
    module->setWifiJoined(setup & Joined);
    module->setMqttConnected(setup & MqttUp);
    if (setup & Identity)
        module->setDeviceIdentity({"P", "N", "S"});
    QVERIFY(terminal->open(module->slavePath()));

    terminal->send(command + "\r\n");
    QTRY_COMPARE_WITH_TIMEOUT(terminal->lines.size(), replies.size(), kTimeoutMs);
    awaitEverythingSentSoFar();
    QCOMPARE(terminal->lines, crlfLines(replies));
    QCOMPARE(recorder->lineBytes().first(), command);
}

void TestFakeModule::echoesEachLineBeforeAnswering_data()
{
    QTest::addColumn<bool>("echo");
    QTest::addColumn<QStringList>("expected");

    const QString join = QString::fromUtf8("AT+CWJAP=\"\xe5\xae\xb6\",\"p,w\"");
    QTest::newRow("echo on") << true << QStringList{"AT",          "OK", join,     "WIFI CONNECTED",
                                                    "WIFI GOT IP", "OK", "AT+GMR", "ERROR"};
    QTest::newRow("echo off") << false
                              << QStringList{"OK", "WIFI CONNECTED", "WIFI GOT IP", "OK", "ERROR"};
}

void TestFakeModule::echoesEachLineBeforeAnswering()
{
    QFETCH(bool, echo);
    QFETCH(QStringList, expected);

    QVERIFY(module->echo());
    module->setEcho(echo);
    QVERIFY(terminal->open(module->slavePath()));
    terminal->send("AT\r\n");
    terminal->send(QString::fromUtf8("AT+CWJAP=\"\xe5\xae\xb6\",\"p,w\"\r\n").toUtf8());
    terminal->send("AT+GMR\r\n");
    QTRY_COMPARE_WITH_TIMEOUT(terminal->lines, crlfLines(expected), kTimeoutMs);
    QCOMPARE(module->joinedSsid(), QString::fromUtf8("\xe5\xae\xb6"));
    QCOMPARE(module->joinedPassword(), QStringLiteral("p,w"));
}

void TestFakeModule::echoCloudHandsBackSubscribedTopics_data()
{
    QTest::addColumn<QByteArray>("filter");
    QTest::addColumn<bool>("mqttUp");
    QTest::addColumn<QStringList>("replies");

    const QString back = QStringLiteral("+KQMQTTRECV:\"P1/D1/data\",1,\"a\\,b \\\"c\\\"\"");
    QTest::newRow("same topic") << QByteArray("P1/D1/data") << true << QStringList{"OK", back};
    QTest::newRow("one-level wildcard")
        << QByteArray("P1/+/data") << true << QStringList{"OK", back};
    QTest::newRow("multi-level wildcard") << QByteArray("P1/#") << true << QStringList{"OK", back};
    QTest::newRow("other topic") << QByteArray("P1/D1/other") << true << QStringList{"OK"};
    QTest::newRow("cloud down") << QByteArray("P1/D1/data") << false << QStringList{"OK"};
}

void TestFakeModule::echoCloudHandsBackSubscribedTopics()
{
    QFETCH(QByteArray, filter);
    QFETCH(bool, mqttUp);
    QFETCH(QStringList, replies);

    module->setEcho(false);
    module->setMqttConnected(mqttUp);
    QVERIFY(terminal->open(module->slavePath()));
    terminal->send("AT+KQMQTTSUB=\"" + filter + "\",1\r\n");
    QTRY_COMPARE_WITH_TIMEOUT(terminal->lines, crlfLines({"OK"}), kTimeoutMs);
    terminal->lines.clear();
    terminal->send("AT+KQMQTTPUB=\"P1/D1/data\",1,\"a\\,b \\\"c\\\"\"\r\n");
    awaitEverythingSentSoFar();
    QCOMPARE(terminal->lines, crlfLines(replies));
}

void TestFakeModule::brokerOutOfReachFailsTheConnect()
{
    atlume::BrokerOptions nobody;
    nobody.host = QStringLiteral("127.0.0.1");
    nobody.port = atlume::support::freeLoopbackPort();
    module->setBroker(nobody);
    module->setEcho(false);
    module->setWifiJoined(true);
    module->setDeviceIdentity({"P", "N", "S"});
    QVERIFY(terminal->open(module->slavePath()));

    terminal->send("AT+KQMQTTCONN=1,1000,60,0,1\r\n");
    QTRY_COMPARE_WITH_TIMEOUT(terminal->lines, crlfLines({"+KQMQTTCONN:FAIL"}), 3000);
    QVERIFY(!module->mqttConnected());
    // Without a connection topic commands are refused.
    terminal->lines.clear();
    terminal->send("AT+KQMQTTSUB=\"t\",0\r\n");
    QTRY_COMPARE_WITH_TIMEOUT(terminal->lines, crlfLines({"ERROR"}), kTimeoutMs);
}

void TestFakeModule::provisioningSucceedsInItsTime_data()
{
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QStringList>("replies");
    QTest::newRow("smartconfig") << QByteArray("AT+KQSTARTSMART")
                                 << QStringList{"+KQSTARTSMART:OK",
                                                "+KQSTARTSMART:WIFI_CONNECT_SUCCESS"};
    QTest::newRow("softap") << QByteArray("AT+KQSAP=\"dev\",\"pass\"")
                            << QStringList{"+KQSAP:OK", "+KQSAP:WIFI_CONNECT_SUCCESS"};
}

void TestFakeModule::provisioningSucceedsInItsTime()
{
    QFETCH(QByteArray, command);
    QFETCH(QStringList, replies);

    module->setEcho(false);
    module->setProvisioningTime(200);
    QVERIFY(terminal->open(module->slavePath()));
    terminal->send(command + "\r\n");
    QTRY_COMPARE_WITH_TIMEOUT(terminal->lines, crlfLines({replies.first()}), kTimeoutMs);
    QVERIFY(!module->wifiJoined());
    QTRY_COMPARE_WITH_TIMEOUT(terminal->lines, crlfLines(replies), kTimeoutMs);
    QVERIFY(module->wifiJoined());
}

void TestFakeModule::keepsWhatItWasTold()
{
    module->setEcho(false);
    QVERIFY(terminal->open(module->slavePath()));
    const QByteArray script = "AT+KQDEVINFOSET=1,\"P1\",\"D 1\",\"s3cret\"\r\n"
                              "AT+CWMODE=1\r\n"
                              "AT+CWJAP=\"home net\",\"pw\"\r\n"
                              "AT+KQMQTTCONN=1,1000,690,1,0\r\n"
                              "AT+KQMQTTSUB=\"P1/D 1/a\",1\r\n"
                              "AT+KQMQTTSUB=\"P1/D 1/b\",0\r\n"
                              "AT+KQMQTTUNSUB=\"P1/D 1/a\"\r\n"
                              "AT+KQMQTTPUB=\"P1/D 1/b\",1,\"x\\,y\"\r\n";
    terminal->send(script);
    QTRY_COMPARE_WITH_TIMEOUT(recorder->lines().size(), 8, kTimeoutMs);

    QVERIFY(module->deviceIdentity());
    QCOMPARE(module->deviceIdentity()->productId, QStringLiteral("P1"));
    QCOMPARE(module->deviceIdentity()->deviceName, QStringLiteral("D 1"));
    QCOMPARE(module->deviceIdentity()->deviceSecret, QStringLiteral("s3cret"));
    QCOMPARE(module->joinedSsid(), QStringLiteral("home net"));
    QVERIFY(module->wifiJoined());
    QVERIFY(module->mqttConnected());
    QCOMPARE(module->mqttParameters(), (QVector<int>{1, 1000, 690, 1, 0}));
    QCOMPARE(module->subscriptions(), QStringList{"P1/D 1/b"});
    QCOMPARE(module->publications().size(), 1);
    QCOMPARE(module->publications().first().topic, QStringLiteral("P1/D 1/b"));
    QCOMPARE(module->publications().first().qos, 1);
    QCOMPARE(module->publications().first().message, QByteArray("x\\,y"));
    QVERIFY(!module->publications().first().longForm);

    terminal->send("AT+KQSTARTSMART\r\n");
    QTRY_COMPARE_WITH_TIMEOUT(module->provisioning(), Provisioning::SmartConfig, kTimeoutMs);
    terminal->send("AT+KQSAP=\"dev ap\",\"12345678\"\r\n");
    QTRY_COMPARE_WITH_TIMEOUT(module->provisioning(), Provisioning::SoftAp, kTimeoutMs);
    QCOMPARE(module->softApSsid(), QStringLiteral("dev ap"));
    QCOMPARE(module->softApPassword(), QStringLiteral("12345678"));
    terminal->send("AT+KQSTOPSAP\r\n");
    QTRY_COMPARE_WITH_TIMEOUT(module->provisioning(), Provisioning::None, kTimeoutMs);

    terminal->send("AT+CWQAP\r\n");
    QTRY_VERIFY_WITH_TIMEOUT(!module->wifiJoined(), kTimeoutMs);
    QVERIFY(!module->mqttConnected());
}

void TestFakeModule::rejectsJoinWhenAsked()
{
    module->setEcho(false);
    module->setJoinErrorCode(3);
    QVERIFY(terminal->open(module->slavePath()));
    terminal->send("AT+CWJAP=\"home\",\"wrong\"\r\n");
    QTRY_COMPARE_WITH_TIMEOUT(terminal->lines, crlfLines({"+CWJAP:3", "FAIL"}), kTimeoutMs);
    QVERIFY(!module->wifiJoined());
    QCOMPARE(atlume::recogniseReply(terminal->lines.first()), std::optional(WIFI_DISCONNECTED));
}

void TestFakeModule::sendsUnsolicitedReplies_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("signal");
    QTest::addColumn<bool>("joined");
    QTest::addColumn<bool>("mqtt");

    QTest::newRow("wifi lost") << "dropWifi"
                               << "WIFI DISCONNECT" << int(WIFI_DISCONNECTED) << false << false;
    QTest::newRow("mqtt lost") << "dropMqtt"
                               << "+KQMQTTDISCON" << int(MQTT_DISCONNECTED) << true << false;
    QTest::newRow("mqtt back") << "reconnectMqtt"
                               << "+KQMQTTRECONNECTED" << int(MQTT_CONNECTED) << true << true;
    QTest::newRow("smartconfig ok")
        << "smartOk"
        << "+KQSTARTSMART:WIFI_CONNECT_SUCCESS" << int(WIFI_CONNECTED) << true << false;
    QTest::newRow("smartconfig failed")
        << "smartFailed"
        << "+KQSTARTSMART:WIFI_CONNECT_FAILED" << int(PROVISION_FAILED) << false << false;
    QTest::newRow("softap ok") << "apOk"
                               << "+KQSAP:WIFI_CONNECT_SUCCESS" << int(WIFI_CONNECTED) << true
                               << false;
    QTest::newRow("softap failed")
        << "apFailed"
        << "+KQSAP:WIFI_CONNECT_FAILED" << int(PROVISION_FAILED) << false << false;
}

void TestFakeModule::sendsUnsolicitedReplies()
{
    QFETCH(QString, action);
    QFETCH(QString, line);
    QFETCH(int, signal);
    QFETCH(bool, joined);
    QFETCH(bool, mqtt);

    const bool startsJoined =
        action.contains(QLatin1String("Wifi")) || action.contains(QLatin1String("Mqtt"));
    module->setWifiJoined(startsJoined);
    module->setMqttConnected(action == QLatin1String("dropWifi") ||
                             action == QLatin1String("dropMqtt"));
    if (action.startsWith(QLatin1String("smart")))
        module->setProvisioning(Provisioning::SmartConfig);
    if (action.startsWith(QLatin1String("ap")))
        module->setProvisioning(Provisioning::SoftAp);
    QVERIFY(terminal->open(module->slavePath()));

    if (action == QLatin1String("dropWifi"))
        module->dropWifi();
    else if (action == QLatin1String("dropMqtt"))
        module->dropMqtt();
    else if (action == QLatin1String("reconnectMqtt"))
        module->reconnectMqtt();
    else if (action.startsWith(QLatin1String("smart")))
        module->finishSmartConfig(action.endsWith(QLatin1String("Ok")));
    else
        module->finishSoftAp(action.endsWith(QLatin1String("Ok")));

    QTRY_COMPARE_WITH_TIMEOUT(terminal->lines, crlfLines({line}), kTimeoutMs);
    QCOMPARE(atlume::recogniseReply(terminal->lines.first()), std::optional(DEVICE_SIGNAL(signal)));
    QCOMPARE(module->wifiJoined(), joined);
    QCOMPARE(module->mqttConnected(), mqtt);
    QCOMPARE(module->provisioning(), Provisioning::None);
}

void TestFakeModule::passesBytesUnchangedBothWays()
{
    // Written before any terminal has the slave open: a cooked tty would
    // already have turned these CRs into LFs.
    const QByteArray out("a\rb\nc\r\n\0\xff\xe4\xb8\xad\r\n", 14);
    module->sendRaw(out);
    QVERIFY(terminal->open(module->slavePath()));
    QTRY_COMPARE_WITH_TIMEOUT(terminal->bytes, out, kTimeoutMs);

    module->setEcho(false);
    const QByteArray in("A\rB\0\x7f\r\nAT\n\r\n", 13);
    terminal->send(in);
    QTRY_COMPARE_WITH_TIMEOUT(recorder->bytes(), in, kTimeoutMs);
    QCOMPARE(recorder->lineBytes(),
             (QList<QByteArray>{QByteArray("A\rB\0\x7f", 5), QByteArray("AT\n")}));

    module->sendLine(QString::fromUtf8("+KQMQTTRECV:\"\xe4\xb8\xad\""));
    QTRY_VERIFY_WITH_TIMEOUT(terminal->bytes.endsWith("+KQMQTTRECV:\"\xe4\xb8\xad\"\r\n"),
                             kTimeoutMs);
}

void TestFakeModule::readsLongMessageByByteCount_data()
{
    QTest::addColumn<QByteArray>("header");
    QTest::addColumn<QByteArray>("following");
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<QStringList>("replies");

    const QByteArray chinese = QString::fromUtf8("\xe4\xb8\xad\xe6\x96\x87").toUtf8();

    QTest::newRow("ascii, right length")
        << QByteArray("AT+KQMQTTPUBL=\"P1/D1/\",1,5") << QByteArray("hello\r\n")
        << QByteArray("hello") << QStringList{">", "OK"};
    QTest::newRow("utf-8, length in bytes")
        << QByteArray("AT+KQMQTTPUBL=\"t\",0,6") << chinese + "\r\n"
        << chinese << QStringList{">", "OK"};
    QTest::newRow("utf-8, length in characters")
        << QByteArray("AT+KQMQTTPUBL=\"t\",0,2") << chinese + "\r\n"
        << chinese.left(2) << QStringList{">", "OK", "ERROR"};
    QTest::newRow("ascii, too short")
        << QByteArray("AT+KQMQTTPUBL=\"t\",0,3") << QByteArray("hello\r\n") << QByteArray("hel")
        << QStringList{">", "OK", "ERROR"};
    QTest::newRow("too long eats the next command")
        << QByteArray("AT+KQMQTTPUBL=\"t\",0,8") << QByteArray("hello\r\nAT\r\n")
        << QByteArray("hello\r\nA") << QStringList{">", "OK", "ERROR"};
    QTest::newRow("line break inside the message")
        << QByteArray("AT+KQMQTTPUBL=\"t\",1,5") << QByteArray("a\r\nbc\r\n")
        << QByteArray("a\r\nbc") << QStringList{">", "OK"};
    QTest::newRow("escaped quote and comma")
        << QByteArray("AT+KQMQTTPUBL=\"t\",1,6") << QByteArray("a\\,b\\\"\r\n")
        << QByteArray("a\\,b\\\"") << QStringList{">", "OK"};
    QTest::newRow("empty message") << QByteArray("AT+KQMQTTPUBL=\"t\",0,0") << QByteArray("\r\n")
                                   << QByteArray() << QStringList{">", "OK"};
}

void TestFakeModule::readsLongMessageByByteCount()
{
    QFETCH(QByteArray, header);
    QFETCH(QByteArray, following);
    QFETCH(QByteArray, message);
    QFETCH(QStringList, replies);

    module->setEcho(false);
    QVERIFY(terminal->open(module->slavePath()));

    // The program sends the message only after the prompt, as its own line;
    // the bytes are dribbled in to show that the count does not depend on
    // how they arrive.
    terminal->send(header + "\r\n");
    QTRY_VERIFY_WITH_TIMEOUT(!terminal->lines.isEmpty(), kTimeoutMs);
    QCOMPARE(terminal->lines.first(), QStringLiteral(">\r\n"));
    for (const char byte : following) {
        terminal->send(QByteArray(1, byte));
        QVERIFY(terminal->port.waitForBytesWritten(kTimeoutMs));
    }
    QTRY_COMPARE_WITH_TIMEOUT(terminal->lines.size(), replies.size(), kTimeoutMs);
    awaitEverythingSentSoFar();
    QCOMPARE(terminal->lines, crlfLines(replies));

    QCOMPARE(module->publications().size(), 1);
    const atlume::Publication &publication = module->publications().first();
    QVERIFY(publication.longForm);
    QCOMPARE(publication.message, message);
    QCOMPARE(recorder->lineBytes().at(1), message);
}

void TestFakeModule::recordsArrivalTimes()
{
    constexpr int kGapMs = 150;
    QVERIFY(terminal->open(module->slavePath()));

    const qint64 before = recorder->elapsedMsecs();
    terminal->send("AT\r\n");
    QVERIFY(recorder->waitForLines(1, kTimeoutMs));
    const qint64 after = recorder->elapsedMsecs();
    const qint64 first = recorder->lines().first().msecs;
    QVERIFY(first >= before);
    QVERIFY(first <= after);

    QTimer::singleShot(kGapMs, Qt::PreciseTimer, &terminal->port,
                       [this] { terminal->send("AT+CIPSTATUS\r\n"); });
    QVERIFY(!recorder->waitForLines(2, kGapMs / 3));
    QVERIFY(recorder->waitForLines(2, kTimeoutMs));
    const qint64 second = recorder->lines().at(1).msecs;
    QVERIFY2(second - first >= kGapMs, qPrintable(QString::number(second - first)));
    QCOMPARE(recorder->lines().at(1).bytes, QByteArray("AT+CIPSTATUS"));
}

void TestFakeModule::delaysRepliesInOrder()
{
    constexpr int kDelayMs = 300;
    module->setReplyDelay(kDelayMs);
    QVERIFY(terminal->open(module->slavePath()));

    QElapsedTimer clock;
    clock.start();
    terminal->send("AT\r\nAT+GMR\r\n");
    QTRY_COMPARE_WITH_TIMEOUT(terminal->lines, crlfLines({"AT", "AT+GMR"}), kTimeoutMs);
    QVERIFY(clock.elapsed() < kDelayMs);
    QTRY_COMPARE_WITH_TIMEOUT(terminal->lines.size(), 4, kTimeoutMs);
    QVERIFY(clock.elapsed() >= kDelayMs);
    QCOMPARE(terminal->lines, crlfLines({"AT", "AT+GMR", "OK", "ERROR"}));
}

void TestFakeModule::deliversLargeOutputComplete()
{
    constexpr int kLines = 100000;
    QVERIFY(terminal->open(module->slavePath()));
    for (int i = 0; i < kLines; ++i)
        module->sendLine(QStringLiteral("+KQMQTTRECV:\"P1/D1/data\",0,\"%1\"").arg(i));
    // Far more than a pseudo-terminal holds: most of it waits in the queue.
    QVERIFY(module->bytesToWrite() > 100000);

    QTRY_COMPARE_WITH_TIMEOUT(terminal->lines.size(), kLines, 60000);
    QVERIFY(atlume::support::waitForDrained(*module, kTimeoutMs));
    for (int i = 0; i < kLines; ++i) {
        const QString expected = QStringLiteral("+KQMQTTRECV:\"P1/D1/data\",0,\"%1\"\r\n").arg(i);
        if (terminal->lines.at(i) != expected)
            QFAIL(qPrintable(QStringLiteral("line %1 is %2").arg(i).arg(terminal->lines.at(i))));
    }
    QVERIFY(terminal->receiver.pending().isEmpty());
}

void TestFakeModule::takesLargeInputComplete()
{
    constexpr int kLines = 100000;
    module->setEcho(false);
    QVERIFY(terminal->open(module->slavePath()));
    QByteArray burst;
    for (int i = 0; i < kLines; ++i)
        burst += i % 2 ? QByteArray("AT\r\n") : "AT+GMR" + QByteArray::number(i) + "\r\n";
    terminal->send(burst);

    // A completeness check, not a timing one: a sanitizer build on a busy
    // machine needs about a minute for the burst.
    QVERIFY(recorder->waitForLines(kLines, 180000));
    QTRY_COMPARE_WITH_TIMEOUT(terminal->lines.size(), kLines, 180000);
    QCOMPARE(recorder->bytes(), burst);
    QCOMPARE(terminal->lines.count(QStringLiteral("OK\r\n")), kLines / 2);
    QCOMPARE(terminal->lines.count(QStringLiteral("ERROR\r\n")), kLines / 2);
    QCOMPARE(terminal->lines.at(0), QStringLiteral("ERROR\r\n"));
    QCOMPARE(terminal->lines.at(1), QStringLiteral("OK\r\n"));
}

void TestFakeModule::hangUpIsAnErrorOnTheTerminal_data()
{
    // QSerialPort, 5.15 and 6.4 alike, reads 0 bytes from the hung-up tty and
    // judges the failure by whatever errno was left behind: a resource error
    // switches its reading off, anything else is a read error that repeats on
    // every pass of the event loop until the port is closed.
    // A write after the hang-up fails with EIO, a resource error, but its
    // notifier stays on, so that error repeats instead.
    QTest::addColumn<int>("leftoverErrno");
    QTest::addColumn<bool>("writeAfter");
    QTest::addColumn<int>("error");
    QTest::addColumn<bool>("repeats");
    QTest::newRow("EAGAIN left") << EAGAIN << false << int(QSerialPort::ResourceError) << false;
    QTest::newRow("EIO left") << EIO << false << int(QSerialPort::ResourceError) << false;
    QTest::newRow("no errno left") << 0 << false << int(QSerialPort::ReadError) << true;
    QTest::newRow("ENOTTY left") << ENOTTY << false << int(QSerialPort::ReadError) << true;
    QTest::newRow("EAGAIN left, then a write")
        << EAGAIN << true << int(QSerialPort::ResourceError) << true;
}

void TestFakeModule::hangUpIsAnErrorOnTheTerminal()
{
    QFETCH(int, leftoverErrno);
    QFETCH(bool, writeAfter);
    QFETCH(int, error);
    QFETCH(bool, repeats);

    QVERIFY(terminal->open(module->slavePath()));
    awaitEverythingSentSoFar();
    QSignalSpy errors(&terminal->port, &QSerialPort::errorOccurred);

    module->hangUp();
    QVERIFY(!module->isOpen());
    errno = leftoverErrno;
    QVERIFY(errors.wait(kTimeoutMs));
    QCOMPARE(errors.first().first().value<QSerialPort::SerialPortError>(),
             QSerialPort::SerialPortError(error));

    // Whatever errors follow are of the same kind, and the port object still
    // calls itself open until the program closes it.
    QElapsedTimer clock;
    clock.start();
    if (writeAfter)
        terminal->send("AT\r\n");
    if (repeats)
        QTRY_VERIFY_WITH_TIMEOUT(errors.size() > 100, kTimeoutMs);
    else
        QVERIFY(!errors.wait(200));
    qInfo("%d errors within %d ms after the first", int(errors.size()), int(clock.elapsed()));
    for (const QList<QVariant> &arguments : qAsConst(errors))
        QCOMPARE(arguments.first().value<QSerialPort::SerialPortError>(),
                 QSerialPort::SerialPortError(error));
    QVERIFY(terminal->port.isOpen());
    terminal->port.close();
}

void TestFakeModule::reopensAfterHangUp()
{
    QVERIFY(terminal->open(module->slavePath()));
    module->hangUp();
    module->sendLine(QStringLiteral("WIFI DISCONNECT"));
    QCOMPARE(module->bytesToWrite(), qint64(0));
    terminal->port.close();

    QVERIFY(module->open());
    QVERIFY(module->isOpen());
    Terminal again;
    QVERIFY(again.open(module->slavePath()));
    again.send("AT\r\n");
    QTRY_COMPARE_WITH_TIMEOUT(again.lines, crlfLines({"AT", "OK"}), kTimeoutMs);
}

QTEST_GUILESS_MAIN(TestFakeModule)
#include "tst_fakemodule.moc"
