// What the command box sends beyond a typed line: its line endings and hex,
// the echo of every write, periodic sending, the quick commands and the byte
// counts, against the simulated module through a pseudo-terminal.
#include "commandbox.h"
#include "console.h"
#include "quickcommandsmodel.h"
#include "quicksendpanel.h"
#include "testsupport.h"
#include "windowsupport.h"

#include <QAction>
#include <QCheckBox>
#include <QInputDialog>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTextBlock>

#include <memory>

namespace {

constexpr int kShortPauseMs = 50;

CommandBox *commandBox(const MainWindow &window)
{
    return widget<QPlainTextEdit>(window, "orderPlainTextEdit")->findChild<CommandBox *>();
}

// Chooses an entry of the command box's context menu, as a click on it does.
void chooseFromBoxMenu(const MainWindow &window, const QString &text)
{
    const std::unique_ptr<QMenu> menu(commandBox(window)->createContextMenu(QPoint()));
    QList<QAction *> actions = menu->actions();
    for (QAction *action : menu->actions()) {
        if (action->menu())
            actions += action->menu()->actions();
    }
    for (QAction *action : qAsConst(actions)) {
        if (action->text() == text) {
            action->trigger();
            return;
        }
    }
    QFAIL(qPrintable(QStringLiteral("no entry ") + text));
}

void typeAndSend(const MainWindow &window, const QString &text)
{
    auto *box = widget<QPlainTextEdit>(window, "orderPlainTextEdit");
    box->setPlainText(text);
    QTest::mouseClick(widget<QPushButton>(window, "sendBtn"), Qt::LeftButton);
}

// A window on the module with its port open and the pause after each line short.
struct OpenBench : ModuleBench {
    OpenBench()
    {
        window.setCommandPause(kShortPauseMs);
        QVERIFY(open());
        received.clear();
    }
};

} // namespace

class TestSending : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { qRegisterMetaType<DEVICE_SIGNAL>("DEVICE_SIGNAL"); }
    void boxSendsWithTheChosenEndingOrInHex_data();
    void boxSendsWithTheChosenEndingOrInHex();
    void echoShowsEveryWriteAndIsNeverAReply();
    void periodicSendRepeatsUntilStopped_data();
    void periodicSendRepeatsUntilStopped();
    void sequenceSendsInOrderWithEachDelay();
    void aBrokenQuickCommandsFileIsLeftAlone();
    void countsTheBytesBothWays();
};

void TestSending::boxSendsWithTheChosenEndingOrInHex_data()
{
    QTest::addColumn<QStringList>("choices"); // entries of the box's menu, in turn
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("wire");
    QTest::addColumn<QString>("hint"); // beside the box when nothing goes out
    const QString hex = QString::fromUtf8("十六进制发送");
    QTest::newRow("CR LF, as ever") << QStringList() << "AT" << QByteArray("AT\r\n") << QString();
    QTest::newRow("LF") << QStringList{"LF"} << "AT+GMR" << QByteArray("AT+GMR\n") << QString();
    QTest::newRow("CR") << QStringList{"CR"} << "AT" << QByteArray("AT\r") << QString();
    QTest::newRow("none") << QStringList{QString::fromUtf8("无")} << QString::fromUtf8("AT中")
                          << QByteArray("AT\xE4\xB8\xAD") << QString();
    QTest::newRow("hex") << QStringList{hex} << "41 54 0d 0A" << QByteArray("AT\r\n") << QString();
    QTest::newRow("hex takes no ending")
        << QStringList{"LF", hex} << "0x41,0x54" << QByteArray("AT") << QString();
    QTest::newRow("not hex") << QStringList{hex} << "41 5G" << QByteArray()
                             << QString::fromUtf8("第 5 个字符“G”不是十六进制数字");
}

void TestSending::boxSendsWithTheChosenEndingOrInHex()
{
    QFETCH(QStringList, choices);
    QFETCH(QString, text);
    QFETCH(QByteArray, wire);
    QFETCH(QString, hint);
    OpenBench bench;
    for (const QString &choice : choices)
        chooseFromBoxMenu(bench.window, choice);
    typeAndSend(bench.window, text);
    if (wire.isEmpty()) {
        auto *shown = widget<QLabel>(bench.window, "commandBoxHint");
        QVERIFY(shown->isVisible());
        QCOMPARE(shown->text(), hint);
        QCOMPARE(sentLabel(bench.window), QString::fromUtf8("已发送信息：2条"));
    } else {
        QTRY_COMPARE(bench.received.bytes(), wire);
        QCOMPARE(sentLabel(bench.window), QString::fromUtf8("已发送信息：3条"));
    }
    QCOMPARE(bench.received.bytes(), wire);

    // Remembered for the next start.
    MainWindow next;
    CommandBox *box = commandBox(next);
    QCOMPARE(box->hexSend(), commandBox(bench.window)->hexSend());
    QCOMPARE(int(box->lineEnding()), int(commandBox(bench.window)->lineEnding()));
}

void TestSending::echoShowsEveryWriteAndIsNeverAReply()
{
    ModuleBench bench;
    bench.window.setCommandPause(kShortPauseMs);
    bench.module.setEcho(false);
    chooseFromBoxMenu(bench.window, QString::fromUtf8("显示发送内容"));
    QSignalSpy replies(&bench.window, &MainWindow::device_return_signal);
    QVERIFY(bench.open());
    widget<QLineEdit>(bench.window, "productIDLineEdit")->setText("P");
    widget<QLineEdit>(bench.window, "deviceNameLineEdit")->setText("D");
    widget<QLineEdit>(bench.window, "deviceSecretLineEdit")->setText("S");
    QTest::mouseClick(widget<QPushButton>(bench.window, "set_dev_conf_btn"), Qt::LeftButton);
    typeAndSend(bench.window, "WIFI CONNECTED");
    chooseFromBoxMenu(bench.window, QString::fromUtf8("十六进制发送"));
    typeAndSend(bench.window, "41540d0a");
    QTRY_COMPARE(bench.received.lines().size(), 5);

    const QStringList sent{"→ AT+CIPSTATUS", "→ AT+KQMQTTSTATE?",
                           "→ AT+KQDEVINFOSET=1,\"P\",\"D\",\"S\"", "→ WIFI CONNECTED",
                           "→ 41 54 0D 0A"};
    const QStringList shown = consoleText(bench.window).split(QLatin1Char('\n'));
    int at = -1;
    for (const QString &line : sent) {
        const int found = shown.indexOf(line, at + 1);
        QVERIFY2(found > at, qPrintable(line));
        at = found;
    }
    // The module's own answers only: the echoed line is no reply.
    for (const QList<QVariant> &reply : qAsConst(replies))
        QVERIFY(reply.first().value<DEVICE_SIGNAL>() != WIFI_CONNECTED);

    // In a colour of its own, which the module's lines after it do not take.
    auto *console = widget<QTextBrowser>(bench.window, "textBrowser");
    const QTextBlock echoed = console->document()->findBlockByNumber(shown.indexOf(sent.last()));
    const QTextBlock module = console->document()->findBlockByNumber(shown.indexOf("ERROR"));
    QVERIFY(module.isValid());
    QVERIFY(echoed.charFormat().foreground() != module.charFormat().foreground());
}

void TestSending::periodicSendRepeatsUntilStopped_data()
{
    QTest::addColumn<QString>("stop");
    QTest::newRow("停止") << "button";
    QTest::newRow("port closed") << "close";
    QTest::newRow("device gone") << "hang up";
    QTest::newRow("a topic mode") << "topic";
    QTest::newRow("window closed") << "close window";
}

void TestSending::periodicSendRepeatsUntilStopped()
{
    QFETCH(QString, stop);
    constexpr int kIntervalMs = 200;
    constexpr int kRunMs = 2000;
    ModuleBench bench;
    bench.window.setCommandPause(kShortPauseMs);
    bench.module.setWifiJoined(true);
    bench.module.setMqttConnected(true);
    QVERIFY(bench.open());
    QTRY_VERIFY(widget<QPushButton>(bench.window, "subTopicBtn")->isEnabled());
    bench.received.clear();
    widget<QPlainTextEdit>(bench.window, "orderPlainTextEdit")->setPlainText("AT");

    DialogHand hand([](QDialog *dialog) {
        auto *field = dialog->findChild<QSpinBox *>();
        QVERIFY(field);
        QCOMPARE(field->value(), 1000);
        QCOMPARE(field->minimum(), 100);
        QCOMPARE(field->maximum(), 3600000);
        field->setValue(kIntervalMs);
        static_cast<QInputDialog *>(dialog)->accept();
    });
    QElapsedTimer running;
    chooseFromBoxMenu(bench.window, QString::fromUtf8("定时发送…"));
    running.start();
    auto *status = widget<QLabel>(bench.window, "periodicSendStatus");
    QCOMPARE(status->text(), QString::fromUtf8("定时发送中（每 200 毫秒）"));
    QVERIFY(status->isVisible());
    QTest::qWait(kRunMs);

    if (stop == QLatin1String("button"))
        QTest::mouseClick(widget<QPushButton>(bench.window, "periodicSendStopButton"),
                          Qt::LeftButton);
    else if (stop == QLatin1String("close"))
        QTest::mouseClick(widget<QPushButton>(bench.window, "connectBtn"), Qt::LeftButton);
    else if (stop == QLatin1String("hang up"))
        bench.module.hangUp();
    else if (stop == QLatin1String("close window"))
        bench.window.close();
    else
        QTest::mouseClick(widget<QPushButton>(bench.window, "subTopicBtn"), Qt::LeftButton);
    QTRY_VERIFY(status->isHidden());
    const qint64 ranMs = running.elapsed();
    const int sent = bench.received.lines().size();
    if (stop == QLatin1String("button")) {
        // One at once, then one every interval: never queued, never bunched.
        const int expected = int(ranMs / kIntervalMs) + 1;
        QVERIFY2(qAbs(sent - expected) <= 1, qPrintable(QString::number(sent)));
        const auto &lines = bench.received.lines();
        for (int i = 1; i < lines.size(); ++i)
            QVERIFY(lines[i].msecs - lines[i - 1].msecs >= kIntervalMs / 2);
    }
    QVERIFY(sent >= 2);
    // Nothing after the stop.
    QTest::qWait(3 * kIntervalMs);
    QCOMPARE(bench.received.lines().size(), sent);
}

void TestSending::sequenceSendsInOrderWithEachDelay()
{
    OpenBench bench;
    chooseFromBoxMenu(bench.window, QString::fromUtf8("快捷指令"));
    auto *panel = widget<QuickSendPanel>(bench.window, "quickSendDock");
    QVERIFY(panel->isVisible());
    QCOMPARE(panel->windowTitle(), QString::fromUtf8("快捷指令"));
    // The starter set until the user has a list of their own.
    QCOMPARE(panel->model()->commands(), atlume::starterQuickCommands());
    QVERIFY(!QFile::exists("conf/quick_commands.json"));

    QVector<atlume::QuickCommand> list(3);
    list[0] = {"first", "AT", false, 300, true};
    list[1] = {"skipped", "AT+GMR", false, 0, false};
    list[2] = {"hex", "41 54 0D 0A", true, 100, true};
    panel->model()->setCommands({});
    for (const atlume::QuickCommand &command : list)
        panel->model()->add(command, -1);
    QCOMPARE(atlume::readQuickCommands("conf/quick_commands.json").commands, list);

    QTest::mouseClick(widget<QPushButton>(*panel, "quickSendSequence"), Qt::LeftButton);
    QTRY_VERIFY(!panel->isSequenceRunning());
    QCOMPARE(bench.received.bytes(), QByteArray("AT\r\nAT\r\n"));
    const auto &lines = bench.received.lines();
    // The module notes a line when its read comes round, a few milliseconds
    // after it was written on a busy machine.
    QVERIFY2(lines[1].msecs - lines[0].msecs >= 250,
             qPrintable(QString::number(lines[1].msecs - lines[0].msecs)));
}

void TestSending::aBrokenQuickCommandsFileIsLeftAlone()
{
    OpenBench bench;
    const QByteArray broken("[{\"command\": 7}]");
    QVERIFY(writeWholeFile("conf/quick_commands.json", broken));
    chooseFromBoxMenu(bench.window, QString::fromUtf8("快捷指令"));
    auto *panel = widget<QuickSendPanel>(bench.window, "quickSendDock");
    QCOMPARE(panel->model()->rowCount(), 0);
    QCOMPARE(consoleText(bench.window).count("quick_commands.json"), 1);
    QCOMPARE(readWholeFile("conf/quick_commands.json"), broken);
    // A list of the user's own replaces it.
    QTest::mouseClick(widget<QPushButton>(*panel, "quickSendAdd"), Qt::LeftButton);
    QCOMPARE(atlume::readQuickCommands("conf/quick_commands.json").commands.size(), 1);
    QVERIFY(isOwnerOnly("conf/quick_commands.json"));
}

void TestSending::countsTheBytesBothWays()
{
    ModuleBench bench;
    bench.window.setCommandPause(kShortPauseMs);
    bench.module.setEcho(false);
    auto *console = widget<QTextBrowser>(bench.window, "textBrowser");
    const std::unique_ptr<QMenu> menu(console->findChild<Console *>()->createContextMenu(QPoint()));
    for (QAction *action : menu->actions()) {
        if (action->text() == QString::fromUtf8("显示收发统计"))
            action->trigger();
    }
    auto *label = widget<QLabel>(bench.window, "transferStatsLabel");
    QVERIFY(bench.open());
    typeAndSend(bench.window, QString::fromUtf8("AT+中"));
    bench.module.sendRaw("unfinished");
    // What the module answers to the two queries and to a command it does
    // not know, and what it sent of its own, line endings included.
    const QByteArray queried = wire({"STATUS:5", "OK", "+KQMQTTSTATE:0", "OK"});
    const QByteArray answers = queried + wire({"ERROR"}) + "unfinished";
    const QString counts = QString::fromUtf8("接收：%1 字节  发送：%2 字节");
    QTRY_COMPARE(label->text(), counts.arg(answers.size()).arg(bench.received.bytes().size()));

    // Counted again from the port's opening.
    QTest::mouseClick(widget<QPushButton>(bench.window, "connectBtn"), Qt::LeftButton);
    bench.received.clear();
    QVERIFY(bench.open());
    QTRY_COMPARE(label->text(), counts.arg(queried.size()).arg(bench.received.bytes().size()));
}

QTEST_MAIN(TestSending)
#include "tst_sending.moc"
