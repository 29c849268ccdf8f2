// The console: following the end, the view and selection kept while the user
// reads back, timestamps, the log, save, find and the command history.
#include "buttoncombobox.h"
#include "commandhistory.h"
#include "console.h"
#include "scrollbacklimiter.h"
#include "windowsupport.h"

#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QContextMenuEvent>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextBrowser>
#include <QVBoxLayout>

#include <memory>

namespace {

const QString kStampPattern = QStringLiteral("\\[\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d\\] ");

QString numberedLines(int from, int count)
{
    QString lines;
    for (int i = from; i < from + count; ++i)
        lines += QStringLiteral("line %1\r\n").arg(i);
    return lines;
}

// A console on a view of its own, wired as the window wires it.
struct ConsoleRig {
    ConsoleRig()
    {
        view.resize(400, 200);
        // Connected before the console makes its scrollback limiter, as the
        // window's slot is.
        QObject::connect(&view, &QTextEdit::textChanged, [this] { console->keepView(); });
        console = new Console(&view);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
    }

    void receive(int from, int count)
    {
        console->beginRead();
        console->showReceived(numberedLines(from, count));
    }
    QScrollBar *bar() const { return view.verticalScrollBar(); }
    QString topLine() const { return view.cursorForPosition(QPoint(4, 4)).block().text(); }

    QTextBrowser view;
    Console *console = nullptr;
};

QStringList fileLines(const QString &path)
{
    QStringList lines = QString::fromUtf8(readWholeFile(path)).split(QLatin1Char('\n'));
    if (lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

} // namespace

class TestConsole : public QObject {
    Q_OBJECT

private slots:
    void keepsTheUsersViewUntilBackAtTheBottom_data();
    void keepsTheUsersViewUntilBackAtTheBottom();
    void viewSurvivesADrop_data();
    void viewSurvivesADrop();
    void timestampsLeaveRecognitionAlone_data();
    void timestampsLeaveRecognitionAlone();
    void timestampChoiceIsRemembered_data();
    void timestampChoiceIsRemembered();
    void logKeepsEveryLineTheScrollbackDrops();
    void logFailureStopsWithOneLine_data();
    void logFailureStopsWithOneLine();
    void saveWritesWhatIsShown();
    void findSteps_data();
    void findSteps();
    void findFieldTakesTheKeyboard_data();
    void findFieldTakesTheKeyboard();
    void findFromTheMenuTakesTheKeyboard();
    void overlaysHideTheTextUnderThem();
    void historyRecallsSentCommands();
};

void TestConsole::keepsTheUsersViewUntilBackAtTheBottom_data()
{
    QTest::addColumn<bool>("scrollUp");
    QTest::addColumn<bool>("select");
    QTest::newRow("at the bottom follows") << false << false;
    QTest::newRow("scrolled up stays") << true << false;
    QTest::newRow("selection at the bottom stays") << false << true;
    QTest::newRow("selection scrolled up stays") << true << true;
}

void TestConsole::keepsTheUsersViewUntilBackAtTheBottom()
{
    QFETCH(bool, scrollUp);
    QFETCH(bool, select);
    ConsoleRig rig;
    rig.receive(0, 300);
    // Qt lays a long insertion out in steps, growing the scroll range from
    // an estimate until it is done.
    QTRY_VERIFY(rig.bar()->value() >= rig.bar()->maximum() - 8);
    if (scrollUp)
        rig.bar()->setValue(rig.bar()->maximum() / 2);
    if (select) {
        QTextCursor selection = rig.view.cursorForPosition(QPoint(5, 5));
        selection.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        rig.view.setTextCursor(selection);
    }
    const int value = rig.bar()->value();
    const QString selected = rig.view.textCursor().selectedText();
    const QString top = rig.topLine();

    // A flood, one read at a time.
    for (int i = 0; i < 50; ++i)
        rig.receive(300 + 4 * i, 4);
    auto *indicator = rig.view.findChild<QPushButton *>("consoleNewLinesIndicator");
    QVERIFY(indicator);
    if (!scrollUp && !select) {
        QVERIFY(rig.console->isFollowing());
        QTRY_VERIFY(rig.bar()->value() >= rig.bar()->maximum() - 8);
        QVERIFY(rig.topLine() != top);
        QVERIFY(indicator->isHidden());
        return;
    }
    QVERIFY(!rig.console->isFollowing());
    QCOMPARE(rig.bar()->value(), value);
    QCOMPARE(rig.topLine(), top);
    QCOMPARE(rig.view.textCursor().selectedText(), selected);
    QVERIFY(indicator->isVisible());
    QCOMPARE(indicator->text(), QString::fromUtf8("↓ 200 行新消息"));

    // Back at the bottom, it follows again; the indicator's click does the same.
    if (select) {
        QTest::mouseClick(indicator, Qt::LeftButton);
    } else {
        rig.bar()->setValue(rig.bar()->maximum());
    }
    QVERIFY(indicator->isHidden());
    rig.receive(1000, 20);
    QVERIFY(rig.console->isFollowing());
    QTRY_VERIFY(rig.bar()->value() >= rig.bar()->maximum() - 8);
    QCOMPARE(rig.view.document()->lastBlock().previous().text(), QStringLiteral("line 1019"));
    QVERIFY(rig.topLine() != top);
}

void TestConsole::viewSurvivesADrop_data()
{
    QTest::addColumn<bool>("fromTheTop");
    QTest::newRow("lines on screen kept") << false;
    QTest::newRow("lines on screen dropped") << true;
}

void TestConsole::viewSurvivesADrop()
{
    QFETCH(bool, fromTheTop);
    ConsoleRig rig;
    rig.console->limiter()->setLimits({1e9, 1 << 30, 900});
    rig.receive(0, 800);
    // Near the end the lines stay through the drop; at the top they go.
    const QTextBlock line700 = rig.view.document()->findBlockByNumber(700);
    rig.bar()->setValue(
        fromTheTop ? 0
                   : int(rig.view.document()->documentLayout()->blockBoundingRect(line700).top()));
    const QString top = rig.topLine();
    rig.receive(800, 200);
    QVERIFY(rig.console->limiter()->droppedLines() > 0);
    const QTextDocument *document = rig.view.document();
    QCOMPARE(document->firstBlock().text(),
             ScrollbackLimiter::markerText(rig.console->limiter()->droppedLines()));
    QCOMPARE(rig.topLine(), fromTheTop ? document->firstBlock().next().text() : top);
}

void TestConsole::timestampsLeaveRecognitionAlone_data()
{
    QTest::addColumn<bool>("stamped");
    QTest::newRow("timestamps off") << false;
    QTest::newRow("timestamps on") << true;
}

void TestConsole::timestampsLeaveRecognitionAlone()
{
    QFETCH(bool, stamped);
    ModuleBench bench;
    auto *console = bench.window.findChild<Console *>();
    QVERIFY(console);
    console->setTimestampsShown(stamped);
    QVERIFY(bench.open());
    auto *wifi = widget<ButtonCombobox>(bench.window, "connect_wifi_btn");
    bench.module.sendRaw("+KQSTARTSMART:OK\r\n");
    QTRY_COMPARE(wifi->itemText(0), QString::fromUtf8("停止SmartConfig配网"));
    bench.module.sendRaw("WIFI CONNECTED\r\n");
    QTRY_COMPARE(wifi->itemText(0), QString::fromUtf8("断开WiFi"));

    const QString stamp = stamped ? kStampPattern : QString();
    const QString text = consoleText(bench.window);
    for (const QString &line :
         {QStringLiteral("串口 \\S+ 已打开。"),
          QRegularExpression::escape(QStringLiteral("+KQSTARTSMART:OK")),
          QStringLiteral("  SmartConfig配网方式"), QStringLiteral("WIFI CONNECTED")}) {
        const QRegularExpression shown(QLatin1Char('^') + stamp + line,
                                       QRegularExpression::MultilineOption);
        QVERIFY2(shown.match(text).hasMatch(), qPrintable(line + "\n" + text));
    }
    QVERIFY(widget<QTextBrowser>(bench.window, "textBrowser")
                ->toHtml()
                .contains("SmartConfig_wifi_guid.png"));
    // Sending jumps to the end and follows it, with the command kept for Up.
    auto *view = widget<QTextBrowser>(bench.window, "textBrowser");
    view->verticalScrollBar()->setValue(0);
    view->selectAll();
    QVERIFY(!console->isFollowing());
    QTest::keyClicks(widget<QPlainTextEdit>(bench.window, "orderPlainTextEdit"), "AT+GMR");
    QTest::mouseClick(widget<QPushButton>(bench.window, "sendBtn"), Qt::LeftButton);
    QVERIFY(console->isFollowing());
    QVERIFY(!view->textCursor().hasSelection());
    QCOMPARE(bench.window.findChild<CommandHistory *>()->commands(), QStringList{"AT+GMR"});

    // The choice is written only once it is made.
    QCOMPARE(QFile::exists("conf/console.json"), stamped);
}

void TestConsole::timestampChoiceIsRemembered_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("shown");
    QTest::newRow("no file") << QByteArray() << false;
    QTest::newRow("on") << QByteArray("{\"timestamps\": true}") << true;
    QTest::newRow("off") << QByteArray("{\"timestamps\": false}") << false;
    QTest::newRow("not json") << QByteArray("{\"timestamps\": tru") << false;
    QTest::newRow("wrong type") << QByteArray("{\"timestamps\": 1}") << false;
}

void TestConsole::timestampChoiceIsRemembered()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, shown);
    TempWorkDir work;
    const QString path = QStringLiteral("conf/console.json");
    if (!file.isNull())
        QVERIFY(writeWholeFile(path, file));
    ConsoleRig rig;
    atlume::UserChoices choices(path);
    rig.console->useChoices(&choices);
    QCOMPARE(rig.console->timestampsShown(), shown);
    QCOMPARE(readWholeFile(path), file);

    rig.console->setTimestampsShown(!shown);
    ConsoleRig next;
    atlume::UserChoices nextChoices(path);
    next.console->useChoices(&nextChoices);
    QCOMPARE(next.console->timestampsShown(), !shown);
}

void TestConsole::logKeepsEveryLineTheScrollbackDrops()
{
    TempWorkDir work;
    const QString path = work.filePath("session.log");
    QVERIFY(writeWholeFile(path, "older session\n"));
    ConsoleRig rig;
    rig.console->setPortName("ttyUSB0");
    QVERIFY(rig.console->startLog(path));
    // Qt's own entries first, then the console's; the log's names its file.
    const std::unique_ptr<QMenu> menu(rig.console->createContextMenu(QPoint()));
    const QList<QAction *> actions = menu->actions();
    QVERIFY(actions.size() > 4);
    QCOMPARE(actions.last()->text(), QString::fromUtf8("查找…"));
    QCOMPARE(actions.at(actions.size() - 3)->text(), QString::fromUtf8("停止记录（session.log）"));
    rig.console->appendParagraph(QStringLiteral("串口 ttyUSB0 已打开。"));
    constexpr int kLines = 300000;
    constexpr int kPerRead = 1000;
    for (int from = 0; from < kLines; from += kPerRead)
        rig.receive(from, kPerRead);
    rig.console->setPortName("ttyUSB1");
    rig.console->setTimestampsShown(true);
    rig.receive(kLines, 1);
    rig.console->stopLog();

    // Tens of thousands of lines gone from the view, and every one in the log.
    QVERIFY(rig.console->limiter()->droppedLines() > kLines / 3);
    const QStringList lines = fileLines(path);
    QCOMPARE(lines.size(), 1 + 1 + kLines + 1 + 1);
    QCOMPARE(lines.at(0), QStringLiteral("older session"));
    QCOMPARE(lines.at(1), QStringLiteral("串口 ttyUSB0 已打开。"));
    for (int i = 0; i < kLines; ++i) {
        if (lines.at(2 + i) != QStringLiteral("line %1").arg(i))
            QFAIL(qPrintable(QStringLiteral("log line %1: %2").arg(i).arg(lines.at(2 + i))));
    }
    QVERIFY(lines.at(2 + kLines).contains("ttyUSB1"));
    QVERIFY(QRegularExpression(QLatin1Char('^') + kStampPattern + QStringLiteral("line 300000$"))
                .match(lines.last())
                .hasMatch());
}

void TestConsole::logFailureStopsWithOneLine_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("opens");
    QTest::newRow("disk full") << QStringLiteral("/dev/full") << true;
    QTest::newRow("no such folder") << QStringLiteral("/nonexistent/atlume/x.log") << false;
}

void TestConsole::logFailureStopsWithOneLine()
{
    QFETCH(QString, path);
    QFETCH(bool, opens);
    ConsoleRig rig;
    QCOMPARE(rig.console->startLog(path), opens);
    rig.receive(0, 3);
    rig.receive(3, 3);
    QVERIFY(rig.console->logPath().isEmpty());
    const QStringList shown = rig.view.toPlainText().split(QLatin1Char('\n'));
    QStringList failures;
    for (const QString &line : shown) {
        if (line.contains(QDir::toNativeSeparators(path)))
            failures << line;
    }
    QCOMPARE(failures.size(), 1);
    // The reason is a line of its own, and so is every line after it.
    QVERIFY(!failures.first().contains(QStringLiteral("line ")));
    for (int i = 0; i < 6; ++i)
        QVERIFY2(shown.contains(QStringLiteral("line %1").arg(i)), qPrintable(QString::number(i)));
}

void TestConsole::saveWritesWhatIsShown()
{
    TempWorkDir work;
    const QString path = work.filePath("saved.txt");
    QVERIFY(writeWholeFile(path, "something longer that was there before\n"));
    ConsoleRig rig;
    rig.console->limiter()->setLimits({1e9, 1 << 30, 300});
    rig.console->appendParagraph(QStringLiteral("<b>串口</b> 已打开。"));
    rig.receive(0, 400);
    QVERIFY(rig.console->limiter()->droppedLines() > 0);
    QVERIFY(rig.console->saveTo(path));
    const QString saved = QString::fromUtf8(readWholeFile(path));
    QCOMPARE(saved, rig.view.toPlainText());
    QVERIFY(
        saved.startsWith(ScrollbackLimiter::markerText(rig.console->limiter()->droppedLines())));
    QVERIFY(saved.endsWith("line 399\n"));
}

void TestConsole::findSteps_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<int>>("keys"); // +1 next, -1 previous
    QTest::addColumn<QList<int>>("lines");
    QTest::addColumn<bool>("noMatch");
    QTest::newRow("next, case-insensitive")
        << "BETA" << QList<int>{1, 1} << QList<int>{1, 2} << false;
    QTest::newRow("next wraps around")
        << "beta" << QList<int>{1, 1, 1} << QList<int>{1, 2, 1} << false;
    QTest::newRow("previous from the start wraps")
        << "alpha" << QList<int>{-1, -1} << QList<int>{2, 0} << false;
    QTest::newRow("none") << "gamma" << QList<int>{1} << QList<int>{-1} << true;
}

void TestConsole::findSteps()
{
    QFETCH(QString, text);
    QFETCH(QList<int>, keys);
    QFETCH(QList<int>, lines);
    QFETCH(bool, noMatch);
    ConsoleRig rig;
    rig.console->showReceived(QStringLiteral("alpha\r\nBeta\r\nalpha beta\r\n"));
    QApplication::setActiveWindow(&rig.view);
    QVERIFY(QTest::qWaitForWindowActive(&rig.view));
    rig.view.setFocus();
    rig.view.moveCursor(QTextCursor::Start);
    QTest::keyClick(&rig.view, Qt::Key_F, Qt::ControlModifier);
    auto *field = rig.view.findChild<QLineEdit *>("consoleFindField");
    QVERIFY(field);
    QTRY_VERIFY(field->hasFocus());
    QTest::keyClicks(field, text);
    for (int i = 0; i < keys.size(); ++i) {
        QTest::keyClick(field, i % 2 ? Qt::Key_F3 : Qt::Key_Return,
                        keys.at(i) < 0 ? Qt::ShiftModifier : Qt::NoModifier);
        const QTextCursor selection = rig.view.textCursor();
        if (lines.at(i) < 0) {
            QVERIFY(!selection.hasSelection());
            continue;
        }
        QCOMPARE(selection.block().blockNumber(), lines.at(i));
        QCOMPARE(selection.selectedText().toLower(), text.toLower());
        QVERIFY(!rig.console->isFollowing());
    }
    QCOMPARE(rig.view.findChild<QLabel *>("consoleFindStatus")->text(),
             noMatch ? QString::fromUtf8("无匹配") : QString());
    QTest::keyClick(field, Qt::Key_Escape);
    QVERIFY(!field->isVisible());
}

void TestConsole::findFieldTakesTheKeyboard_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("opens");
    QTest::newRow("Ctrl+F in the console") << "console" << true;
    QTest::newRow("Ctrl+F in the command box") << "box" << true;
    QTest::newRow("Ctrl+F in a dialog of the window") << "dialog" << false;
}

void TestConsole::findFieldTakesTheKeyboard()
{
    QFETCH(QString, how);
    QFETCH(bool, opens);
    // The console and a command box in one window, as in the main window.
    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    auto *view = new QTextBrowser;
    auto *box = new QPlainTextEdit;
    layout->addWidget(view);
    layout->addWidget(box);
    window.resize(400, 300);
    auto *console = new Console(view);
    console->showReceived(QStringLiteral("alpha\r\n"));
    window.show();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));

    QWidget *target = how == QLatin1String("box") ? static_cast<QWidget *>(box) : view;
    QDialog dialog(&window);
    auto *dialogField = new QLineEdit(&dialog);
    if (how == QLatin1String("dialog")) {
        dialog.show();
        QApplication::setActiveWindow(&dialog);
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        target = dialogField;
    }
    target->setFocus();
    QTest::keyClick(target, Qt::Key_F, Qt::ControlModifier);
    auto *field = view->findChild<QLineEdit *>("consoleFindField");
    if (!opens) {
        QVERIFY(!field || !field->isVisible());
        return;
    }
    QVERIFY(field);
    QTRY_VERIFY(field->hasFocus());
}

// Chosen from the console's menu in the window, after Esc closed it: the
// menu takes the keyboard while it is open, and the field must have it once
// the menu has gone.
void TestConsole::findFromTheMenuTakesTheKeyboard()
{
    PortListWindow rig;
    showAndActivate(rig.window);
    auto *view = widget<QTextBrowser>(rig.window, "textBrowser");
    view->setFocus();
    QTest::keyClick(view, Qt::Key_F, Qt::ControlModifier);
    auto *field = view->findChild<QLineEdit *>("consoleFindField");
    QVERIFY(field);
    QTRY_VERIFY(field->hasFocus());
    QTest::keyClick(field, Qt::Key_Escape);
    QTRY_VERIFY(view->hasFocus());
    QContextMenuEvent request(QContextMenuEvent::Mouse, QPoint(20, 20),
                              view->viewport()->mapToGlobal(QPoint(20, 20)));
    QApplication::sendEvent(view->viewport(), &request);
    QPointer<QMenu> menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
    QVERIFY(menu);
    auto *find = menu->findChild<QAction *>("consoleFindAction");
    QTest::mouseClick(menu, Qt::LeftButton, Qt::NoModifier, menu->actionGeometry(find).center());
    QVERIFY(field->isVisible());
    // Whatever the system makes of the menu's going comes by the time it is deleted.
    QTRY_VERIFY(!menu);
    QTRY_VERIFY(rig.window.isActiveWindow());
    QTRY_VERIFY(field->hasFocus());
}

// The new-lines indicator and the find field are drawn over the text: what
// shows where they are is theirs alone.
void TestConsole::overlaysHideTheTextUnderThem()
{
    ConsoleRig rig;
    rig.console->showReceived(
        QString(QStringLiteral("████████████████████████████████\r\n")).repeated(100));
    QTRY_VERIFY(rig.bar()->value() >= rig.bar()->maximum() - 8);
    rig.bar()->setValue(rig.bar()->maximum() - 100);
    rig.receive(0, 3);
    rig.console->showFindBar();
    QTRY_VERIFY(rig.view.updatesEnabled());
    for (const char *name : {"consoleNewLinesIndicator", "consoleFindBar"}) {
        auto *overlay = rig.view.findChild<QWidget *>(name);
        QVERIFY2(overlay && overlay->isVisible(), name);
        QTRY_COMPARE(
            rig.view.grab(overlay->geometry()).toImage().convertToFormat(QImage::Format_RGB32),
            overlay->grab().toImage().convertToFormat(QImage::Format_RGB32));
    }
}

void TestConsole::historyRecallsSentCommands()
{
    QPlainTextEdit box;
    box.show();
    auto *history = new CommandHistory(&box);
    for (int i = 0; i < CommandHistory::kMaxCommands + 5; ++i)
        history->add(QStringLiteral("AT+%1").arg(i));
    history->add(QStringLiteral("AT\nAT+GMR"));
    QCOMPARE(history->commands().size(), CommandHistory::kMaxCommands);
    box.setPlainText(QStringLiteral("typing"));
    auto press = [&](Qt::Key key) {
        QTest::keyClick(&box, key);
        return box.toPlainText();
    };
    QCOMPARE(press(Qt::Key_Up), QStringLiteral("AT\nAT+GMR"));
    // Within a command of two lines Up moves to its first line first.
    QCOMPARE(press(Qt::Key_Up), QStringLiteral("AT\nAT+GMR"));
    QCOMPARE(press(Qt::Key_Up), QStringLiteral("AT+104"));
    box.insertPlainText(QStringLiteral("?"));
    QCOMPARE(press(Qt::Key_Down), QStringLiteral("AT\nAT+GMR"));
    QCOMPARE(press(Qt::Key_Down), QStringLiteral("typing"));
    QCOMPARE(press(Qt::Key_Down), QStringLiteral("typing"));
    QCOMPARE(history->commands().at(CommandHistory::kMaxCommands - 2), QStringLiteral("AT+104"));
    for (int i = 0; i < CommandHistory::kMaxCommands + 3; ++i)
        press(Qt::Key_Up);
    QCOMPARE(box.toPlainText(), QStringLiteral("AT+6"));
}

QTEST_MAIN(TestConsole)
#include "tst_console.moc"
