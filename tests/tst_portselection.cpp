#include "testsupport.h"
#include "windowsupport.h"

#include <QComboBox>
#include <QDialog>
#include <QJsonObject>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTextBrowser>
#include <QToolButton>

#include "buttoncombobox.h"

class TestPortSelection : public QObject {
    Q_OBJECT

private slots:
    void startsWithNothingSelectedAndTheControlsAtRest();
    void startupCreatesPortConfOnlyInsideConf();
    void styleSheetStopsAtNul();
    void portListIsSortedAsText();
    void firstSelectionLoadsFileAndWritesNothing();
    void selectingStoresOnlyAPortThatIsLeft_data();
    void selectingStoresOnlyAPortThatIsLeft();
    void rescanKeepsTheSelectionOnlyWhileItsPortIsListed_data();
    void rescanKeepsTheSelectionOnlyWhileItsPortIsListed();
    void closingStoresSelectedPort_data();
    void closingStoresSelectedPort();
    void doubleClickOpensSettingsDialog();
    void doubleClickOnAnotherPortStoresTheLeftOne();
    void focusAloneNeverSelectsAPort();
    void keysStillSelectAPort();
};

void TestPortSelection::startsWithNothingSelectedAndTheControlsAtRest()
{
    PortListWindow bench({"ttyB", "ttyA"});
    MainWindow &window = bench.window;

    auto *list = widget<QListWidget>(window, "portListWidget");
    QCOMPARE(list->count(), 2);
    QCOMPARE(list->currentItem(), nullptr);
    QCOMPARE(list->toolTip(), QString::fromUtf8("  双击串口名称可对通讯模组串口属性进行设置。"));
    QVERIFY(!portOf(window)->isOpen());
    QVERIFY(portOf(window)->portName().isEmpty());

    for (const char *name :
         {"connectBtn", "sendBtn", "orderPlainTextEdit", "set_dev_conf_btn", "connect_wifi_btn",
          "connectNimbrelCloudBtn", "ATorderModeBtn", "subTopicBtn", "unsubTopicBtn",
          "releaseTopicMsgBtn", "releaseTopicLongMsgBtn", "productIDLineEdit", "deviceNameLineEdit",
          "deviceSecretLineEdit", "cmdtimeout_spinbox", "keepalive_spinbox",
          "clean_session_combobox", "reconnect_combobox", "tlsmode_combobox"})
        QVERIFY2(!widget<QWidget>(window, name)->isEnabled(), name);
    for (const char *name : {"scanPortBtn", "portListWidget", "cleanBtn", "textBrowser"})
        QVERIFY2(widget<QWidget>(window, name)->isEnabled(), name);

    for (const char *name : {"topicLabel", "topicLineEdit", "qosLabel", "qosComboBox"})
        QVERIFY2(widget<QWidget>(window, name)->isHidden(), name);
    QCOMPARE(widget<QComboBox>(window, "qosComboBox")->currentIndex(), 0);

    for (const char *name : {"ATorderModeBtn", "subTopicBtn", "unsubTopicBtn", "releaseTopicMsgBtn",
                             "releaseTopicLongMsgBtn", "connectNimbrelCloudBtn"})
        QVERIFY2(!widget<QPushButton>(window, name)->isChecked(), name);
    QCOMPARE(widget<QPushButton>(window, "connectNimbrelCloudBtn")->text(),
             QString::fromUtf8("连接Nimbrel云"));
    QCOMPARE(widget<QPushButton>(window, "connectBtn")->text(), QStringLiteral("Connect"));
    QCOMPARE(widget<ButtonCombobox>(window, "connect_wifi_btn")->currentIndex(), 1);
    QCOMPARE(widget<QComboBox>(window, "tlsmode_combobox")->currentIndex(), 1);
    QCOMPARE(widget<QComboBox>(window, "reconnect_combobox")->currentIndex(), 1);

    for (const char *name :
         {"inputGroupBox", "extendGroupBox", "IoTDeviceInFoGroupBox", "modeGroupBox"})
        QCOMPARE(widget<QWidget>(window, name)->styleSheet(),
                 QStringLiteral("#groupBox{border: none;}"));

    auto *console = widget<QTextBrowser>(window, "textBrowser");
    QVERIFY(console->verticalScrollBar()->hasMouseTracking());
    const auto toolButtons =
        console->findChildren<QToolButton *>(QString(), Qt::FindDirectChildrenOnly);
    QCOMPARE(toolButtons.size(), 1);
    QVERIFY(toolButtons.first()->isHidden());
    QVERIFY(toolButtons.first()->text().isEmpty());
    QVERIFY(toolButtons.first()->toolTip().isEmpty());
    QCOMPARE(orderMode(window), 0);
    QCOMPARE(wifiMethodIndex(window), 1);
}

void TestPortSelection::startupCreatesPortConfOnlyInsideConf()
{
    {
        TempWorkDir work(false);
        FakePortList ports({"ttyA"});
        {
            MainWindow window;
            QVERIFY(!QFileInfo::exists("conf"));
            selectPort(window, "ttyA");
            window.close();
        }
        QVERIFY(!QFileInfo::exists("conf"));
        QCOMPARE(QDir(work.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                 QStringList());
    }
    {
        TempWorkDir work;
        MainWindow window;
        QVERIFY(QFileInfo(QStringLiteral("conf/portConf")).isDir());
    }
}

void TestPortSelection::styleSheetStopsAtNul()
{
    TempWorkDir work;
    QVERIFY(writeWholeFile("conf/vertical_scroll_bar_style.qss",
                           QByteArray("QScrollBar:vertical { width: 9px; }\0junk{}", 41)));
    MainWindow window;
    QCOMPARE(widget<QTextBrowser>(window, "textBrowser")->verticalScrollBar()->styleSheet(),
             QStringLiteral("QScrollBar:vertical { width: 9px; }"));
}

void TestPortSelection::portListIsSortedAsText()
{
    PortListWindow bench({"ttyS3", "ttyS10", "ttyS1"});
    MainWindow &window = bench.window;
    auto *list = widget<QListWidget>(window, "portListWidget");
    QStringList shown;
    for (int row = 0; row < list->count(); ++row)
        shown << list->item(row)->text();
    QCOMPARE(shown, QStringList({"ttyS1", "ttyS10", "ttyS3"}));
}

void TestPortSelection::firstSelectionLoadsFileAndWritesNothing()
{
    PortListWindow bench({"ttyA", "ttyB"});
    MainWindow &window = bench.window;
    QVERIFY(writeWholeFile("conf/portConf/ttyA_CONF.json",
                           R"({"ProductID":"P1","DeviceName":"D1","DeviceSecret":"S1",)"
                           R"("BaudRate":9600,"Parity":2,"StopBits":2})"));
    window.show();
    selectPort(window, "ttyA");

    QSerialPort *port = portOf(window);
    QCOMPARE(port->portName(), QStringLiteral("ttyA"));
    QCOMPARE(port->baudRate(), 9600);
    QCOMPARE(port->dataBits(), QSerialPort::Data8);
    QCOMPARE(port->parity(), QSerialPort::EvenParity);
    QCOMPARE(port->stopBits(), QSerialPort::TwoStop);
    QCOMPARE(port->flowControl(), QSerialPort::NoFlowControl);
    QCOMPARE(widget<QLineEdit>(window, "productIDLineEdit")->text(), QStringLiteral("P1"));
    QCOMPARE(widget<QLineEdit>(window, "deviceNameLineEdit")->text(), QStringLiteral("D1"));
    QCOMPARE(widget<QLineEdit>(window, "deviceSecretLineEdit")->text(), QStringLiteral("S1"));
    QVERIFY(widget<QPushButton>(window, "connectBtn")->isEnabled());
    QCOMPARE(QDir("conf/portConf").entryList(QDir::Files), QStringList({"ttyA_CONF.json"}));

    // A port without a file takes the default line parameters and keeps the identity shown.
    selectPort(window, "ttyB");
    QCOMPARE(port->baudRate(), 115200);
    QCOMPARE(port->parity(), QSerialPort::NoParity);
    QCOMPARE(port->stopBits(), QSerialPort::OneStop);
    QCOMPARE(widget<QLineEdit>(window, "productIDLineEdit")->text(), QStringLiteral("P1"));
}

void TestPortSelection::selectingStoresOnlyAPortThatIsLeft_data()
{
    QTest::addColumn<QString>("next");
    QTest::newRow("another port") << "ttyB";
    QTest::newRow("the same port again") << "ttyA";
}

void TestPortSelection::selectingStoresOnlyAPortThatIsLeft()
{
    QFETCH(QString, next);
    const bool left = next != QLatin1String("ttyA");
    PortListWindow bench({"ttyA", "ttyB"});
    MainWindow &window = bench.window;
    window.show();
    selectPort(window, "ttyA");
    widget<QLineEdit>(window, "productIDLineEdit")->setText("pa");
    widget<QLineEdit>(window, "deviceNameLineEdit")->setText(QString::fromUtf8("设备"));
    widget<QLineEdit>(window, "deviceSecretLineEdit")->setText("sa");
    portOf(window)->setParity(QSerialPort::EvenParity);
    widget<QTextBrowser>(window, "textBrowser")->append("old output");

    selectPort(window, next);
    QCOMPARE(portOf(window)->portName(), next);
    QCOMPARE(QFileInfo::exists("conf/portConf/ttyA_CONF.json"), left);
    QCOMPARE(consoleText(window), left ? QString() : QStringLiteral("old output"));
    if (!left)
        return;
    QCOMPARE(readWholeFile("conf/portConf/ttyA_CONF.json"),
             QByteArray("{\n"
                        "    \"BaudRate\": 115200,\n"
                        "    \"DataBits\": 8,\n"
                        "    \"DeviceName\": \"\xE8\xAE\xBE\xE5\xA4\x87\",\n"
                        "    \"DeviceSecret\": \"sa\",\n"
                        "    \"FlowControl\": 0,\n"
                        "    \"Parity\": 2,\n"
                        "    \"ProductID\": \"pa\",\n"
                        "    \"StopBits\": 1\n"
                        "}\n"));
    QVERIFY(!QFileInfo::exists("conf/portConf/ttyB_CONF.json"));
    QCOMPARE(QFile::permissions("conf/portConf/ttyA_CONF.json"),
             QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
    QCOMPARE(sentLabel(window), QString::fromUtf8("已发送信息: 0条"));
    QCOMPARE(widget<QPushButton>(window, "connectBtn")->text(), QStringLiteral("Connect"));
    QVERIFY(widget<QPushButton>(window, "connectBtn")->isEnabled());
    QVERIFY(!widget<QLineEdit>(window, "productIDLineEdit")->isEnabled());
}

void TestPortSelection::rescanKeepsTheSelectionOnlyWhileItsPortIsListed_data()
{
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QString>("selected");
    QTest::addColumn<QStringList>("after");
    QTest::addColumn<int>("rowAfter"); // of the selected port; -1: gone
    QTest::newRow("still listed") << QStringList{"ttyB", "ttyC"} << "ttyC"
                                  << QStringList{"ttyC", "ttyA", "ttyB"} << 2;
    QTest::newRow("vanished") << QStringList{"ttyA", "ttyB"} << "ttyB" << QStringList{"ttyA"} << -1;
}

void TestPortSelection::rescanKeepsTheSelectionOnlyWhileItsPortIsListed()
{
    QFETCH(QStringList, before);
    QFETCH(QString, selected);
    QFETCH(QStringList, after);
    QFETCH(int, rowAfter);
    const bool kept = rowAfter >= 0;
    const QString stored = "conf/portConf/" + selected + "_CONF.json";
    PortListWindow bench(before);
    MainWindow &window = bench.window;
    window.show();
    selectPort(window, selected);
    widget<QTextBrowser>(window, "textBrowser")->append("shown");

    bench.ports.ports = after;
    QTest::mouseClick(widget<QPushButton>(window, "scanPortBtn"), Qt::LeftButton);
    auto *list = widget<QListWidget>(window, "portListWidget");
    QCOMPARE(list->count(), after.size());
    QCOMPARE(list->currentRow(), rowAfter);
    if (kept)
        QCOMPARE(list->currentItem()->text(), selected);
    else
        QCOMPARE(list->currentItem(), nullptr);
    QCOMPARE(consoleText(window), kept ? QStringLiteral("shown") : QString());
    QCOMPARE(widget<QPushButton>(window, "connectBtn")->isEnabled(), kept);
    QCOMPARE(widget<QPushButton>(window, "connectBtn")->text(), QStringLiteral("Connect"));
    QVERIFY(!widget<QPlainTextEdit>(window, "orderPlainTextEdit")->isEnabled());
    QVERIFY(!QFileInfo::exists(stored));
    if (kept)
        return;

    // The port comes back: it can be chosen again, and nothing of the old
    // selection is stored on the way (no port was selected any more).
    bench.ports.ports = before;
    QTest::mouseClick(widget<QPushButton>(window, "scanPortBtn"), Qt::LeftButton);
    selectPort(window, after.first());
    QVERIFY(widget<QPushButton>(window, "connectBtn")->isEnabled());
    QVERIFY(!QFileInfo::exists(stored));
}

void TestPortSelection::closingStoresSelectedPort_data()
{
    QTest::addColumn<bool>("select");
    QTest::newRow("no port selected") << false;
    QTest::newRow("port selected") << true;
}

void TestPortSelection::closingStoresSelectedPort()
{
    QFETCH(bool, select);
    PortListWindow bench({"ttyA"});
    MainWindow &window = bench.window;
    window.show();
    if (select)
        selectPort(window, "ttyA");
    QVERIFY(window.close());
    QVERIFY(window.isHidden());
    QCOMPARE(QFileInfo::exists("conf/portConf/ttyA_CONF.json"), select);
    if (select) {
        const QJsonObject stored = readJsonObject("conf/portConf/ttyA_CONF.json");
        QCOMPARE(stored.size(), 8);
        QCOMPARE(stored.value("ProductID").toString(), QString());
        QCOMPARE(stored.value("BaudRate").toInt(), 115200);
    }
}

void TestPortSelection::doubleClickOpensSettingsDialog()
{
    PortListWindow bench({"ttyA"});
    MainWindow &window = bench.window;
    showAndActivate(window);
    selectPort(window, "ttyA");

    QString title;
    bool hasHelpButton = true;
    DialogHand hand([&](QDialog *dialog) {
        title = dialog->windowTitle();
        hasHelpButton = dialog->windowFlags().testFlag(Qt::WindowContextHelpButtonHint);
        auto *baud = dialog->findChild<QComboBox *>("setBaudRateCB");
        QVERIFY(baud);
        baud->setCurrentText("9600");
        dialog->close();
    });
    auto *list = widget<QListWidget>(window, "portListWidget");
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                       list->visualItemRect(portItem(window, "ttyA")).center());
    QCOMPARE(title, QString::fromUtf8("设置通讯模组 ttyA"));
    QVERIFY(!hasHelpButton);
    QCOMPARE(portOf(window)->baudRate(), 9600);
    // The new parameters reach the file only at the next switch or close.
    QVERIFY(!QFileInfo::exists("conf/portConf/ttyA_CONF.json"));
    window.close();
    QCOMPARE(readJsonObject("conf/portConf/ttyA_CONF.json").value("BaudRate").toInt(), 9600);
}

void TestPortSelection::doubleClickOnAnotherPortStoresTheLeftOne()
{
    PortListWindow bench({"ttyA", "ttyB"});
    MainWindow &window = bench.window;
    showAndActivate(window);
    selectPort(window, "ttyA");
    widget<QLineEdit>(window, "productIDLineEdit")->setText("left");

    DialogHand hand([](QDialog *dialog) { dialog->close(); });
    QMetaObject::invokeMethod(&window, "on_portListWidget_itemDoubleClicked",
                              Q_ARG(QListWidgetItem *, portItem(window, "ttyB")));
    QCOMPARE(portOf(window)->portName(), QStringLiteral("ttyB"));
    QCOMPARE(readJsonObject("conf/portConf/ttyA_CONF.json").value("ProductID").toString(),
             QStringLiteral("left"));
}

void TestPortSelection::focusAloneNeverSelectsAPort()
{
    PortListWindow bench({"ttyA", "ttyB"});
    MainWindow &window = bench.window;
    showAndActivate(window);
    auto *list = widget<QListWidget>(window, "portListWidget");

    for (Qt::FocusReason reason : {Qt::TabFocusReason, Qt::BacktabFocusReason, Qt::OtherFocusReason,
                                   Qt::ActiveWindowFocusReason}) {
        widget<QPushButton>(window, "scanPortBtn")->setFocus(Qt::OtherFocusReason);
        list->setFocus(reason);
        QTRY_VERIFY(list->hasFocus());
        QCOMPARE(list->currentItem(), nullptr);
        QVERIFY(portOf(window)->portName().isEmpty());
        QVERIFY(!widget<QPushButton>(window, "connectBtn")->isEnabled());
    }
}

void TestPortSelection::keysStillSelectAPort()
{
    PortListWindow bench({"ttyA", "ttyB"});
    MainWindow &window = bench.window;
    showAndActivate(window);
    auto *list = widget<QListWidget>(window, "portListWidget");
    list->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(list->hasFocus());
    QTest::keyClick(list, Qt::Key_Down);
    QVERIFY(list->currentItem());
    const QString first = list->currentItem()->text();
    QCOMPARE(portOf(window)->portName(), first);
    QVERIFY(widget<QPushButton>(window, "connectBtn")->isEnabled());
    QTest::keyClick(list, Qt::Key_Down);
    QVERIFY(portOf(window)->portName() != first);
}

QTEST_MAIN(TestPortSelection)
#include "tst_portselection.moc"
