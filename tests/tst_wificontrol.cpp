#include "testsupport.h"
#include "windowsupport.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDialog>
#include <QJsonArray>
#include <QJsonObject>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTextBrowser>
#include <QTranslator>
#include <QWindow>

#include "buttoncombobox.h"

using atlume::FakeModule;

namespace {

const QString kDisconnectWifi = QString::fromUtf8("断开WiFi");
const QString kStopSmartConfig = QString::fromUtf8("停止SmartConfig配网");
const QString kStopSoftAp = QString::fromUtf8("停止softAP配网");
const QString kCloudConnect = QString::fromUtf8("连接Nimbrel云");
const QString kWifiFile = QStringLiteral("conf/config.json");
const QString kSoftApFile = QStringLiteral("conf/softAPConf.json");
// Longer than any test waits, so the control shows its waiting state.
constexpr int kNoReplyMs = 60000;

ButtonCombobox *wifiControl(const MainWindow &window)
{
    return widget<ButtonCombobox>(window, "connect_wifi_btn");
}

QString sentLabelFor(int count)
{
    return QString::fromUtf8("已发送信息：") + QString::number(count) + QString::fromUtf8("条");
}

bool itemZeroAvailable(const ButtonCombobox *control)
{
    const Qt::ItemFlags flags = control->model()->flags(control->model()->index(0, 0));
    return flags.testFlag(Qt::ItemIsEnabled) && flags.testFlag(Qt::ItemIsSelectable);
}

// The control's text part, left of the arrow square.
QPoint textPart(const QWidget *control)
{
    return QPoint(control->height() / 2, control->height() / 2);
}

QPoint arrowPart(const QWidget *control)
{
    return QPoint(control->width() - control->height() / 2, control->height() / 2);
}

void pressWifiControl(const MainWindow &window)
{
    ButtonCombobox *control = wifiControl(window);
    QTest::mouseClick(control, Qt::LeftButton, Qt::NoModifier, textPart(control));
}

// A pointer move with no button held, as the list sees when the user slides
// down to a row.
void movePointer(QWidget *target, QPoint pos)
{
    QMouseEvent move(QEvent::MouseMove, pos, target->mapToGlobal(pos), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(target, &move);
}

// Opens the list with a press on the arrow square.
void openList(ButtonCombobox *control)
{
    if (!control->view()->isVisible())
        QTest::mousePress(control, Qt::LeftButton, Qt::NoModifier, arrowPart(control));
    QTRY_VERIFY(control->view()->isVisible());
}

// Clicks the row of one item in the open list.
void clickListRow(ButtonCombobox *control, int row)
{
    QAbstractItemView *view = control->view();
    const QPoint centre = view->visualRect(view->model()->index(row, 0)).center();
    // The list ignores a release right after it opened unless the pointer moved.
    movePointer(view->viewport(), centre);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, centre);
}

void chooseFromList(ButtonCombobox *control, int row)
{
    openList(control);
    clickListRow(control, row);
    QTRY_VERIFY(!control->view()->isVisible());
    QCOMPARE(control->currentIndex(), row);
}

// Types as a user does: click into the field, select all, type over it.
void typeInto(QLineEdit *field, const QString &text)
{
    QTest::mouseClick(field, Qt::LeftButton);
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    if (text.isEmpty())
        QTest::keyClick(field, Qt::Key_Backspace);
    else
        QTest::keyClicks(field, text);
}

// Fills the fields of either Wi-Fi dialog (a null text leaves a field as it
// opened) and ends it by "ok", "cancel", "close" (the window's close button)
// or "escape".
DialogHand::Action fillAndEnd(QStringList *problems, const QString &ssid, const QString &password,
                              const QString &ending)
{
    return [=](QDialog *dialog) {
        const WifiFields f = fieldsOf(dialog);
        if (!f.ssid || !f.password || !f.ok || !f.cancel) {
            *problems << QStringLiteral("dialog fields not found");
            return;
        }
        if (!ssid.isNull())
            typeInto(f.ssid, ssid);
        if (!password.isNull())
            typeInto(f.password, password);
        if (ending == QLatin1String("ok")) {
            if (!f.ok->isEnabled())
                *problems << QStringLiteral("OK is disabled");
            QTest::mouseClick(f.ok, Qt::LeftButton);
        } else if (ending == QLatin1String("cancel")) {
            QTest::mouseClick(f.cancel, Qt::LeftButton);
        } else if (ending == QLatin1String("close")) {
            if (!dialog->windowHandle()) {
                *problems << QStringLiteral("the dialog has no window");
                return;
            }
            dialog->windowHandle()->close();
        } else if (ending == QLatin1String("escape")) {
            QTest::keyClick(f.password, Qt::Key_Escape);
        }
    };
}

} // namespace

class TestWifiControl : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { qRegisterMetaType<DEVICE_SIGNAL>("DEVICE_SIGNAL"); }
    void pressSendsTheItemsLines_data();
    void pressSendsTheItemsLines();
    void joinsDirectlyThenLeaves();
    void failedJoinOffersDirectJoinAgain();
    void smartConfigStartsFailsAndStops();
    void softApStartsAndStops();
    void unavailableItemZeroCannotBeChosen();
    void aTranslationCannotChangeWhatAPressSends_data();
    void aTranslationCannotChangeWhatAPressSends();
    void dialogBlocksTheWindow_data();
    void dialogBlocksTheWindow();
};

void TestWifiControl::pressSendsTheItemsLines_data()
{
    QTest::addColumn<QString>("stateLine"); // sent by the module before the press
    QTest::addColumn<int>("chosen");        // item picked from the list first, or -1
    QTest::addColumn<int>("pressedIndex");  // current item when pressed
    QTest::addColumn<QString>("pressedText");
    QTest::addColumn<QString>("dialog"); // class of the dialog that opens, if any
    QTest::addColumn<QString>("file");   // the dialog's file
    QTest::addColumn<QByteArray>("fileBefore");
    QTest::addColumn<QString>("ssid"); // typed; null leaves the field as it opened
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("ending");
    QTest::addColumn<QByteArrayList>("lines");
    QTest::addColumn<QJsonObject>("fileAfter"); // after OK
    QTest::addColumn<bool>("enabledAfter");
    QTest::addColumn<int>("indexAfter");

    const QString none;
    const QByteArray noFile;
    const QByteArray storedWifi("{\n    \"keep\": [1, 2],\n    \"wifi.password\": \"stored99\",\n"
                                "    \"wifi.ssid\": \"home\"\n}\n");
    const QByteArray storedSoftAp(
        "{\n    \"Password\": \"apsecret\",\n    \"SSID\": \"dev_ap\"\n}\n");

    QTest::newRow("0: 断开WiFi") << "WIFI CONNECTED" << -1 << 0 << kDisconnectWifi << none << none
                                 << noFile << none << none << none << QByteArrayList{"AT+CWQAP"}
                                 << QJsonObject() << true << 1;
    QTest::newRow("0: 停止SmartConfig配网")
        << "+KQSTARTSMART:OK" << -1 << 0 << kStopSmartConfig << none << none << noFile << none
        << none << none << QByteArrayList{"AT+KQSTOPSMART"} << QJsonObject() << false << 0;
    QTest::newRow("0: 停止softAP配网")
        << "+KQSAP:OK" << -1 << 0 << kStopSoftAp << none << none << noFile << none << none << none
        << QByteArrayList{"AT+KQSTOPSAP"} << QJsonObject() << false << 0;

    QTest::newRow("1: OK, typed") << none << -1 << 1 << QString::fromUtf8("直接连接WiFi")
                                  << "wifi_setting_dialog" << kWifiFile << noFile << "abcd"
                                  << "12345678"
                                  << "ok"
                                  << QByteArrayList{"AT+CWMODE=1", "AT+CWJAP=\"abcd\",\"12345678\""}
                                  << QJsonObject{{"wifi.ssid", "abcd"},
                                                 {"wifi.password", "12345678"}}
                                  << false << 1;
    QTest::newRow("1: OK, stored values offered again")
        << none << -1 << 1 << QString::fromUtf8("直接连接WiFi") << "wifi_setting_dialog"
        << kWifiFile << storedWifi << none << none << "ok"
        << QByteArrayList{"AT+CWMODE=1", "AT+CWJAP=\"home\",\"stored99\""}
        << QJsonObject{{"keep", QJsonArray{1, 2}},
                       {"wifi.ssid", "home"},
                       {"wifi.password", "stored99"}}
        << false << 1;
    QTest::newRow("1: OK, SSID with a blank and a comma")
        << none << -1 << 1 << QString::fromUtf8("直接连接WiFi") << "wifi_setting_dialog"
        << kWifiFile << storedWifi << "my net,5G"
        << "pass word"
        << "ok" << QByteArrayList{"AT+CWMODE=1", "AT+CWJAP=\"my net,5G\",\"pass word\""}
        << QJsonObject{{"keep", QJsonArray{1, 2}},
                       {"wifi.ssid", "my net,5G"},
                       {"wifi.password", "pass word"}}
        << false << 1;
    QTest::newRow("1: Cancel after typing")
        << none << -1 << 1 << QString::fromUtf8("直接连接WiFi") << "wifi_setting_dialog"
        << kWifiFile << storedWifi << "other"
        << "otherpass"
        << "cancel" << QByteArrayList() << QJsonObject() << true << 1;
    QTest::newRow("1: window closed after typing")
        << none << -1 << 1 << QString::fromUtf8("直接连接WiFi") << "wifi_setting_dialog"
        << kWifiFile << storedWifi << "other"
        << "otherpass"
        << "close" << QByteArrayList() << QJsonObject() << true << 1;
    QTest::newRow("1: Escape, no file")
        << none << -1 << 1 << QString::fromUtf8("直接连接WiFi") << "wifi_setting_dialog"
        << kWifiFile << noFile << "abcd"
        << "12345678"
        << "escape" << QByteArrayList() << QJsonObject() << true << 1;

    QTest::newRow("2: Smart Config")
        << none << 2 << 2 << QString::fromUtf8("Smart Config 配网") << none << none << noFile
        << none << none << none << QByteArrayList{"AT+KQSTARTSMART"} << QJsonObject() << false << 2;

    QTest::newRow("3: OK, typed") << none << 3 << 3 << QString::fromUtf8("softAP 配网")
                                  << "softAPConnectWifi" << kSoftApFile << storedSoftAp << "abcd"
                                  << "12345678"
                                  << "ok" << QByteArrayList{"AT+KQSAP=\"abcd\",\"12345678\""}
                                  << QJsonObject{{"SSID", "abcd"}, {"Password", "12345678"}}
                                  << false << 3;
    QTest::newRow("3: Cancel after typing")
        << none << 3 << 3 << QString::fromUtf8("softAP 配网") << "softAPConnectWifi" << kSoftApFile
        << storedSoftAp << "other"
        << "otherpass"
        << "cancel" << QByteArrayList() << QJsonObject() << true << 3;
    QTest::newRow("3: window closed, no file")
        << none << 3 << 3 << QString::fromUtf8("softAP 配网") << "softAPConnectWifi" << kSoftApFile
        << noFile << "abcd"
        << "12345678"
        << "close" << QByteArrayList() << QJsonObject() << true << 3;
}

void TestWifiControl::pressSendsTheItemsLines()
{
    QFETCH(QString, stateLine);
    QFETCH(int, chosen);
    QFETCH(int, pressedIndex);
    QFETCH(QString, pressedText);
    QFETCH(QString, dialog);
    QFETCH(QString, file);
    QFETCH(QByteArray, fileBefore);
    QFETCH(QString, ssid);
    QFETCH(QString, password);
    QFETCH(QString, ending);
    QFETCH(QByteArrayList, lines);
    QFETCH(QJsonObject, fileAfter);
    QFETCH(bool, enabledAfter);
    QFETCH(int, indexAfter);

    ModuleBench bench;
    if (!fileBefore.isNull())
        QVERIFY(writeWholeFile(file, fileBefore));
    QVERIFY(bench.open());
    ButtonCombobox *control = wifiControl(bench.window);
    QVERIFY(control->isVisible());
    if (!stateLine.isEmpty()) {
        bench.module.sendLine(stateLine);
        QTRY_COMPARE(control->currentIndex(), 0);
    }
    if (chosen >= 0)
        chooseFromList(control, chosen);
    QCOMPARE(control->currentIndex(), pressedIndex);
    QCOMPARE(control->currentText(), pressedText);
    QVERIFY(control->isEnabled());

    // The module keeps quiet from now on, so only the press itself shows.
    bench.module.setReplyDelay(kNoReplyMs);
    bench.received.clear();
    QCOMPARE(sentLabel(bench.window), sentLabelFor(2));

    QStringList problems;
    DialogHand hand(fillAndEnd(&problems, ssid, password, ending));
    pressWifiControl(bench.window);

    QVERIFY2(problems.isEmpty() && hand.problems.isEmpty(),
             qPrintable((problems + hand.problems).join("; ")));
    QCOMPARE(hand.dialogs, dialog.isEmpty() ? 0 : 1);
    QCOMPARE(hand.className, dialog);

    // The slot has returned, so everything it sends has left.
    QVERIFY(bench.received.waitForLines(lines.size(), 2000));
    QCOMPARE(bench.received.lineBytes(), lines);
    QCOMPARE(bench.received.bytes(), wire(lines));
    QCOMPARE(sentLabel(bench.window), sentLabelFor(2 + lines.size()));
    QCOMPARE(control->isEnabled(), enabledAfter);
    QCOMPARE(control->currentIndex(), indexAfter);
    if (indexAfter != 0)
        QVERIFY(!itemZeroAvailable(control));

    if (!file.isEmpty()) {
        if (ending == QLatin1String("ok")) {
            QCOMPARE(readJsonObject(file), fileAfter);
        } else if (fileBefore.isNull()) {
            QVERIFY(!QFile::exists(file));
        } else {
            QCOMPARE(readWholeFile(file), fileBefore);
        }
        // Each dialog keeps to its own file.
        QVERIFY(!QFile::exists(file == kWifiFile ? kSoftApFile : kWifiFile));
    }
}

void TestWifiControl::joinsDirectlyThenLeaves()
{
    ModuleBench bench;
    QVERIFY(bench.open());
    ButtonCombobox *control = wifiControl(bench.window);
    auto *cloud = widget<QPushButton>(bench.window, "connectNimbrelCloudBtn");
    QCOMPARE(control->currentIndex(), 1);
    QVERIFY(!itemZeroAvailable(control));
    QVERIFY(!cloud->isEnabled());

    QSignalSpy replies(&bench.window, &MainWindow::device_return_signal);
    QStringList problems;
    {
        DialogHand hand(fillAndEnd(&problems, "abcd", "12345678", "ok"));
        pressWifiControl(bench.window);
        QCOMPARE(hand.dialogs, 1);
    }
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join("; ")));
    // The module answers within the pauses that follow the two lines.
    QTRY_VERIFY(consoleText(bench.window).contains("WIFI GOT IP"));
    QVERIFY(bench.module.wifiJoined());
    QCOMPARE(bench.module.joinedSsid(), QStringLiteral("abcd"));
    QCOMPARE(bench.module.joinedPassword(), QStringLiteral("12345678"));
    QCOMPARE(sentLabel(bench.window), sentLabelFor(4));
    const QString console = consoleText(bench.window);
    QVERIFY(console.indexOf("WIFI CONNECTED") < console.indexOf("WIFI GOT IP"));
    QList<DEVICE_SIGNAL> seen;
    for (const QList<QVariant> &reply : qAsConst(replies))
        seen << reply.at(0).value<DEVICE_SIGNAL>();
    QCOMPARE(seen, (QList<DEVICE_SIGNAL>{WIFI_CONNECTED, WIFI_GOT_IP}));

    QVERIFY(control->isEnabled());
    QCOMPARE(control->currentIndex(), 0);
    QCOMPARE(control->currentText(), kDisconnectWifi);
    QVERIFY(itemZeroAvailable(control));
    QVERIFY(cloud->isEnabled());
    QVERIFY(!cloud->isChecked());
    QCOMPARE(cloud->text(), kCloudConnect);
    QVERIFY(widget<QSpinBox>(bench.window, "keepalive_spinbox")->isEnabled());
    QCOMPARE(wifiMethodIndex(bench.window), 1);

    // Leaving: the control is back before the module has even read the line.
    bench.received.clear();
    bool enabledWhenLineArrived = false;
    int indexWhenLineArrived = -1;
    connect(&bench.module, &FakeModule::lineReceived, this, [&] {
        enabledWhenLineArrived = control->isEnabled();
        indexWhenLineArrived = control->currentIndex();
    });
    pressWifiControl(bench.window);
    QCOMPARE(bench.received.lineBytes(), QByteArrayList{"AT+CWQAP"});
    QVERIFY(enabledWhenLineArrived);
    QCOMPARE(indexWhenLineArrived, 1);
    QTRY_VERIFY(consoleText(bench.window).contains("WIFI DISCONNECT"));
    QVERIFY(!bench.module.wifiJoined());
    QCOMPARE(sentLabel(bench.window), sentLabelFor(5));
    QVERIFY(control->isEnabled());
    QCOMPARE(control->currentIndex(), 1);
    QVERIFY(!itemZeroAvailable(control));
    QVERIFY(!cloud->isEnabled());
    QCOMPARE(cloud->text(), kCloudConnect);
    QVERIFY(!widget<QSpinBox>(bench.window, "keepalive_spinbox")->isEnabled());
}

void TestWifiControl::failedJoinOffersDirectJoinAgain()
{
    ModuleBench bench;
    bench.module.setJoinErrorCode(1);
    QVERIFY(bench.open());
    ButtonCombobox *control = wifiControl(bench.window);
    auto *cloud = widget<QPushButton>(bench.window, "connectNimbrelCloudBtn");

    QStringList problems;
    {
        DialogHand hand(fillAndEnd(&problems, "abcd", "wrongpass", "ok"));
        pressWifiControl(bench.window);
        QCOMPARE(hand.dialogs, 1);
    }
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join("; ")));
    QTRY_VERIFY(consoleText(bench.window).contains("+CWJAP:1"));
    QVERIFY(!bench.module.wifiJoined());
    QVERIFY(control->isEnabled());
    QCOMPARE(control->currentIndex(), 1);
    QVERIFY(!itemZeroAvailable(control));
    QCOMPARE(control->itemText(0), kDisconnectWifi);
    QVERIFY(!cloud->isEnabled());

    // Trying again offers the values just typed; this time the module joins.
    bench.module.setJoinErrorCode(0);
    bench.received.clear();
    {
        DialogHand hand(fillAndEnd(&problems, QString(), QString(), "ok"));
        pressWifiControl(bench.window);
        QCOMPARE(hand.dialogs, 1);
    }
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join("; ")));
    QCOMPARE(bench.received.lineBytes(),
             (QByteArrayList{"AT+CWMODE=1", "AT+CWJAP=\"abcd\",\"wrongpass\""}));
    QTRY_COMPARE(control->currentIndex(), 0);
    QVERIFY(control->isEnabled());
    QVERIFY(cloud->isEnabled());
}

namespace {
// A catalogue that words both stop items alike, as a translator may.
class SameWordForBothStops : public QTranslator {
public:
    QString translate(const char *, const char *sourceText, const char *, int) const override
    {
        const QString source = QString::fromUtf8(sourceText);
        return source == kStopSmartConfig || source == kStopSoftAp ? QStringLiteral("Stop")
                                                                   : QString();
    }
    bool isEmpty() const override { return false; }
};
} // namespace

void TestWifiControl::aTranslationCannotChangeWhatAPressSends_data()
{
    QTest::addColumn<QString>("stateLine");
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("stop SmartConfig") << "+KQSTARTSMART:OK" << QByteArray("AT+KQSTOPSMART");
    QTest::newRow("stop softAP") << "+KQSAP:OK" << QByteArray("AT+KQSTOPSAP");
}

void TestWifiControl::aTranslationCannotChangeWhatAPressSends()
{
    QFETCH(QString, stateLine);
    QFETCH(QByteArray, line);
    SameWordForBothStops catalogue;
    QCoreApplication::installTranslator(&catalogue);
    ModuleBench bench;
    QVERIFY(bench.open());
    bench.module.sendLine(stateLine);
    ButtonCombobox *control = wifiControl(bench.window);
    QTRY_COMPARE(control->currentIndex(), 0);
    QCOMPARE(control->currentText(), QStringLiteral("Stop"));
    bench.received.clear();
    pressWifiControl(bench.window);
    QTRY_COMPARE(bench.received.lineBytes(), QByteArrayList{line});
    QCoreApplication::removeTranslator(&catalogue);
}

void TestWifiControl::smartConfigStartsFailsAndStops()
{
    ModuleBench bench;
    QVERIFY(bench.open());
    ButtonCombobox *control = wifiControl(bench.window);
    chooseFromList(control, 2);
    bench.received.clear();

    QStringList problems;
    DialogHand hand(fillAndEnd(&problems, QString(), QString(), "cancel"));
    pressWifiControl(bench.window);
    QCOMPARE(bench.received.lineBytes(), QByteArrayList{"AT+KQSTARTSMART"});
    QTRY_COMPARE(control->currentIndex(), 0);
    QCOMPARE(control->currentText(), kStopSmartConfig);
    QVERIFY(control->isEnabled());
    QVERIFY(itemZeroAvailable(control));
    QCOMPARE(bench.module.provisioning(), atlume::Provisioning::SmartConfig);
    QCOMPARE(wifiMethodIndex(bench.window), 2);

    // The guide follows the reply that started it.
    const QString console = consoleText(bench.window);
    const int reply = console.indexOf("+KQSTARTSMART:OK");
    const int guide =
        console.indexOf(QString::fromUtf8("  SmartConfig配网方式需要使用搭配Lumaro小程序使用"));
    const int scan = console.indexOf(
        QString::fromUtf8("  请使用Taviq或者Lumaro小程序扫描下面的二维码配合操作。"));
    QVERIFY(reply >= 0);
    QVERIFY2(reply < guide && guide < scan, qPrintable(console));
    QVERIFY(widget<QTextBrowser>(bench.window, "textBrowser")
                ->toHtml()
                .contains("./conf/SmartConfig_wifi_guid.png"));

    // Provisioning fails: SmartConfig is offered again, item 0 keeps its text.
    bench.module.finishSmartConfig(false);
    QTRY_COMPARE(control->currentIndex(), 2);
    QVERIFY(control->isEnabled());
    QVERIFY(!itemZeroAvailable(control));
    QCOMPARE(control->itemText(0), kStopSmartConfig);

    // Started again, then stopped by the user.
    pressWifiControl(bench.window);
    QTRY_COMPARE(control->currentIndex(), 0);
    QCOMPARE(control->currentText(), kStopSmartConfig);
    bench.received.clear();
    pressWifiControl(bench.window);
    QCOMPARE(bench.received.lineBytes(), QByteArrayList{"AT+KQSTOPSMART"});
    QTRY_VERIFY(consoleText(bench.window).contains("AT+KQSTOPSMART: CMD TO STOP SMARTCONFIG"));
    QCOMPARE(control->currentIndex(), 2);
    QVERIFY(control->isEnabled());
    QVERIFY(!itemZeroAvailable(control));
    QCOMPARE(bench.module.provisioning(), atlume::Provisioning::None);
    QCOMPARE(sentLabel(bench.window), sentLabelFor(5));
    QCOMPARE(hand.dialogs, 0);
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join("; ")));
}

void TestWifiControl::softApStartsAndStops()
{
    ModuleBench bench;
    QVERIFY(bench.open());
    ButtonCombobox *control = wifiControl(bench.window);
    auto *cloud = widget<QPushButton>(bench.window, "connectNimbrelCloudBtn");
    chooseFromList(control, 3);
    bench.received.clear();

    QStringList problems;
    {
        DialogHand hand(fillAndEnd(&problems, "dev_ap", "pass1234", "ok"));
        pressWifiControl(bench.window);
        QCOMPARE(hand.dialogs, 1);
    }
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join("; ")));
    QCOMPARE(bench.received.lineBytes(), QByteArrayList{"AT+KQSAP=\"dev_ap\",\"pass1234\""});
    QTRY_COMPARE(control->currentIndex(), 0);
    QCOMPARE(control->currentText(), kStopSoftAp);
    QVERIFY(control->isEnabled());
    QVERIFY(itemZeroAvailable(control));
    QCOMPARE(bench.module.provisioning(), atlume::Provisioning::SoftAp);
    QCOMPARE(bench.module.softApSsid(), QStringLiteral("dev_ap"));
    QCOMPARE(bench.module.softApPassword(), QStringLiteral("pass1234"));

    bench.received.clear();
    pressWifiControl(bench.window);
    QCOMPARE(bench.received.lineBytes(), QByteArrayList{"AT+KQSTOPSAP"});
    QTRY_VERIFY(consoleText(bench.window).contains("AT+KQSTOPSAP: CMD TO STOP SOFTAP"));
    QCOMPARE(control->currentIndex(), 3);
    QVERIFY(control->isEnabled());
    QVERIFY(!itemZeroAvailable(control));
    QCOMPARE(control->itemText(0), kStopSoftAp);
    QCOMPARE(bench.module.provisioning(), atlume::Provisioning::None);

    // Started again with the stored values; the phone's provisioning succeeds.
    {
        DialogHand hand(fillAndEnd(&problems, QString(), QString(), "ok"));
        pressWifiControl(bench.window);
        QCOMPARE(hand.dialogs, 1);
    }
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join("; ")));
    QTRY_COMPARE(control->currentText(), kStopSoftAp);
    QCOMPARE(control->currentIndex(), 0);
    bench.module.finishSoftAp(true);
    QTRY_COMPARE(control->currentText(), kDisconnectWifi);
    QCOMPARE(control->currentIndex(), 0);
    QVERIFY(control->isEnabled());
    QVERIFY(cloud->isEnabled());
    QCOMPARE(bench.received.lineBytes(),
             (QByteArrayList{"AT+KQSTOPSAP", "AT+KQSAP=\"dev_ap\",\"pass1234\""}));
}

void TestWifiControl::unavailableItemZeroCannotBeChosen()
{
    ModuleBench bench;
    QVERIFY(bench.open());
    bench.received.clear();
    ButtonCombobox *control = wifiControl(bench.window);
    QCOMPARE(control->currentIndex(), 1);
    QVERIFY(!itemZeroAvailable(control));
    QSignalSpy activated(control, QOverload<int>::of(&QComboBox::activated));
    QSignalSpy clicked(control, &ButtonCombobox::clicked);

    openList(control);
    QAbstractItemView *view = control->view();
    const QModelIndex first = view->model()->index(0, 0);
    // The list shows the item...
    QCOMPARE(first.data().toString(), kDisconnectWifi);
    const QRect row = view->visualRect(first);
    QVERIFY(!row.isEmpty());
    QVERIFY(view->viewport()->rect().contains(row.center()));
    // ...but a click on it chooses nothing.
    clickListRow(control, 0);
    QCOMPARE(control->currentIndex(), 1);
    for (const QList<QVariant> &choice : qAsConst(activated))
        QVERIFY(choice.at(0).toInt() != 0);

    // The same list does take an available item.
    openList(control);
    clickListRow(control, 2);
    QTRY_COMPARE(control->currentIndex(), 2);
    QVERIFY(!activated.isEmpty());
    QCOMPARE(activated.last().at(0).toInt(), 2);
    QTRY_VERIFY(!view->isVisible());

    // Nor from another item.
    openList(control);
    clickListRow(control, 0);
    QCOMPARE(control->currentIndex(), 2);
    QCOMPARE(activated.last().at(0).toInt(), 2);

    QCOMPARE(clicked.count(), 0);
    QVERIFY(bench.received.lines().isEmpty());
    QVERIFY(control->isEnabled());
}

void TestWifiControl::dialogBlocksTheWindow_data()
{
    QTest::addColumn<int>("item");
    QTest::addColumn<QString>("dialog");
    QTest::newRow("直接连接WiFi") << 1 << "wifi_setting_dialog";
    QTest::newRow("softAP 配网") << 3 << "softAPConnectWifi";
}

// While a Wi-Fi dialog is open the main window must not take input: the
// port could be closed or changed under the pending command.
void TestWifiControl::dialogBlocksTheWindow()
{
    QFETCH(int, item);
    QFETCH(QString, dialog);
    ModuleBench bench;
    QVERIFY(bench.open());
    ButtonCombobox *control = wifiControl(bench.window);
    if (control->currentIndex() != item)
        chooseFromList(control, item);

    // A click that the window system delivers to the window, as a user's is.
    auto *clean = widget<QPushButton>(bench.window, "cleanBtn");
    QSignalSpy cleanClicks(clean, &QPushButton::clicked);
    auto clickClean = [&] {
        QTest::mouseClick(bench.window.windowHandle(), Qt::LeftButton, Qt::NoModifier,
                          clean->mapTo(&bench.window, clean->rect().center()));
    };
    clickClean();
    QCOMPARE(cleanClicks.count(), 1);

    QStringList problems;
    int clicksWhileOpen = -1;
    DialogHand hand([&](QDialog *opened) {
        clickClean();
        clicksWhileOpen = cleanClicks.count() - 1;
        fillAndEnd(&problems, QString(), QString(), "cancel")(opened);
    });
    pressWifiControl(bench.window);
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join("; ")));
    QCOMPARE(hand.dialogs, 1);
    QCOMPARE(hand.className, dialog);
    QCOMPARE(clicksWhileOpen, 0);
    QVERIFY2(hand.modalDialogs == 1, "the dialog is not the active modal widget");
}

QTEST_MAIN(TestWifiControl)
#include "tst_wificontrol.moc"
