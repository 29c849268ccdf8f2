// Ctrl+Space in the command box: the module's commands that begin with what
// is typed, narrowed as the user types on, and the chosen one put in place
// with its parameters to fill in.
#include "atcommandtable.h"
#include "commandcompleter.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QPlainTextEdit>
#include <QtTest>

class TestCommandCompleter : public QObject {
    Q_OBJECT

private slots:
    void completesTheTypedCommand();
    void opensOnlyWhenAsked();
};

void TestCommandCompleter::completesTheTypedCommand()
{
    QPlainTextEdit box;
    auto *completion = new CommandCompleter(&box, [] { return true; });
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QAbstractItemView *list = completion->completer()->popup();

    QTest::keyClick(&box, Qt::Key_Space, Qt::ControlModifier);
    QVERIFY(list->isVisible());
    QCOMPARE(list->model()->rowCount(), atlume::at::commandTable().size());
    QTest::keyClick(list, Qt::Key_Escape);

    QTest::keyClicks(&box, QStringLiteral("at+kq"));
    QTest::keyClick(&box, Qt::Key_Space, Qt::ControlModifier);
    QVERIFY(list->isVisible());
    QCOMPARE(list->model()->rowCount(), 12);
    for (int row = 0; row < list->model()->rowCount(); ++row) {
        QVERIFY(list->model()->index(row, 0).data().toString().startsWith(QLatin1String("AT+KQ")));
        QVERIFY(!list->model()->index(row, 1).data().toString().isEmpty());
    }
    QTest::keyClicks(list, QStringLiteral("MQTTSU"));
    QCOMPARE(list->model()->rowCount(), 1);
    QTest::keyClick(list, Qt::Key_Return);

    QVERIFY(!list->isVisible());
    QCOMPARE(box.toPlainText(), QStringLiteral("AT+KQMQTTSUB=\"<topic>\",<qos>"));
    QCOMPARE(box.textCursor().selectedText(), QStringLiteral("<topic>"));
}

void TestCommandCompleter::opensOnlyWhenAsked()
{
    QPlainTextEdit box;
    bool atCommands = false;
    auto *completion = new CommandCompleter(&box, [&atCommands] { return atCommands; });
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QTest::keyClicks(&box, QStringLiteral("AT+CW"));
    QVERIFY(!completion->completer()->popup()->isVisible());
    QTest::keyClick(&box, Qt::Key_Space, Qt::ControlModifier);
    QVERIFY(!completion->completer()->popup()->isVisible());
    atCommands = true;
    QTest::keyClick(&box, Qt::Key_Space, Qt::ControlModifier);
    QVERIFY(completion->completer()->popup()->isVisible());
}

QTEST_MAIN(TestCommandCompleter)
#include "tst_commandcompleter.moc"
