// The cloud controls follow what the module reports. One window has its port
// really opened on the simulated module; each case brings it into a module
// condition with replies, applies one more reply, and compares every control
// with what the state table promises.

#include "testsupport.h"
#include "windowsupport.h"

#include "buttoncombobox.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QTextBrowser>

#include <memory>

namespace {

using State = QMap<QString, QVariant>;

constexpr int kItemFlagsRole = Qt::UserRole - 1;

const char *const kTopicBtns[] = {"subTopicBtn", "unsubTopicBtn", "releaseTopicMsgBtn",
                                  "releaseTopicLongMsgBtn"};
const char *const kModeBtns[] = {"subTopicBtn", "unsubTopicBtn", "releaseTopicMsgBtn",
                                 "releaseTopicLongMsgBtn", "ATorderModeBtn"};
const char *const kIdentityEdits[] = {"productIDLineEdit", "deviceNameLineEdit",
                                      "deviceSecretLineEdit"};
const char *const kMqttWidgets[] = {"cmdtimeout_spinbox", "keepalive_spinbox",
                                    "clean_session_combobox", "reconnect_combobox"};
const char *const kTopicFields[] = {"topicLabel", "topicLineEdit", "qosLabel", "qosComboBox"};

QString key(const char *name, const char *property)
{
    return QString::fromLatin1(name) + QLatin1Char('.') + QLatin1String(property);
}

const QString kConnectCloud = QString::fromUtf8("连接Nimbrel云");
const QString kDisconnectCloud = QString::fromUtf8("断开Nimbrel云");
const QString kLeaveWifi = QString::fromUtf8("断开WiFi");
const QString kStopSmartConfig = QString::fromUtf8("停止SmartConfig配网");
const QString kStopSoftAp = QString::fromUtf8("停止softAP配网");
const QString kSend = QString::fromUtf8("发送");

// Everything the state table speaks about, read from the live widgets.
State snapshot(const MainWindow &window)
{
    State s;
    auto *wifi = widget<ButtonCombobox>(window, "connect_wifi_btn");
    auto *items = qobject_cast<QStandardItemModel *>(wifi->model());
    s["wifi.enabled"] = wifi->isEnabled();
    s["wifi.current"] = wifi->currentIndex();
    s["wifi.item0Flags"] = wifi->itemData(0, kItemFlagsRole);
    s["wifi.item0Selectable"] = items && items->item(0)->isEnabled();
    s["wifi.item0Text"] = wifi->itemText(0);
    s["wifi.otherItems"] = QStringList{wifi->itemText(1), wifi->itemText(2), wifi->itemText(3)};

    auto *cloud = widget<QPushButton>(window, "connectNimbrelCloudBtn");
    s["cloud.enabled"] = cloud->isEnabled();
    s["cloud.checked"] = cloud->isChecked();
    s["cloud.text"] = cloud->text();

    s["set_dev_conf_btn.enabled"] = widget<QWidget>(window, "set_dev_conf_btn")->isEnabled();
    for (const char *name : kIdentityEdits)
        s[key(name, "enabled")] = widget<QWidget>(window, name)->isEnabled();
    for (const char *name : kMqttWidgets)
        s[key(name, "enabled")] = widget<QWidget>(window, name)->isEnabled();
    s["tlsmode_combobox.enabled"] = widget<QWidget>(window, "tlsmode_combobox")->isEnabled();
    s["tlsmode_combobox.current"] = widget<QComboBox>(window, "tlsmode_combobox")->currentIndex();
    for (const char *name : kModeBtns) {
        s[key(name, "enabled")] = widget<QPushButton>(window, name)->isEnabled();
        s[key(name, "checked")] = widget<QPushButton>(window, name)->isChecked();
    }

    s["sendBtn.enabled"] = widget<QPushButton>(window, "sendBtn")->isEnabled();
    s["sendBtn.text"] = widget<QPushButton>(window, "sendBtn")->text();
    auto *box = widget<QPlainTextEdit>(window, "orderPlainTextEdit");
    s["box.enabled"] = box->isEnabled();
    s["box.text"] = box->toPlainText();
    for (const char *name : kTopicFields)
        s[key(name, "shown")] = !widget<QWidget>(window, name)->isHidden();

    s["order_mode"] = orderMode(window);
    s["wifi_method_index"] = wifiMethodIndex(window);
    return s;
}

QString shown(const QVariant &value)
{
    if (value.userType() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1Char('|'));
    return value.isValid() ? value.toString() : QStringLiteral("(none)");
}

QString differences(const State &actual, const State &expected)
{
    QStringList found;
    for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
        if (actual.value(it.key()) != it.value())
            found << QStringLiteral("%1: is %2, should be %3")
                         .arg(it.key(), shown(actual.value(it.key())), shown(it.value()));
    }
    if (actual.size() != expected.size())
        found << QStringLiteral("%1 values read, %2 expected")
                     .arg(actual.size())
                     .arg(expected.size());
    return found.join(QStringLiteral("\n"));
}

void setTopicButtons(State &s, bool enabled)
{
    for (const char *name : kTopicBtns) {
        s[key(name, "enabled")] = enabled;
        s[key(name, "checked")] = false;
    }
}

void setIdentity(State &s, bool enabled)
{
    for (const char *name : kIdentityEdits)
        s[key(name, "enabled")] = enabled;
}

void setMqtt(State &s, bool enabled)
{
    for (const char *name : kMqttWidgets)
        s[key(name, "enabled")] = enabled;
}

void setItemZero(State &s, bool available)
{
    s["wifi.item0Flags"] = available ? -1 : 0;
    s["wifi.item0Selectable"] = available;
}

// AT-command mode as the input area shows it.
void setAtMode(State &s)
{
    for (const char *name : kTopicBtns)
        s[key(name, "checked")] = false;
    s["ATorderModeBtn.checked"] = true;
    s["sendBtn.text"] = kSend;
    s["sendBtn.enabled"] = !s["box.text"].toString().isEmpty();
    s["box.enabled"] = true;
    for (const char *name : kTopicFields)
        s[key(name, "shown")] = false;
    s["order_mode"] = 0;
}

enum Condition {
    PortJustOpened,
    WifiUp,
    MqttUp,
    MqttUpPublishing,
    MqttLost,
    WifiLost,
    SmartConfigRunning,
    SoftApRunning,
    ProvisioningFailed,
};

const char *conditionName(Condition condition)
{
    switch (condition) {
    case PortJustOpened:
        return "port just opened";
    case WifiUp:
        return "Wi-Fi up";
    case MqttUp:
        return "MQTT up";
    case MqttUpPublishing:
        return "MQTT up, publishing";
    case MqttLost:
        return "MQTT lost";
    case WifiLost:
        return "Wi-Fi lost";
    case SmartConfigRunning:
        return "SmartConfig running";
    case SoftApRunning:
        return "softAP running";
    case ProvisioningFailed:
        return "provisioning failed";
    }
    return "?";
}

// The controls of each module condition, as the lifecycle table states them.
State expectedCondition(Condition condition)
{
    State s;
    s["wifi.enabled"] = true;
    s["wifi.current"] = 1;
    setItemZero(s, false);
    s["wifi.item0Text"] = kLeaveWifi;
    s["wifi.otherItems"] =
        QStringList{QString::fromUtf8("直接连接WiFi"), QString::fromUtf8("Smart Config 配网"),
                    QString::fromUtf8("softAP 配网")};
    s["cloud.enabled"] = false;
    s["cloud.checked"] = false;
    s["cloud.text"] = kConnectCloud;
    s["set_dev_conf_btn.enabled"] = true;
    setIdentity(s, true);
    setMqtt(s, false);
    s["tlsmode_combobox.enabled"] = false;
    s["tlsmode_combobox.current"] = 1;
    setTopicButtons(s, false);
    s["ATorderModeBtn.enabled"] = true;
    s["ATorderModeBtn.checked"] = true;
    s["sendBtn.enabled"] = false;
    s["sendBtn.text"] = kSend;
    s["box.enabled"] = true;
    s["box.text"] = QString();
    for (const char *name : kTopicFields)
        s[key(name, "shown")] = false;
    s["order_mode"] = 0;
    s["wifi_method_index"] = 1;

    auto wifiUp = [&s] {
        s["wifi.current"] = 0;
        setItemZero(s, true);
        s["cloud.enabled"] = true;
        setMqtt(s, true);
    };
    auto mqttUp = [&s] {
        s["cloud.checked"] = true;
        s["cloud.text"] = kDisconnectCloud;
        setIdentity(s, false);
        s["set_dev_conf_btn.enabled"] = false;
        setMqtt(s, false);
        for (const char *name : kTopicBtns)
            s[key(name, "enabled")] = true;
    };

    switch (condition) {
    case PortJustOpened:
        break;
    case WifiUp:
    case MqttLost:
        wifiUp();
        break;
    case MqttUp:
        wifiUp();
        mqttUp();
        break;
    case MqttUpPublishing:
        wifiUp();
        mqttUp();
        s["releaseTopicMsgBtn.checked"] = true;
        s["ATorderModeBtn.checked"] = false;
        s["sendBtn.text"] = QString::fromUtf8("发布消息");
        s["sendBtn.enabled"] = true;
        s["box.text"] = QStringLiteral("hello");
        for (const char *name : kTopicFields)
            s[key(name, "shown")] = true;
        s["order_mode"] = 3;
        break;
    case WifiLost:
        // Reached from MQTT up: the cloud button keeps its check mark.
        s["cloud.checked"] = true;
        break;
    case SmartConfigRunning:
        s["wifi.current"] = 0;
        setItemZero(s, true);
        s["wifi.item0Text"] = kStopSmartConfig;
        s["wifi_method_index"] = 2;
        break;
    case SoftApRunning:
        s["wifi.current"] = 0;
        setItemZero(s, true);
        s["wifi.item0Text"] = kStopSoftAp;
        s["wifi_method_index"] = 3;
        break;
    case ProvisioningFailed:
        s["wifi.current"] = 2;
        s["wifi.item0Text"] = kStopSmartConfig;
        s["wifi_method_index"] = 2;
        break;
    }
    return s;
}

// What one reply does to the controls of a given state.
State expectedAfter(State s, int signal)
{
    const int method = s["wifi_method_index"].toInt();
    switch (signal) {
    case WIFI_GOT_IP:
        s["wifi_method_index"] = 1;
        break;
    case WIFI_JOIN_REPLY:
        s["wifi_method_index"] = 1;
        s["wifi.enabled"] = true;
        s["wifi.current"] = 1;
        setItemZero(s, false);
        break;
    case WIFI_CONNECTED:
        s["wifi.enabled"] = true;
        setItemZero(s, true);
        s["wifi.item0Text"] = kLeaveWifi;
        s["wifi.current"] = 0;
        s["cloud.text"] = kConnectCloud;
        s["cloud.enabled"] = true;
        setMqtt(s, true);
        break;
    case WIFI_DISCONNECTED:
        s["wifi.enabled"] = true;
        setItemZero(s, false);
        s["wifi.current"] = method;
        s["cloud.text"] = kConnectCloud;
        s["cloud.enabled"] = false;
        s["set_dev_conf_btn.enabled"] = true;
        setIdentity(s, true);
        setMqtt(s, false);
        setAtMode(s);
        setTopicButtons(s, false);
        break;
    case MQTT_CONNECTED:
        s["cloud.text"] = kDisconnectCloud;
        s["cloud.checked"] = true;
        setIdentity(s, false);
        setMqtt(s, false);
        s["set_dev_conf_btn.enabled"] = false;
        for (const char *name : kTopicBtns)
            s[key(name, "enabled")] = true;
        break;
    case MQTT_DISCONNECTED:
        s["cloud.text"] = kConnectCloud;
        s["cloud.checked"] = false;
        s["set_dev_conf_btn.enabled"] = true;
        setIdentity(s, true);
        setMqtt(s, true);
        setAtMode(s);
        setTopicButtons(s, false);
        break;
    case SMARTCONFIG_STARTED:
        s["wifi_method_index"] = 2;
        s["wifi.enabled"] = true;
        setItemZero(s, true);
        s["wifi.item0Text"] = kStopSmartConfig;
        s["wifi.current"] = 0;
        break;
    case SOFTAP_STARTED:
        s["wifi_method_index"] = 3;
        s["wifi.enabled"] = true;
        setItemZero(s, true);
        s["wifi.item0Text"] = kStopSoftAp;
        s["wifi.current"] = 0;
        break;
    case PROVISION_FAILED:
    case SMARTCONFIG_STOPPED:
    case SOFTAP_STOPPED:
        s["wifi.enabled"] = true;
        setItemZero(s, false);
        s["wifi.current"] = method;
        break;
    default:
        break;
    }
    return s;
}

const char *signalName(int signal)
{
    static const char *const names[] = {
        "WIFI_GOT_IP",      "WIFI_JOIN_REPLY",     "WIFI_CONNECTED",      "WIFI_DISCONNECTED",
        "MQTT_CONNECTED",   "MQTT_DISCONNECTED",   "SMARTCONFIG_STARTED", "SOFTAP_STARTED",
        "PROVISION_FAILED", "SMARTCONFIG_STOPPED", "SOFTAP_STOPPED"};
    return signal >= 0 && signal <= 10 ? names[signal] : "beyond the table";
}

} // namespace

class TestCloudControls : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void portOpeningGivesTheOpenedCondition();
    void repliesSetTheControlsInEachCondition_data();
    void repliesSetTheControlsInEachCondition();
    void wifiMethodFollowsTheReplies();
    void smartConfigGuideFollowsItsLine();
    void atModeButtonReappliesAtMode();
    void wifiLostFromModuleEndsTopicMode();

private:
    void emitReply(int signal);
    void bringTo(Condition condition);
    MainWindow &window() { return bench->window; }

    std::unique_ptr<ModuleBench> bench;
    State afterOpening;
};

void TestCloudControls::initTestCase()
{
    qRegisterMetaType<DEVICE_SIGNAL>("DEVICE_SIGNAL");
    bench = std::make_unique<ModuleBench>();
    QVERIFY(bench->open());
    // Let the answers to the status queries arrive; they change nothing.
    QVERIFY(atlume::support::waitForDrained(bench->module, 2000));
    QTRY_VERIFY(
        widget<QTextBrowser>(window(), "textBrowser")->toPlainText().contains("+KQMQTTSTATE:0"));
    // Nothing but the opening has happened to this window yet.
    afterOpening = snapshot(window());
}

void TestCloudControls::cleanupTestCase()
{
    bench.reset();
}

void TestCloudControls::emitReply(int signal)
{
    emit window().device_return_signal(DEVICE_SIGNAL(signal));
}

// From any condition back to the one of a freshly opened port, then on to the
// asked condition, by replies alone (and a click for the publishing mode).
void TestCloudControls::bringTo(Condition condition)
{
    widget<QPlainTextEdit>(window(), "orderPlainTextEdit")->clear();
    widget<QTextBrowser>(window(), "textBrowser")->clear();
    for (int signal : {MQTT_DISCONNECTED, WIFI_CONNECTED, WIFI_GOT_IP, WIFI_DISCONNECTED})
        emitReply(signal);

    switch (condition) {
    case PortJustOpened:
        break;
    case WifiUp:
        emitReply(WIFI_CONNECTED);
        break;
    case MqttUp:
        emitReply(WIFI_CONNECTED);
        emitReply(MQTT_CONNECTED);
        break;
    case MqttUpPublishing:
        emitReply(WIFI_CONNECTED);
        emitReply(MQTT_CONNECTED);
        widget<QPlainTextEdit>(window(), "orderPlainTextEdit")->setPlainText("hello");
        QTest::mouseClick(widget<QPushButton>(window(), "releaseTopicMsgBtn"), Qt::LeftButton);
        break;
    case MqttLost:
        emitReply(WIFI_CONNECTED);
        emitReply(MQTT_CONNECTED);
        emitReply(MQTT_DISCONNECTED);
        break;
    case WifiLost:
        emitReply(WIFI_CONNECTED);
        emitReply(MQTT_CONNECTED);
        emitReply(WIFI_DISCONNECTED);
        break;
    case SmartConfigRunning:
        emitReply(SMARTCONFIG_STARTED);
        break;
    case SoftApRunning:
        emitReply(SOFTAP_STARTED);
        break;
    case ProvisioningFailed:
        emitReply(SMARTCONFIG_STARTED);
        emitReply(PROVISION_FAILED);
        break;
    }
}

void TestCloudControls::portOpeningGivesTheOpenedCondition()
{
    const QString wrong = differences(afterOpening, expectedCondition(PortJustOpened));
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong));
}

void TestCloudControls::repliesSetTheControlsInEachCondition_data()
{
    QTest::addColumn<int>("condition");
    QTest::addColumn<int>("signal");
    for (int condition = PortJustOpened; condition <= ProvisioningFailed; ++condition) {
        for (int signal = 0; signal <= 11; ++signal) {
            QTest::addRow("%s, %d %s", conditionName(Condition(condition)), signal,
                          signalName(signal))
                << condition << signal;
        }
        // The largest value the enumeration can hold.
        QTest::addRow("%s, 15 beyond the table", conditionName(Condition(condition)))
            << condition << 15;
    }
}

void TestCloudControls::repliesSetTheControlsInEachCondition()
{
    QFETCH(int, condition);
    QFETCH(int, signal);

    bringTo(Condition(condition));
    const State start = expectedCondition(Condition(condition));
    const QString wrongStart = differences(snapshot(window()), start);
    QVERIFY2(wrongStart.isEmpty(), qPrintable("before the reply:\n" + wrongStart));

    emitReply(signal);
    const QString wrong = differences(snapshot(window()), expectedAfter(start, signal));
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong));
}

void TestCloudControls::wifiMethodFollowsTheReplies()
{
    bringTo(PortJustOpened);
    auto *wifi = widget<ButtonCombobox>(window(), "connect_wifi_btn");

    struct Step {
        int signal;
        int method;
        int current;
    };
    const Step steps[] = {
        {SMARTCONFIG_STARTED, 2, 0}, {SMARTCONFIG_STOPPED, 2, 2},
        {WIFI_CONNECTED, 2, 0},      {WIFI_DISCONNECTED, 2, 2},
        {SOFTAP_STARTED, 3, 0},      {MQTT_CONNECTED, 3, 0},
        {MQTT_DISCONNECTED, 3, 0},   {SOFTAP_STOPPED, 3, 3},
        {PROVISION_FAILED, 3, 3},    {WIFI_GOT_IP, 1, 3},
        {SOFTAP_STARTED, 3, 0},      {WIFI_JOIN_REPLY, 1, 1},
        {SMARTCONFIG_STARTED, 2, 0}, {11, 2, 0},
        {PROVISION_FAILED, 2, 2},
    };
    for (const Step &step : steps) {
        emitReply(step.signal);
        const QByteArray where = QByteArray("after ") + signalName(step.signal);
        QVERIFY2(wifiMethodIndex(window()) == step.method, where.constData());
        QVERIFY2(wifi->currentIndex() == step.current, where.constData());
    }

    // Choosing another port keeps the method; the next failure offers it again.
    emitReply(SOFTAP_STARTED);
    bench->ports.ports << QStringLiteral("ttyAtlumeOther0");
    QTest::mouseClick(widget<QPushButton>(window(), "scanPortBtn"), Qt::LeftButton);
    selectPort(window(), QStringLiteral("ttyAtlumeOther0"));
    QCOMPARE(wifiMethodIndex(window()), 3);
    QVERIFY(!wifi->isEnabled());
    emitReply(PROVISION_FAILED);
    QCOMPARE(wifi->currentIndex(), 3);

    // Back to the simulated module's port, which needs opening again.
    selectPort(window(), bench->module.slavePath());
    bench->received.clear();
    QVERIFY(bench->open());
    QVERIFY(atlume::support::waitForDrained(bench->module, 2000));
    QTRY_VERIFY(
        widget<QTextBrowser>(window(), "textBrowser")->toPlainText().contains("+KQMQTTSTATE:0"));
    QCOMPARE(wifiMethodIndex(window()), 3);
}

void TestCloudControls::smartConfigGuideFollowsItsLine()
{
    bringTo(PortJustOpened);
    auto *console = widget<QTextBrowser>(window(), "textBrowser");
    QSignalSpy replies(&window(), &MainWindow::device_return_signal);
    // One read with a line before and after the reply.
    bench->module.sendRaw("before\r\n+KQSTARTSMART:OK\r\nafter\r\n");
    QTRY_VERIFY(console->toPlainText().contains("after"));
    QCOMPARE(replies.count(), 1);
    QCOMPARE(replies.at(0).at(0).value<DEVICE_SIGNAL>(), SMARTCONFIG_STARTED);

    const QString first = QString::fromUtf8("  SmartConfig配网方式需要使用搭配Lumaro小程序使用");
    const QString second =
        QString::fromUtf8("  请使用Taviq或者Lumaro小程序扫描下面的二维码配合操作。");
    const QString text = console->toPlainText();
    QCOMPARE(text.count(first), 1);
    QCOMPARE(text.count(second), 1);
    QCOMPARE(text.count(QChar::ObjectReplacementCharacter), 1);

    const int okAt = text.indexOf("+KQSTARTSMART:OK");
    const int firstAt = text.indexOf(first);
    const int secondAt = text.indexOf(second);
    const int imageAt = text.indexOf(QChar::ObjectReplacementCharacter);
    const int afterAt = text.indexOf("after");
    QVERIFY(text.indexOf("before") < okAt);
    QVERIFY(okAt < firstAt);
    // Nothing but line breaks between the reply and the guide.
    const int okEnd = okAt + int(qstrlen("+KQSTARTSMART:OK"));
    QVERIFY2(text.mid(okEnd, firstAt - okEnd).trimmed().isEmpty(),
             qPrintable(text.mid(okEnd, firstAt - okEnd)));
    QVERIFY(firstAt < secondAt);
    QVERIFY(secondAt < imageAt);
    QVERIFY(imageAt < afterAt);
    QVERIFY(
        text.mid(secondAt + second.size(), imageAt - secondAt - second.size()).trimmed().isEmpty());

    const QString html = console->toHtml();
    QCOMPARE(html.count("src=\"./conf/SmartConfig_wifi_guid.png\""), 1);
    QVERIFY(html.indexOf(second.trimmed()) < html.indexOf("SmartConfig_wifi_guid.png"));
    QVERIFY(html.indexOf("SmartConfig_wifi_guid.png") < html.indexOf("after"));

    // The reply's other effects went along with the guide.
    QCOMPARE(wifiMethodIndex(window()), 2);
    QCOMPARE(widget<ButtonCombobox>(window(), "connect_wifi_btn")->currentText(), kStopSmartConfig);
}

void TestCloudControls::atModeButtonReappliesAtMode()
{
    bringTo(MqttUp);
    auto *atBtn = widget<QPushButton>(window(), "ATorderModeBtn");
    auto *sendBtn = widget<QPushButton>(window(), "sendBtn");
    auto *box = widget<QPlainTextEdit>(window(), "orderPlainTextEdit");
    QSignalSpy clicks(atBtn, &QPushButton::clicked);

    QTest::mouseClick(widget<QPushButton>(window(), "releaseTopicLongMsgBtn"), Qt::LeftButton);
    QCOMPARE(orderMode(window()), 4);
    QVERIFY(!atBtn->isChecked());
    QCOMPARE(sendBtn->text(), QString::fromUtf8("发布长消息"));

    // From a topic mode, the unchecked button is checked by the click.
    QTest::mouseClick(atBtn, Qt::LeftButton);
    QCOMPARE(clicks.takeFirst().at(0).toBool(), true);
    State expected = expectedCondition(MqttUp);
    QString wrong = differences(snapshot(window()), expected);
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong));

    // Clicking the checked button keeps it checked and puts the input area
    // back into AT-command mode whatever it showed.
    box->setPlainText("AT");
    box->setEnabled(false);
    sendBtn->setText("x");
    sendBtn->setEnabled(false);
    for (const char *name : kTopicFields)
        widget<QWidget>(window(), name)->show();
    widget<QPushButton>(window(), "subTopicBtn")->setChecked(true);
    QTest::mouseClick(atBtn, Qt::LeftButton);
    QCOMPARE(clicks.takeFirst().at(0).toBool(), false);
    expected["box.text"] = QStringLiteral("AT");
    expected["sendBtn.enabled"] = true;
    wrong = differences(snapshot(window()), expected);
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong));
}

void TestCloudControls::wifiLostFromModuleEndsTopicMode()
{
    bringTo(MqttUpPublishing);
    QCOMPARE(orderMode(window()), 3);
    QSignalSpy replies(&window(), &MainWindow::device_return_signal);
    bench->module.dropWifi();
    QTRY_COMPARE(replies.count(), 1);
    QCOMPARE(replies.at(0).at(0).value<DEVICE_SIGNAL>(), WIFI_DISCONNECTED);

    for (const char *name : kTopicBtns) {
        QVERIFY2(!widget<QPushButton>(window(), name)->isChecked(), name);
        QVERIFY2(!widget<QPushButton>(window(), name)->isEnabled(), name);
    }
    QVERIFY(widget<QPushButton>(window(), "ATorderModeBtn")->isChecked());
    for (const char *name : kTopicFields)
        QVERIFY2(widget<QWidget>(window(), name)->isHidden(), name);
    QVERIFY(widget<QPlainTextEdit>(window(), "orderPlainTextEdit")->isEnabled());
    QCOMPARE(orderMode(window()), 0);
    QCOMPARE(widget<QPushButton>(window(), "sendBtn")->text(), kSend);
    QVERIFY(widget<QPushButton>(window(), "sendBtn")->isEnabled());
    QVERIFY(!widget<QPushButton>(window(), "connectNimbrelCloudBtn")->isEnabled());
}

QTEST_MAIN(TestCloudControls)
#include "tst_cloudcontrols.moc"
