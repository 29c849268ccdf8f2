#include "testsupport.h"
#include "windowsupport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTextBrowser>

#include "buttoncombobox.h"
#include "scrollbacklimiter.h"

using atlume::FakeModule;

namespace {
const QString kHint = QString::fromUtf8(
    "    如果发现乱码，很有可能是波特率设置错误，请双击串口设备名，以调整波特率。");

// The name QSerialPort reports for a port opened by its /dev path.
QString shownName(const QString &path)
{
    return path.startsWith("/dev/") ? path.mid(5) : path;
}
} // namespace

class TestTerminal : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { qRegisterMetaType<DEVICE_SIGNAL>("DEVICE_SIGNAL"); }
    void openSendsStatusQueriesPaced();
    void openWithTextTypedEnablesSend_data();
    void openWithTextTypedEnablesSend();
    void closeWritesOneLineAndResetsControls();
    void openErrorsLeaveThePortClosed();
    void everyErrorValueHasItsLine_data();
    void everyErrorValueHasItsLine();
    void resourceErrorWithPortStillListed();
    void hangUpEndsLikeResourceErrorWithoutFlood_data();
    void hangUpEndsLikeResourceErrorWithoutFlood();
    void sendButtonSendsBoxAsOneLine_data();
    void sendButtonSendsBoxAsOneLine();
    void blankBoxSendsNothing();
    void leavingWifiSignalsEvenWhenWriteFails();
    void wifiLeaveTriggerIsExact_data();
    void wifiLeaveTriggerIsExact();
    void repliesAreShownAndRecognisedInOrder();
    void signalFollowsItsLineInTheConsole();
    void lineSplitAcrossReadsIsShownWhole();
    void characterSplitAcrossReadsArrivesWhole();
    void bytesAfterZeroByteAreKept();
    void unfinishedLineIsDroppedOnPortChange();
    void incomingTextNeverReplacesASelection();
    void unendedLineIsShownCutAndNotRecognised();
    void repliesAndGuideSurviveDrops();
};

void TestTerminal::openSendsStatusQueriesPaced()
{
    ModuleBench bench;
    bench.module.setWifiJoined(true);
    bench.module.setMqttConnected(true);

    qint64 wifiConnectedAt = -1;
    QObject::connect(&bench.window, &MainWindow::device_return_signal, [&](DEVICE_SIGNAL value) {
        if (value == WIFI_CONNECTED && wifiConnectedAt < 0)
            wifiConnectedAt = bench.received.elapsedMsecs();
    });
    QSignalSpy replies(&bench.window, &MainWindow::device_return_signal);
    QElapsedTimer clicked;
    clicked.start();
    QVERIFY(bench.open());
    // The click returns after both queries and their pauses.
    QVERIFY2(clicked.elapsed() >= 2000, qPrintable(QString::number(clicked.elapsed())));

    const auto &lines = bench.received.lines();
    QCOMPARE(lines.size(), 2);
    QCOMPARE(lines[0].bytes, QByteArray("AT+CIPSTATUS"));
    QCOMPARE(lines[1].bytes, QByteArray("AT+KQMQTTSTATE?"));
    QCOMPARE(bench.received.bytes(), QByteArray("AT+CIPSTATUS\r\nAT+KQMQTTSTATE?\r\n"));
    // The module reads in this thread, so its clock may see a line a few
    // milliseconds late under load; the window itself waits the full second
    // after each write, which the click's duration above shows.
    QVERIFY2(lines[1].msecs - lines[0].msecs >= 1000 - 50,
             qPrintable(QString::number(lines[1].msecs - lines[0].msecs)));
    // The first answer was recognised before the second query left.
    QVERIFY(wifiConnectedAt >= 0);
    QVERIFY(wifiConnectedAt <= lines[1].msecs);

    QTRY_VERIFY(replies.count() >= 2);
    QCOMPARE(replies.at(0).at(0).value<DEVICE_SIGNAL>(), WIFI_CONNECTED);
    QCOMPARE(replies.at(1).at(0).value<DEVICE_SIGNAL>(), MQTT_CONNECTED);

    const QString name = shownName(bench.module.slavePath());
    QVERIFY(consoleText(bench.window)
                .startsWith(QString::fromUtf8("串口 ") + name + QString::fromUtf8(" 已打开。\n") +
                            kHint + "\n"));
    QVERIFY(consoleText(bench.window).contains("STATUS:2"));
    QCOMPARE(sentLabel(bench.window), QString::fromUtf8("已发送信息：2条"));
    QCOMPARE(widget<QPushButton>(bench.window, "connectBtn")->text(), QStringLiteral("Disconnect"));
    auto *wifi = widget<ButtonCombobox>(bench.window, "connect_wifi_btn");
    QVERIFY(wifi->isEnabled());
    QVERIFY(widget<QPushButton>(bench.window, "ATorderModeBtn")->isChecked());
}

void TestTerminal::openWithTextTypedEnablesSend_data()
{
    QTest::addColumn<QString>("typed");
    QTest::newRow("empty box") << QString();
    QTest::newRow("text typed") << QStringLiteral("AT");
}

void TestTerminal::openWithTextTypedEnablesSend()
{
    QFETCH(QString, typed);
    ModuleBench bench;
    widget<QPlainTextEdit>(bench.window, "orderPlainTextEdit")->setPlainText(typed);
    QVERIFY(bench.open());
    QVERIFY(widget<QPlainTextEdit>(bench.window, "orderPlainTextEdit")->isEnabled());
    QCOMPARE(widget<QPushButton>(bench.window, "sendBtn")->isEnabled(), !typed.isEmpty());
    QCOMPARE(widget<QPushButton>(bench.window, "sendBtn")->text(), QString::fromUtf8("发送"));
    // Item 0 ("断开WiFi") cannot be chosen while Wi-Fi is not up.
    auto *wifi = widget<ButtonCombobox>(bench.window, "connect_wifi_btn");
    QCOMPARE(wifi->currentIndex(), 1);
    QCOMPARE(wifi->itemData(0, Qt::UserRole - 1).toInt(), 0);
}

void TestTerminal::closeWritesOneLineAndResetsControls()
{
    ModuleBench bench;
    QVERIFY(bench.open());
    const QString before = consoleText(bench.window);
    const QString label = sentLabel(bench.window);
    QTest::mouseClick(widget<QPushButton>(bench.window, "connectBtn"), Qt::LeftButton);

    QVERIFY(!portOf(bench.window)->isOpen());
    QCOMPARE(consoleText(bench.window), before + "\n" + QString::fromUtf8("串口 ") +
                                            shownName(bench.module.slavePath()) +
                                            QString::fromUtf8(" 已关闭。"));
    QCOMPARE(sentLabel(bench.window), label);
    QCOMPARE(widget<QPushButton>(bench.window, "connectBtn")->text(), QStringLiteral("Connect"));
    QVERIFY(widget<QPushButton>(bench.window, "connectBtn")->isEnabled());
    for (const char *name :
         {"sendBtn", "orderPlainTextEdit", "connect_wifi_btn", "connectNimbrelCloudBtn",
          "ATorderModeBtn", "set_dev_conf_btn", "productIDLineEdit", "deviceNameLineEdit",
          "deviceSecretLineEdit", "keepalive_spinbox"})
        QVERIFY2(!widget<QWidget>(bench.window, name)->isEnabled(), name);
    QVERIFY(!widget<QPushButton>(bench.window, "ATorderModeBtn")->isChecked());
}

void TestTerminal::openErrorsLeaveThePortClosed()
{
    ModuleBench bench;
    // Another program holding the port.
    QSerialPort holder(bench.module.slavePath());
    QVERIFY(holder.open(QIODevice::ReadWrite));
    QTest::mouseClick(widget<QPushButton>(bench.window, "connectBtn"), Qt::LeftButton);
    QVERIFY(!portOf(bench.window)->isOpen());
    QVERIFY(consoleText(bench.window)
                .contains("An error occurred while attempting to open an already opened device "
                          "by another process"));
    QCOMPARE(widget<QPushButton>(bench.window, "connectBtn")->text(), QStringLiteral("Connect"));
    holder.close();

    // A port that is listed but does not exist.
    bench.ports.ports << "ttyAtlumeMissing0";
    QTest::mouseClick(widget<QPushButton>(bench.window, "scanPortBtn"), Qt::LeftButton);
    selectPort(bench.window, "ttyAtlumeMissing0");
    QTest::mouseClick(widget<QPushButton>(bench.window, "connectBtn"), Qt::LeftButton);
    QVERIFY(!portOf(bench.window)->isOpen());
    QCOMPARE(consoleText(bench.window),
             QStringLiteral("An error occurred while attempting to open an non-existing device."));
    QCOMPARE(widget<QPushButton>(bench.window, "connectBtn")->text(), QStringLiteral("Connect"));
    QCOMPARE(bench.received.bytes(), QByteArray());
}

void TestTerminal::everyErrorValueHasItsLine_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("line");
    // By name: Qt 6 dropped the three hardware errors and numbers the rest anew.
    QTest::newRow("no error") << int(QSerialPort::NoError) << QString();
    QTest::newRow("device not found")
        << int(QSerialPort::DeviceNotFoundError)
        << "An error occurred while attempting to open an non-existing device.";
    QTest::newRow("permission") << int(QSerialPort::PermissionError)
                                << "An error occurred while attempting to open an already opened "
                                   "device by another process or a user not having enough "
                                   "permission and credentials to open.";
    QTest::newRow("open") << int(QSerialPort::OpenError)
                          << "An error occurred while attempting to open an already opened device "
                             "in this object.";
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    QTest::newRow("parity") << int(QSerialPort::ParityError)
                            << "Parity error detected by the hardware while reading data. This "
                               "value is obsolete. We strongly advise against using it in new "
                               "code.";
    QTest::newRow("framing") << int(QSerialPort::FramingError)
                             << "Framing error detected by the hardware while reading data. This "
                                "value is obsolete. We strongly advise against using it in new "
                                "code.";
    QTest::newRow("break") << int(QSerialPort::BreakConditionError)
                           << "Break condition detected by the hardware on the input line. This "
                              "value is obsolete. We strongly advise against using it in new code.";
#endif
    QTest::newRow("write") << int(QSerialPort::WriteError)
                           << "An I/O error occurred while writing the data.";
    QTest::newRow("read") << int(QSerialPort::ReadError)
                          << "An I/O error occurred while reading the data.";
    QTest::newRow("unsupported") << int(QSerialPort::UnsupportedOperationError)
                                 << "The requested device operation is not supported or "
                                    "prohibited by the running operating system.";
    QTest::newRow("unknown") << int(QSerialPort::UnknownError) << "An unidentified error occurred.";
    QTest::newRow("timeout") << int(QSerialPort::TimeoutError)
                             << "A timeout error occurred. This value was introduced in "
                                "QtSerialPort 5.2.";
    QTest::newRow("not open") << int(QSerialPort::NotOpenError)
                              << "This error occurs when an operation is executed that can only "
                                 "be successfully performed if the device is open. This value was "
                                 "introduced in QtSerialPort 5.2.";
    QTest::newRow("beyond the last") << int(QSerialPort::NotOpenError) + 1 << QString();
}

void TestTerminal::everyErrorValueHasItsLine()
{
    QFETCH(int, value);
    QFETCH(QString, line);
    ModuleBench bench;
    QVERIFY(bench.open());
    auto *console = widget<QTextBrowser>(bench.window, "textBrowser");
    console->clear();
    QVERIFY(QMetaObject::invokeMethod(
        &bench.window, "printSerialError",
        Q_ARG(QSerialPort::SerialPortError, QSerialPort::SerialPortError(value))));
    QCOMPARE(console->toPlainText(), line);
    // Only the resource error changes any state.
    QVERIFY(portOf(bench.window)->isOpen());
    QCOMPARE(widget<QPushButton>(bench.window, "connectBtn")->text(), QStringLiteral("Disconnect"));
}

void TestTerminal::resourceErrorWithPortStillListed()
{
    ModuleBench bench;
    QVERIFY(bench.open());
    QVERIFY(
        QMetaObject::invokeMethod(&bench.window, "printSerialError",
                                  Q_ARG(QSerialPort::SerialPortError, QSerialPort::ResourceError)));
    QVERIFY(consoleText(bench.window)
                .endsWith("An I/O error occurred when a resource becomes unavailable, e.g. when "
                          "the device is unexpectedly removed from the system."));
    // The port stays selected, is closed, and can be opened again.
    QTRY_VERIFY(!portOf(bench.window)->isOpen());
    auto *connectBtn = widget<QPushButton>(bench.window, "connectBtn");
    QCOMPARE(connectBtn->text(), QStringLiteral("Connect"));
    QVERIFY(connectBtn->isEnabled());
    QVERIFY(widget<QListWidget>(bench.window, "portListWidget")->currentItem());
    QVERIFY(!widget<QPushButton>(bench.window, "sendBtn")->isEnabled());
    QVERIFY(!widget<QWidget>(bench.window, "orderPlainTextEdit")->isEnabled());
    QVERIFY(!widget<QWidget>(bench.window, "connect_wifi_btn")->isEnabled());

    bench.received.clear();
    QTest::mouseClick(connectBtn, Qt::LeftButton);
    QVERIFY(portOf(bench.window)->isOpen());
    QVERIFY(bench.received.waitForLines(2, 3000));
}

void TestTerminal::hangUpEndsLikeResourceErrorWithoutFlood_data()
{
    QTest::addColumn<bool>("stillListed");
    // Qt 5.15 reports a hung-up tty either as one resource error or, depending
    // on the errno left over from an earlier call, as read errors without end.
    QTest::addColumn<bool>("readErrorFirst");
    QTest::newRow("adapter gone from the system") << false << false;
    QTest::newRow("port still listed") << true << false;
    QTest::newRow("gone, seen as a read error") << false << true;
    QTest::newRow("listed, seen as a read error") << true << true;
}

void TestTerminal::hangUpEndsLikeResourceErrorWithoutFlood()
{
    QFETCH(bool, stillListed);
    QFETCH(bool, readErrorFirst);
    ModuleBench bench;
    bench.ports.ports << "ttyAtlumeOther0";
    QTest::mouseClick(widget<QPushButton>(bench.window, "scanPortBtn"), Qt::LeftButton);
    QVERIFY(bench.open());
    auto *connectBtn = widget<QPushButton>(bench.window, "connectBtn");
    // The click left focus on connectBtn; the recovery disables it.
    QVERIFY(QTest::qWaitForWindowActive(&bench.window));
    connectBtn->setFocus(Qt::MouseFocusReason);
    QVERIFY(connectBtn->hasFocus());
    if (!stillListed)
        bench.ports.ports = QStringList{"ttyAtlumeOther0"};

    bench.module.hangUp();
    for (int i = 0; readErrorFirst && i < 3; ++i)
        QVERIFY(
            QMetaObject::invokeMethod(&bench.window, "printSerialError",
                                      Q_ARG(QSerialPort::SerialPortError, QSerialPort::ReadError)));
    QTRY_VERIFY(!portOf(bench.window)->isOpen());
    // Let a flood, if any, show itself.
    QTest::qWait(200);

    const QString resourceLine = "An I/O error occurred when a resource becomes unavailable, e.g. "
                                 "when the device is unexpectedly removed from the system.";
    const QString console = consoleText(bench.window);
    QVERIFY(!console.contains("An I/O error occurred while reading the data."));
    QCOMPARE(connectBtn->text(), QStringLiteral("Connect"));
    auto *list = widget<QListWidget>(bench.window, "portListWidget");
    if (stillListed) {
        QCOMPARE(console.count(resourceLine), 1);
        QVERIFY(connectBtn->isEnabled());
        QVERIFY(list->currentItem());
    } else {
        // The rescan dropped the port and cleared the console; focus moving to
        // the list must not pick another port.
        QVERIFY(console.isEmpty() || console == resourceLine);
        QVERIFY(!connectBtn->isEnabled());
        QVERIFY(list->hasFocus());
        QCOMPARE(list->currentItem(), nullptr);
        QCOMPARE(portOf(bench.window)->portName(), shownName(bench.module.slavePath()));
    }
    QVERIFY(!widget<QWidget>(bench.window, "orderPlainTextEdit")->isEnabled());
    QVERIFY(!widget<QWidget>(bench.window, "sendBtn")->isEnabled());
}

void TestTerminal::sendButtonSendsBoxAsOneLine_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QByteArray>("wire");
    QTest::newRow("one command") << "AT" << QByteArray("AT\r\n");
    QTest::newRow("two lines become one") << "AT\nAT+GMR" << QByteArray("AT AT+GMR\r\n");
    QTest::newRow("chinese as utf-8") << QString::fromUtf8("AT+X=\"温度\"")
                                      << QByteArray("AT+X=\"\xE6\xB8\xA9\xE5\xBA\xA6\"\r\n");
    QTest::newRow("leading blanks kept") << "  AT" << QByteArray("  AT\r\n");
}

void TestTerminal::sendButtonSendsBoxAsOneLine()
{
    QFETCH(QString, box);
    QFETCH(QByteArray, wire);
    ModuleBench bench;
    QVERIFY(bench.open());
    bench.received.clear();
    auto *edit = widget<QPlainTextEdit>(bench.window, "orderPlainTextEdit");
    edit->setPlainText(box);
    QVERIFY(widget<QPushButton>(bench.window, "sendBtn")->isEnabled());
    QTest::mouseClick(widget<QPushButton>(bench.window, "sendBtn"), Qt::LeftButton);
    QCOMPARE(bench.received.bytes(), wire);
    QCOMPARE(sentLabel(bench.window), QString::fromUtf8("已发送信息：3条"));
    QCOMPARE(edit->toPlainText(), box);
}

void TestTerminal::blankBoxSendsNothing()
{
    ModuleBench bench;
    QVERIFY(bench.open());
    bench.received.clear();
    auto *edit = widget<QPlainTextEdit>(bench.window, "orderPlainTextEdit");
    edit->setPlainText("  \n \n");
    QTest::mouseClick(widget<QPushButton>(bench.window, "sendBtn"), Qt::LeftButton);
    QVERIFY(edit->toPlainText().isEmpty());
    QVERIFY(!widget<QPushButton>(bench.window, "sendBtn")->isEnabled());
    QTest::qWait(50);
    QCOMPARE(bench.received.bytes(), QByteArray());
    QCOMPARE(sentLabel(bench.window), QString::fromUtf8("已发送信息：2条"));
}

void TestTerminal::leavingWifiSignalsEvenWhenWriteFails()
{
    ModuleBench bench;
    QSignalSpy replies(&bench.window, &MainWindow::device_return_signal);
    const QString label = sentLabel(bench.window);
    QElapsedTimer timer;
    timer.start();
    // The port is closed, so the write fails.
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("device not open"));
    bench.window.send_order("AT+CWQAP");
    QVERIFY(timer.elapsed() >= 1000);
    QCOMPARE(replies.count(), 1);
    QCOMPARE(replies.at(0).at(0).value<DEVICE_SIGNAL>(), WIFI_DISCONNECTED);
    QCOMPARE(sentLabel(bench.window), label);
}

void TestTerminal::wifiLeaveTriggerIsExact_data()
{
    QTest::addColumn<QString>("order");
    QTest::addColumn<bool>("emits");
    QTest::newRow("exact") << "AT+CWQAP" << true;
    QTest::newRow("lower case") << "at+cwqap" << false;
    QTest::newRow("trailing blank") << "AT+CWQAP " << false;
    QTest::newRow("query") << "AT+CWQAP?" << false;
}

void TestTerminal::wifiLeaveTriggerIsExact()
{
    QFETCH(QString, order);
    QFETCH(bool, emits);
    ModuleBench bench;
    QVERIFY(bench.open());
    QSignalSpy replies(&bench.window, &MainWindow::device_return_signal);
    bench.window.send_order(order);
    QCOMPARE(replies.count() > 0 && replies.at(0).at(0).value<DEVICE_SIGNAL>() == WIFI_DISCONNECTED,
             emits);
    QCOMPARE(bench.received.lineBytes().last(), order.toUtf8());
}

void TestTerminal::repliesAreShownAndRecognisedInOrder()
{
    ModuleBench bench;
    QVERIFY(bench.open());
    auto *console = widget<QTextBrowser>(bench.window, "textBrowser");
    console->clear();
    QSignalSpy replies(&bench.window, &MainWindow::device_return_signal);
    bench.module.sendRaw("WIFI CONNECTED\r\nWIFI GOT IP\r\n");
    QTRY_COMPARE(replies.count(), 2);
    QCOMPARE(replies.at(0).at(0).value<DEVICE_SIGNAL>(), WIFI_CONNECTED);
    QCOMPARE(replies.at(1).at(0).value<DEVICE_SIGNAL>(), WIFI_GOT_IP);
    QVERIFY(console->toPlainText().contains("WIFI CONNECTED"));
    QVERIFY(console->toPlainText().contains("WIFI GOT IP"));
    QVERIFY(console->toPlainText().indexOf("WIFI CONNECTED") <
            console->toPlainText().indexOf("WIFI GOT IP"));
    // Painting is held back a moment while text arrives, never for good.
    QTRY_VERIFY(console->updatesEnabled());
}

void TestTerminal::signalFollowsItsLineInTheConsole()
{
    ModuleBench bench;
    QVERIFY(bench.open());
    auto *console = widget<QTextBrowser>(bench.window, "textBrowser");
    console->clear();
    QStringList seen;
    QObject::connect(&bench.window, &MainWindow::device_return_signal,
                     [&](DEVICE_SIGNAL) { seen << console->toPlainText(); });
    bench.module.sendRaw("first\r\n+KQMQTTCONN:OK\r\nafter\r\n+KQMQTTDISCON\r\ntail\r\n");
    QTRY_VERIFY(console->toPlainText().contains("tail"));
    QCOMPARE(seen.size(), 2);
    QVERIFY(seen[0].contains("+KQMQTTCONN:OK"));
    QVERIFY(!seen[0].contains("after"));
    QVERIFY(seen[1].contains("+KQMQTTDISCON"));
    QVERIFY(!seen[1].contains("tail"));
}

void TestTerminal::lineSplitAcrossReadsIsShownWhole()
{
    ModuleBench bench;
    QVERIFY(bench.open());
    auto *console = widget<QTextBrowser>(bench.window, "textBrowser");
    console->clear();
    QSignalSpy replies(&bench.window, &MainWindow::device_return_signal);
    QSignalSpy reads(portOf(bench.window), &QSerialPort::readyRead);

    bench.module.sendRaw("WIFI CONN");
    QVERIFY(reads.wait(2000));
    QVERIFY(console->toPlainText().isEmpty());
    bench.module.sendRaw("ECTED\r");
    QVERIFY(reads.wait(2000));
    QVERIFY(console->toPlainText().isEmpty());
    bench.module.sendRaw("\nnext");
    QTRY_COMPARE(replies.count(), 1);
    QCOMPARE(replies.at(0).at(0).value<DEVICE_SIGNAL>(), WIFI_CONNECTED);
    QVERIFY(console->toPlainText().startsWith("WIFI CONNECTED"));
    QVERIFY(!console->toPlainText().contains("next"));
}

void TestTerminal::characterSplitAcrossReadsArrivesWhole()
{
    ModuleBench bench;
    QVERIFY(bench.open());
    auto *console = widget<QTextBrowser>(bench.window, "textBrowser");
    console->clear();
    QSignalSpy reads(portOf(bench.window), &QSerialPort::readyRead);
    const QByteArray text("\xE6\xB8\xA9\xE5\xBA\xA6 ok\r\n");
    bench.module.sendRaw(text.left(2));
    QVERIFY(reads.wait(2000));
    bench.module.sendRaw(text.mid(2));
    QTRY_VERIFY(console->toPlainText().contains("ok"));
    QVERIFY(console->toPlainText().startsWith(QString::fromUtf8("温度 ok")));
    QVERIFY(!console->toPlainText().contains(QChar(QChar::ReplacementCharacter)));
}

void TestTerminal::bytesAfterZeroByteAreKept()
{
    ModuleBench bench;
    QVERIFY(bench.open());
    auto *console = widget<QTextBrowser>(bench.window, "textBrowser");
    console->clear();
    QSignalSpy replies(&bench.window, &MainWindow::device_return_signal);
    bench.module.sendRaw(QByteArray("noise\0\r\nWIFI GOT IP\r\n", 21));
    QTRY_COMPARE(replies.count(), 1);
    QCOMPARE(replies.at(0).at(0).value<DEVICE_SIGNAL>(), WIFI_GOT_IP);
    QVERIFY(console->toPlainText().startsWith("noise"));
    QVERIFY(console->toPlainText().contains("WIFI GOT IP"));
}

void TestTerminal::unfinishedLineIsDroppedOnPortChange()
{
    ModuleBench bench;
    FakeModule second;
    QVERIFY(second.open());
    atlume::support::ModuleRecorder secondReceived(second);
    bench.ports.ports << second.slavePath();
    QTest::mouseClick(widget<QPushButton>(bench.window, "scanPortBtn"), Qt::LeftButton);
    QVERIFY(bench.open());
    QSignalSpy reads(portOf(bench.window), &QSerialPort::readyRead);
    bench.module.sendRaw("half a li");
    QVERIFY(reads.wait(2000));

    selectPort(bench.window, second.slavePath());
    QTest::mouseClick(widget<QPushButton>(bench.window, "connectBtn"), Qt::LeftButton);
    QVERIFY(secondReceived.waitForLines(2, 3000));
    auto *console = widget<QTextBrowser>(bench.window, "textBrowser");
    console->clear();
    second.sendRaw("ne\r\nWIFI GOT IP\r\n");
    QTRY_VERIFY(console->toPlainText().contains("WIFI GOT IP"));
    QVERIFY(!console->toPlainText().contains("half"));
    QVERIFY(console->toPlainText().startsWith("ne"));
}

void TestTerminal::incomingTextNeverReplacesASelection()
{
    ModuleBench bench;
    QVERIFY(bench.open());
    auto *console = widget<QTextBrowser>(bench.window, "textBrowser");
    console->clear();
    console->append("keep this line");
    // The user selects text to copy it while the module keeps talking.
    QTextCursor selection = console->textCursor();
    selection.setPosition(0);
    selection.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    console->setTextCursor(selection);
    QCOMPARE(console->textCursor().selectedText(), QStringLiteral("keep this line"));

    bench.module.sendRaw("late reply\r\n");
    QTRY_VERIFY(console->toPlainText().contains("late reply"));
    QVERIFY(console->toPlainText().startsWith("keep this line"));
}

void TestTerminal::unendedLineIsShownCutAndNotRecognised()
{
    ModuleBench bench;
    QVERIFY(bench.open());
    auto *console = widget<QTextBrowser>(bench.window, "textBrowser");
    console->clear();
    QSignalSpy replies(&bench.window, &MainWindow::device_return_signal);
    // A reply that never ends: at 64 KiB it is shown as it is, and the
    // module's next line is framed and recognised as usual.
    const QByteArray unended = "WIFI CONNECTED" + QByteArray(70000, 'x');
    bench.module.sendRaw(unended + "\r\nWIFI GOT IP\r\n");
    QTRY_COMPARE(replies.count(), 1);
    QCOMPARE(replies.at(0).at(0).value<DEVICE_SIGNAL>(), WIFI_GOT_IP);
    const QStringList paragraphs = console->toPlainText().split(QLatin1Char('\n'));
    QCOMPARE(paragraphs.value(0), QString::fromLatin1(unended.left(65536)));
    QCOMPARE(paragraphs.value(1), QString::fromLatin1(unended.mid(65536)));
    QCOMPARE(paragraphs.value(2), QStringLiteral("WIFI GOT IP"));
}

void TestTerminal::repliesAndGuideSurviveDrops()
{
    ModuleBench bench;
    QVERIFY(bench.open());
    auto *console = widget<QTextBrowser>(bench.window, "textBrowser");
    auto *limiter = console->findChild<ScrollbackLimiter *>();
    QVERIFY(limiter);
    limiter->setLimits({1e9, 3000, 1000000});
    auto *wifi = widget<ButtonCombobox>(bench.window, "connect_wifi_btn");
    auto filler = [](const char *tag) {
        QByteArray lines;
        for (int i = 0; i < 300; ++i)
            lines += tag + QByteArray::number(i) + "\r\n";
        return lines;
    };

    bench.module.sendRaw(filler("before ") + "+KQSTARTSMART:OK\r\n");
    QTRY_COMPARE(wifi->itemText(0), QString::fromUtf8("停止SmartConfig配网"));
    QCOMPARE(wifi->currentIndex(), 0);
    QVERIFY(console->toHtml().contains("SmartConfig_wifi_guid.png"));
    QVERIFY(console->toPlainText().contains(QString::fromUtf8("小程序扫描下面的二维码")));
    QVERIFY(limiter->droppedLines() > 0);

    // The guide and its picture scroll out like any other lines.
    bench.module.sendRaw(filler("after ") + "WIFI CONNECTED\r\n");
    QTRY_COMPARE(wifi->itemText(0), QString::fromUtf8("断开WiFi"));
    QVERIFY(!console->toHtml().contains("SmartConfig_wifi_guid.png"));
    const QStringList paragraphs = console->toPlainText().split(QLatin1Char('\n'));
    QCOMPARE(paragraphs.first(), ScrollbackLimiter::markerText(limiter->droppedLines()));
    QCOMPARE(paragraphs.mid(paragraphs.size() - 3),
             (QStringList{"after 299", "WIFI CONNECTED", QString()}));
}

QTEST_MAIN(TestTerminal)
#include "tst_terminal.moc"
