#include "aboutdialog.h"
#include "buttoncombobox.h"
#include "seriportconfsetting.h"
#include "windowsupport.h"

#include <QAction>
#include <QGroupBox>
#include <QPlainTextEdit>
#include <QTextBrowser>
#include <QToolButton>

// Every control that the form wires by name reaches its slot, once.
class TestWiring : public QObject {
    Q_OBJECT

private slots:
    void scanButtonRebuildsTheList();
    void listSelectsAndDoubleClickOpensSettings();
    void connectButtonTriesToOpen();
    void cleanButtonEmptiesTheConsole();
    void commandBoxEnablesSendAndSendRuns();
    void modeButtonsSetTheMode_data();
    void modeButtonsSetTheMode();
    void deviceInfoButtonRunsOnce();
    void cloudButtonRevertsItsClick();
    void wifiControlPressRunsItsAction();
    void foldButtonFoldsTheIotGroups();
    void helpMenuOpensAboutDialog();
};

void TestWiring::scanButtonRebuildsTheList()
{
    PortListWindow bench;
    MainWindow &window = bench.window;
    auto *list = widget<QListWidget>(window, "portListWidget");
    QCOMPARE(list->count(), 0);
    bench.ports.ports = QStringList{"ttyA", "ttyB"};
    QTest::mouseClick(widget<QPushButton>(window, "scanPortBtn"), Qt::LeftButton);
    QCOMPARE(list->count(), 2);
}

void TestWiring::listSelectsAndDoubleClickOpensSettings()
{
    PortListWindow bench({"ttyA"});
    MainWindow &window = bench.window;
    showAndActivate(window);
    selectPort(window, "ttyA");
    QCOMPARE(portOf(window)->portName(), QStringLiteral("ttyA"));

    DialogHand hand([](QDialog *dialog) { dialog->close(); });
    auto *list = widget<QListWidget>(window, "portListWidget");
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                       list->visualItemRect(portItem(window, "ttyA")).center());
    QCOMPARE(hand.className, QStringLiteral("SeriPortConfSetting"));
}

void TestWiring::connectButtonTriesToOpen()
{
    PortListWindow bench({"ttyAtlumeMissing0"});
    MainWindow &window = bench.window;
    window.show();
    selectPort(window, "ttyAtlumeMissing0");
    QTest::mouseClick(widget<QPushButton>(window, "connectBtn"), Qt::LeftButton);
    QCOMPARE(consoleText(window),
             QStringLiteral("An error occurred while attempting to open an non-existing device."));
}

void TestWiring::cleanButtonEmptiesTheConsole()
{
    TempWorkDir work;
    MainWindow window;
    auto *console = widget<QTextBrowser>(window, "textBrowser");
    // Every change of the console leaves its cursor at the end.
    console->setPlainText("first\nsecond");
    QCOMPARE(console->textCursor().position(), console->document()->characterCount() - 1);
    QTest::mouseClick(widget<QPushButton>(window, "cleanBtn"), Qt::LeftButton);
    QVERIFY(console->toPlainText().isEmpty());
    QCOMPARE(sentLabel(window), QString::fromUtf8("已发送信息: 0条"));
}

void TestWiring::commandBoxEnablesSendAndSendRuns()
{
    TempWorkDir work;
    MainWindow window;
    auto *box = widget<QPlainTextEdit>(window, "orderPlainTextEdit");
    auto *send = widget<QPushButton>(window, "sendBtn");
    box->setPlainText(" \n ");
    QVERIFY(send->isEnabled());
    // A blank box is cleared by the send action, which disables the button again.
    QTest::mouseClick(send, Qt::LeftButton);
    QVERIFY(box->toPlainText().isEmpty());
    QVERIFY(!send->isEnabled());
}

void TestWiring::modeButtonsSetTheMode_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("sendText");
    QTest::newRow("subscribe") << "subTopicBtn" << 1 << QString::fromUtf8("订阅主题");
    QTest::newRow("unsubscribe") << "unsubTopicBtn" << 2 << QString::fromUtf8("取消订阅");
    QTest::newRow("publish") << "releaseTopicMsgBtn" << 3 << QString::fromUtf8("发布消息");
    QTest::newRow("publish long") << "releaseTopicLongMsgBtn" << 4
                                  << QString::fromUtf8("发布长消息");
}

void TestWiring::modeButtonsSetTheMode()
{
    QFETCH(QString, button);
    QFETCH(int, mode);
    QFETCH(QString, sendText);
    TempWorkDir work;
    MainWindow window;
    auto *modeButton = widget<QPushButton>(window, qPrintable(button));
    modeButton->setEnabled(true);
    QTest::mouseClick(modeButton, Qt::LeftButton);
    QCOMPARE(orderMode(window), mode);
    QCOMPARE(widget<QPushButton>(window, "sendBtn")->text(), sendText);

    auto *atMode = widget<QPushButton>(window, "ATorderModeBtn");
    atMode->setEnabled(true);
    QTest::mouseClick(atMode, Qt::LeftButton);
    QCOMPARE(orderMode(window), 0);
    QVERIFY(atMode->isChecked());
    QVERIFY(!modeButton->isChecked());
    QCOMPARE(widget<QPushButton>(window, "sendBtn")->text(), QString::fromUtf8("发送"));
}

void TestWiring::deviceInfoButtonRunsOnce()
{
    TempWorkDir work;
    MainWindow window;
    auto *button = widget<QPushButton>(window, "set_dev_conf_btn");
    button->setEnabled(true);
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(consoleText(window), QString::fromUtf8("请先在'设备信息参数'处完善设备信息"));
}

void TestWiring::cloudButtonRevertsItsClick()
{
    TempWorkDir work;
    MainWindow window;
    auto *cloud = widget<QPushButton>(window, "connectNimbrelCloudBtn");
    cloud->setEnabled(true);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("device not open"));
    QTest::mouseClick(cloud, Qt::LeftButton);
    QVERIFY(!cloud->isChecked());
}

void TestWiring::wifiControlPressRunsItsAction()
{
    TempWorkDir work;
    MainWindow window;
    window.show();
    auto *wifi = widget<ButtonCombobox>(window, "connect_wifi_btn");
    wifi->setEnabled(true);
    wifi->setCurrentIndex(2);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("device not open"));
    QTest::mousePress(wifi, Qt::LeftButton, Qt::NoModifier, QPoint(5, wifi->height() / 2));
    QTest::mouseRelease(wifi, Qt::LeftButton, Qt::NoModifier, QPoint(5, wifi->height() / 2));
    QVERIFY(!wifi->isEnabled());
}

void TestWiring::foldButtonFoldsTheIotGroups()
{
    TempWorkDir work;
    MainWindow window;
    window.show();
    auto *fold = widget<QToolButton>(window, "deviceIoTInfoToolBtn");
    QTest::mouseClick(fold, Qt::LeftButton);
    QVERIFY(widget<QGroupBox>(window, "IoTDeviceInFoGroupBox")->isHidden());
    QVERIFY(widget<QGroupBox>(window, "mqtt_connect_config_area")->isHidden());
    QCOMPARE(fold->text(), QString::fromUtf8("展开物联网设置区域"));
    QTest::mouseClick(fold, Qt::LeftButton);
    QVERIFY(!widget<QGroupBox>(window, "IoTDeviceInFoGroupBox")->isHidden());
    QVERIFY(!widget<QGroupBox>(window, "mqtt_connect_config_area")->isHidden());
    QCOMPARE(fold->text(), QString::fromUtf8("隐藏物联网设置区域"));
}

void TestWiring::helpMenuOpensAboutDialog()
{
    TempWorkDir work;
    MainWindow window;
    window.show();
    DialogHand hand([](QDialog *dialog) { dialog->close(); });
    window.findChild<QAction *>("action_Nimbrel_IoT")->trigger();
    QCOMPARE(hand.className, QStringLiteral("AboutDialog"));
    // The dialog lived on the slot's stack and is gone.
    QCOMPARE(window.findChildren<AboutDialog *>().size(), 0);
}

QTEST_MAIN(TestWiring)
#include "tst_wiring.moc"
