// The console's other views of what the module sends: the hex view's rows
// and highlighted replies, each with the log holding what is shown.
#include "console.h"
#include "replycolours.h"
#include "testsupport.h"

#include <QTextBlock>
#include <QTextBrowser>

namespace {

const QString kStampPattern = QStringLiteral("^\\[\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d\\] ");

// A row of the hex view: the pairs padded to the width of sixteen.
QString row(const QString &pairs, const QString &characters)
{
    return pairs.leftJustified(16 * 3 - 1) + QStringLiteral("  ") + characters;
}

struct ConsoleRig {
    ConsoleRig() : console(new Console(&view)) { console->useChoices(&choices); }

    void receive(const QByteArray &bytes)
    {
        console->beginRead();
        console->showReceivedBytes(bytes);
        console->showReceived(QString::fromUtf8(bytes));
    }
    QStringList shownLines() const
    {
        QStringList lines = view.toPlainText().split(QLatin1Char('\n'));
        if (lines.last().isEmpty())
            lines.removeLast();
        return lines;
    }

    atlume::UserChoices choices;
    QTextBrowser view;
    Console *console;
};

QStringList logLines(const QString &path)
{
    QStringList lines = QString::fromUtf8(readWholeFile(path)).split(QLatin1Char('\n'));
    if (lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

} // namespace

Q_DECLARE_METATYPE(atlume::ReplyKind)

class TestConsoleViews : public QObject {
    Q_OBJECT

private slots:
    void hexRowsFollowTheBytes_data();
    void hexRowsFollowTheBytes();
    void hexRowKeepsTheStampOfItsFirstByte();
    void highlightingChangesOnlyTheColour_data();
    void highlightingChangesOnlyTheColour();
};

void TestConsoleViews::hexRowsFollowTheBytes_data()
{
    QTest::addColumn<QList<QByteArray>>("reads");
    QTest::addColumn<QStringList>("rows");

    const QString at = row(QStringLiteral("41 54 0D 0A"), QStringLiteral("AT.."));
    QTest::newRow("a line") << QList<QByteArray>{"AT\r\n"} << QStringList{at};
    QTest::newRow("a line over three reads grows one row")
        << QList<QByteArray>{"A", "T\r", "\n"} << QStringList{at};
    QTest::newRow("a full row ends, a line feed ends")
        << QList<QByteArray>{"0123456789ABCDEFGH", "\r\nOK"}
        << QStringList{row(QStringLiteral("30 31 32 33 34 35 36 37 38 39 41 42 43 44 45 46"),
                           QStringLiteral("0123456789ABCDEF")),
                       row(QStringLiteral("47 48 0D 0A"), QStringLiteral("GH..")),
                       row(QStringLiteral("4F 4B"), QStringLiteral("OK"))};
    QTest::newRow("zero bytes, invalid UTF-8, DEL")
        << QList<QByteArray>{QByteArray("\0\xff\x7f~", 4)}
        << QStringList{row(QStringLiteral("00 FF 7F 7E"), QStringLiteral("...~"))};
    const QString zeros = row(QStringLiteral("00 ").repeated(16).trimmed(), QString(16, '.'));
    QStringList zeroRows;
    for (int i = 0; i < 64 * 1024 / 16; ++i)
        zeroRows << zeros;
    QTest::newRow("64 KiB in one read")
        << QList<QByteArray>{QByteArray(64 * 1024, '\0')} << zeroRows;
}

void TestConsoleViews::hexRowsFollowTheBytes()
{
    QFETCH(QList<QByteArray>, reads);
    QFETCH(QStringList, rows);
    TempWorkDir work;
    ConsoleRig rig;
    rig.console->appendParagraph(QStringLiteral("opened"));
    const QString log = work.filePath(QStringLiteral("hex.log"));
    QVERIFY(rig.console->startLog(log));
    rig.console->setHexShown(true);
    for (const QByteArray &read : reads)
        rig.receive(read);
    // Switching back ends the open row where it is, and text follows it.
    rig.console->setHexShown(false);
    rig.receive("WIFI GOT IP\r\n");

    QCOMPARE(rig.shownLines(), QStringList{"opened"} + rows + QStringList{"WIFI GOT IP"});
    QCOMPARE(logLines(log), rows + QStringList{"WIFI GOT IP"});
}

void TestConsoleViews::hexRowKeepsTheStampOfItsFirstByte()
{
    ConsoleRig rig;
    rig.console->setTimestampsShown(true);
    rig.console->setHexShown(true);
    rig.receive("AB");
    const QString first = rig.shownLines().constLast();
    QTest::qWait(5);
    rig.receive("C\n");
    const QString grown = rig.shownLines().constLast();
    QVERIFY2(first.contains(QRegularExpression(kStampPattern)), qPrintable(first));
    QCOMPARE(grown, first.left(15) + row(QStringLiteral("41 42 43 0A"), QStringLiteral("ABC.")));
}

void TestConsoleViews::highlightingChangesOnlyTheColour_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<atlume::ReplyKind>("kind");
    QTest::newRow("OK") << QByteArray("OK") << atlume::ReplyKind::Success;
    QTest::newRow("success reply") << QByteArray("+KQMQTTCONN:OK") << atlume::ReplyKind::Success;
    QTest::newRow("ERROR") << QByteArray("ERROR") << atlume::ReplyKind::Failure;
    QTest::newRow("failure reply") << QByteArray("+CWJAP:3") << atlume::ReplyKind::Failure;
    QTest::newRow("cloud message")
        << QByteArray("+KQMQTTRECV:\"t\",0,\"OK\"") << atlume::ReplyKind::CloudMessage;
    QTest::newRow("anything else")
        << QByteArray("+CIPSTATUS:0,\"TCP\"") << atlume::ReplyKind::Other;
}

void TestConsoleViews::highlightingChangesOnlyTheColour()
{
    QFETCH(QByteArray, line);
    QFETCH(atlume::ReplyKind, kind);
    TempWorkDir work;
    const QByteArray read = "AT\r\n" + line + "\r\nbusy p...\r\n";
    ConsoleRig plain;
    QVERIFY(plain.console->startLog(work.filePath(QStringLiteral("plain.log"))));
    plain.receive(read);
    ConsoleRig highlighted;
    highlighted.console->setRepliesHighlighted(true);
    QVERIFY(highlighted.console->startLog(work.filePath(QStringLiteral("highlighted.log"))));
    highlighted.receive(read);
    // What was sent stays grey, as without highlighting.
    plain.console->showSent(QStringLiteral("OK"));
    highlighted.console->showSent(QStringLiteral("OK"));

    QCOMPARE(highlighted.view.toPlainText(), plain.view.toPlainText());
    QCOMPARE(readWholeFile(work.filePath(QStringLiteral("highlighted.log"))),
             readWholeFile(work.filePath(QStringLiteral("plain.log"))));
    QTextDocument *document = highlighted.view.document();
    const auto colourOf = [document](int block) {
        return document->findBlockByNumber(block).begin().fragment().charFormat().foreground();
    };
    const QColor expected = atlume::replycolours::colour(kind, highlighted.view.palette());
    QCOMPARE(colourOf(1).style() != Qt::NoBrush, expected.isValid());
    if (expected.isValid())
        QCOMPARE(colourOf(1).color(), expected);
    QCOMPARE(colourOf(0).style(), Qt::NoBrush);
    QCOMPARE(colourOf(2).style(), Qt::NoBrush);
    const QTextDocument *reference = plain.view.document();
    QCOMPARE(colourOf(3),
             reference->findBlockByNumber(3).begin().fragment().charFormat().foreground());
}

QTEST_MAIN(TestConsoleViews)
#include "tst_consoleviews.moc"
