#include "atcommands.h"
#include "atcommandtable.h"
#include "hexbytes.h"

#include <QtTest>
#include <algorithm>

using namespace atlume;

class TestAtCommands : public QObject {
    Q_OBJECT

private slots:
    void wireLineIsUtf8WithCrLf_data();
    void wireLineIsUtf8WithCrLf();
    void treatsOnlyWhitespaceAsBlank_data();
    void treatsOnlyWhitespaceAsBlank();
    void turnsTheBoxIntoOneCommandLine_data();
    void turnsTheBoxIntoOneCommandLine();
    void buildsEachCommandLine_data();
    void buildsEachCommandLine();
    void offersEveryCommandBuilt_data();
    void offersEveryCommandBuilt();
    void escapesQuotesAndCommas_data();
    void escapesQuotesAndCommas();
    void longPublishCountsUtf8BytesOfEscapedMessage_data();
    void longPublishCountsUtf8BytesOfEscapedMessage();
    void readsBytesWrittenInHex_data();
    void readsBytesWrittenInHex();
};

void TestAtCommands::wireLineIsUtf8WithCrLf_data()
{
    QTest::addColumn<QString>("order");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("ascii") << "AT+GMR" << QByteArray("AT+GMR\r\n");
    QTest::newRow("empty") << "" << QByteArray("\r\n");
    QTest::newRow("chinese") << QString::fromUtf8("AT+X=\"中\"")
                             << QByteArray("AT+X=\"\xE4\xB8\xAD\"\r\n");
}

void TestAtCommands::wireLineIsUtf8WithCrLf()
{
    QFETCH(QString, order);
    QFETCH(QByteArray, bytes);
    QCOMPARE(at::wireLine(order), bytes);
}

void TestAtCommands::treatsOnlyWhitespaceAsBlank_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("blank");
    QTest::newRow("empty") << "" << true;
    QTest::newRow("blanks") << "   " << true;
    QTest::newRow("line breaks") << " \n\r\n \t" << true;
    QTest::newRow("letter") << "A" << false;
    QTest::newRow("letter after breaks") << "\n\nA" << false;
    QTest::newRow("letter before blanks") << "A   " << false;
}

void TestAtCommands::treatsOnlyWhitespaceAsBlank()
{
    QFETCH(QString, text);
    QFETCH(bool, blank);
    QCOMPARE(at::isBlank(text), blank);
}

void TestAtCommands::turnsTheBoxIntoOneCommandLine_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("order");
    QTest::newRow("one line") << "AT"
                              << "AT";
    QTest::newRow("two lines") << "AT\nAT+GMR"
                               << "AT AT+GMR";
    QTest::newRow("crlf") << "AT\r\nAT+GMR"
                          << "AT AT+GMR";
    QTest::newRow("lone cr") << "AT\rX"
                             << "ATX";
    QTest::newRow("trailing break") << "AT\n"
                                    << "AT ";
}

void TestAtCommands::turnsTheBoxIntoOneCommandLine()
{
    QFETCH(QString, box);
    QFETCH(QString, order);
    QCOMPARE(at::commandFromBox(box), order);
}

void TestAtCommands::buildsEachCommandLine_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("expected");
    QTest::newRow("device info") << at::deviceInfo("a", "b", "c")
                                 << "AT+KQDEVINFOSET=1,\"a\",\"b\",\"c\"";
    QTest::newRow("device info verbatim")
        << at::deviceInfo("p,1", "   ", "s\"x") << "AT+KQDEVINFOSET=1,\"p,1\",\"   \",\"s\"x\"";
    QTest::newRow("join") << at::joinAccessPoint("home", "12345678")
                          << "AT+CWJAP=\"home\",\"12345678\"";
    QTest::newRow("join verbatim")
        << at::joinAccessPoint("my net,2", "pa\"ss") << "AT+CWJAP=\"my net,2\",\"pa\"ss\"";
    QTest::newRow("softap") << at::startSoftAp("dev_1", "abcdefgh")
                            << "AT+KQSAP=\"dev_1\",\"abcdefgh\"";
    QTest::newRow("mqtt defaults")
        << at::mqttConnect(1, 5000, 240, 0, 1) << "AT+KQMQTTCONN=1,5000,240,0,1";
    QTest::newRow("mqtt changed") << at::mqttConnect(1, 1000, 690, 1, 0)
                                  << "AT+KQMQTTCONN=1,1000,690,1,0";
    QTest::newRow("subscribe") << at::subscribe("P1/D1/data", 1) << "AT+KQMQTTSUB=\"P1/D1/data\",1";
    QTest::newRow("subscribe empty topic") << at::subscribe("", 0) << "AT+KQMQTTSUB=\"\",0";
    QTest::newRow("unsubscribe") << at::unsubscribe("P1/D1/data")
                                 << "AT+KQMQTTUNSUB=\"P1/D1/data\"";
    QTest::newRow("publish") << at::publish("t", 0, "a,b\"c")
                             << "AT+KQMQTTPUB=\"t\",0,\"a\\,b\\\"c\"";
    QTest::newRow("publish two lines")
        << at::publish("t", 1, "one\ntwo") << "AT+KQMQTTPUB=\"t\",1,\"one two\"";
    QTest::newRow("publish long ascii")
        << at::publishLongHeader("t", 1, "abcd") << "AT+KQMQTTPUBL=\"t\",1,4";
    QTest::newRow("publish long comma")
        << at::publishLongHeader("t", 0, "ab,d") << "AT+KQMQTTPUBL=\"t\",0,5";
}

void TestAtCommands::buildsEachCommandLine()
{
    QFETCH(QString, line);
    QFETCH(QString, expected);
    QCOMPARE(line, expected);
}

void TestAtCommands::offersEveryCommandBuilt_data()
{
    QTest::addColumn<QString>("line");
    const QStringList lines{at::wifiStatusQuery(),
                            at::mqttStateQuery(),
                            at::leaveAccessPoint(),
                            at::stationMode(),
                            at::startSmartConfig(),
                            at::stopSmartConfig(),
                            at::stopSoftAp(),
                            at::mqttDisconnect(),
                            at::deviceInfo("p", "d", "s"),
                            at::joinAccessPoint("s", "p"),
                            at::startSoftAp("s", "p"),
                            at::mqttConnect(1, 5000, 240, 0, 1),
                            at::subscribe("t", 0),
                            at::unsubscribe("t"),
                            at::publish("t", 0, "m"),
                            at::publishLongHeader("t", 0, "m")};
    for (const QString &line : lines)
        QTest::newRow(qPrintable(line)) << line;
}

// Completion offers every command the window sends, with its parameters in
// the order the window writes them.
void TestAtCommands::offersEveryCommandBuilt()
{
    QFETCH(QString, line);
    const QString command = line.section(QLatin1Char('='), 0, 0);
    const auto &table = at::commandTable();
    const auto offered = std::find_if(table.begin(), table.end(), [&](const at::CommandInfo &info) {
        return command == QLatin1String(info.command);
    });
    QVERIFY2(offered != table.end(), qPrintable(command));
    QCOMPARE(line.count(QLatin1Char(',')) - line.count(QStringLiteral("\\,")),
             at::commandTemplate(*offered).count(QLatin1Char(',')));
}

void TestAtCommands::escapesQuotesAndCommas_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("escaped");
    QTest::addColumn<QString>("quotesAndCommasOnly");
    QTest::newRow("plain") << "hello"
                           << "hello"
                           << "hello";
    QTest::newRow("crlf is one blank") << "a\r\nb"
                                       << "a b"
                                       << "a\r\nb";
    QTest::newRow("lone cr and lf") << "a\rb\nc"
                                    << "a b c"
                                    << "a\rb\nc";
    QTest::newRow("lf cr is two blanks") << "a\n\rb"
                                         << "a  b"
                                         << "a\n\rb";
    QTest::newRow("quote") << "say \"hi\""
                           << "say \\\"hi\\\""
                           << "say \\\"hi\\\"";
    QTest::newRow("comma") << "1,2"
                           << "1\\,2"
                           << "1\\,2";
    QTest::newRow("backslash kept single") << "a\\b"
                                           << "a\\b"
                                           << "a\\b";
}

void TestAtCommands::escapesQuotesAndCommas()
{
    QFETCH(QString, message);
    QFETCH(QString, escaped);
    QFETCH(QString, quotesAndCommasOnly);
    QCOMPARE(at::escapeMessage(message), escaped);
    QCOMPARE(at::escapeQuotesAndCommas(message), quotesAndCommasOnly);
}

void TestAtCommands::longPublishCountsUtf8BytesOfEscapedMessage_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("length");
    QTest::newRow("ascii") << "temp=21" << 7;
    QTest::newRow("chinese") << QString::fromUtf8("温度") << 6;
    QTest::newRow("emoji") << QString::fromUtf8("\xF0\x9F\x98\x80") << 4;
    QTest::newRow("mixed escaped") << QString::fromUtf8("温,度") << 8;
}

void TestAtCommands::longPublishCountsUtf8BytesOfEscapedMessage()
{
    QFETCH(QString, message);
    QFETCH(int, length);
    const QString header = at::publishLongHeader(QStringLiteral("t"), 0, message);
    QCOMPARE(header, QStringLiteral("AT+KQMQTTPUBL=\"t\",0,%1").arg(length));
    // The module reads exactly that many bytes of the second line.
    QCOMPARE(at::escapeMessage(message).toUtf8().size(), length);
}

void TestAtCommands::readsBytesWrittenInHex_data()
{
    using Problem = HexBytes::Problem;
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("problem");
    QTest::addColumn<int>("position");
    const int none = int(Problem::None);
    QTest::newRow("pairs with blanks") << "41 54 0d 0A" << QByteArray("AT\r\n") << none << -1;
    QTest::newRow("pairs run together") << "41540D0a" << QByteArray("AT\r\n") << none << -1;
    QTest::newRow("0x, commas, tabs, lines")
        << "0x41,0X54\t0x0d\r\n0A" << QByteArray("AT\r\n") << none << -1;
    QTest::newRow("0x pairs run together") << "0x410x54" << QByteArray("AT") << none << -1;
    QTest::newRow("zero bytes") << "00 0x00" << QByteArray(2, '\0') << none << -1;
    QTest::newRow("odd digit at the end") << "41 5" << QByteArray() << int(Problem::LoneDigit) << 3;
    QTest::newRow("odd digit before a blank")
        << "4 41" << QByteArray() << int(Problem::LoneDigit) << 0;
    QTest::newRow("three digits") << "415" << QByteArray() << int(Problem::LoneDigit) << 2;
    QTest::newRow("a letter past F") << "41 4G" << QByteArray() << int(Problem::NotHexDigit) << 4;
    QTest::newRow("0x alone") << "0x" << QByteArray() << int(Problem::NotHexDigit) << 1;
    QTest::newRow("a semicolon") << "41;54" << QByteArray() << int(Problem::NotHexDigit) << 2;
    QTest::newRow("a full-width digit")
        << QString::fromUtf8("４1") << QByteArray() << int(Problem::NotHexDigit) << 0;
    QTest::newRow("only separators") << " ,\n" << QByteArray() << int(Problem::Empty) << -1;
}

void TestAtCommands::readsBytesWrittenInHex()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QFETCH(int, problem);
    QFETCH(int, position);
    const HexBytes parsed = parseHexBytes(text);
    QCOMPARE(int(parsed.problem), problem);
    QCOMPARE(parsed.position, position);
    QCOMPARE(parsed.bytes, bytes);
    if (parsed.isValid())
        QCOMPARE(parseHexBytes(hexPairs(parsed.bytes)).bytes, bytes);
}

QTEST_GUILESS_MAIN(TestAtCommands)
#include "tst_atcommands.moc"
