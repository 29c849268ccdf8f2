// The Windows build talking to a module through a real COM port: the one
// named by ATLUME_TEST_PORT, behind which tools/test-windows.sh puts the
// simulated module (through Wine, on a pseudo-terminal of the Linux side).
// Not a CTest test: it needs that module on the other end.
#include "testsupport.h"

#include "mainwindow.h"

#include <QApplication>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSerialPort>
#include <QTextBrowser>

namespace {

template <class T> T *widget(const QWidget &window, const char *name)
{
    T *found = window.findChild<T *>(QString::fromLatin1(name));
    if (!found)
        qFatal("no widget %s", name);
    return found;
}

QString console(const MainWindow &window)
{
    return widget<QTextBrowser>(window, "textBrowser")->toPlainText();
}

} // namespace

class TestWinePort : public QObject {
    Q_OBJECT

private slots:
    void atIsAnsweredWithOk();
};

void TestWinePort::atIsAnsweredWithOk()
{
    const QString port = qEnvironmentVariable("ATLUME_TEST_PORT");
    QVERIFY2(!port.isEmpty(), "ATLUME_TEST_PORT names no port");
    TempWorkDir work;
    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    auto *list = widget<QListWidget>(window, "portListWidget");
    const auto items = list->findItems(port, Qt::MatchExactly);
    QVERIFY2(items.size() == 1, qPrintable(port + " is not listed"));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                      list->visualItemRect(items.first()).center());
    QCOMPARE(list->currentItem(), items.first());

    QTest::mouseClick(widget<QPushButton>(window, "connectBtn"), Qt::LeftButton);
    QVERIFY2(window.findChild<QSerialPort *>()->isOpen(), qPrintable(console(window)));
    QVERIFY(console(window).contains(QString::fromUtf8("串口 ") + port +
                                     QString::fromUtf8(" 已打开。")));

    const int before = console(window).size();
    widget<QPlainTextEdit>(window, "orderPlainTextEdit")->setPlainText(QStringLiteral("AT"));
    QTest::mouseClick(widget<QPushButton>(window, "sendBtn"), Qt::LeftButton);
    // The module echoes the line, then answers it.
    const auto answered = [&] {
        const QStringList lines = console(window).mid(before).split(QLatin1Char('\n'));
        const int echo = lines.indexOf(QStringLiteral("AT"));
        return echo >= 0 && lines.indexOf(QStringLiteral("OK"), echo) > echo;
    };
    QTRY_VERIFY2_WITH_TIMEOUT(answered(), qPrintable(console(window)), 10000);
    qInfo().noquote() << "console:" << console(window);
}

QTEST_MAIN(TestWinePort)
#include "tst_wineport.moc"
