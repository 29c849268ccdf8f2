#include "linereceiver.h"
#include "replyrecogniser.h"

#include <QtTest>

using atlume::LineReceiver;
using atlume::recogniseReply;

namespace {

constexpr int kNoSignal = -1;

// Bytes of a literal that may hold zero bytes, without its terminator.
template <int N> QByteArray bytesOf(const char (&literal)[N])
{
    return QByteArray(literal, N - 1);
}

int recognised(const QString &line)
{
    const std::optional<DEVICE_SIGNAL> signal = recogniseReply(line);
    return signal ? int(*signal) : kNoSignal;
}

// Lines of a byte stream as a reference: cut after every CR LF.
QStringList referenceLines(const QString &text)
{
    QStringList lines;
    int start = 0;
    for (int i = 1; i < text.size(); ++i) {
        if (text.at(i) == QLatin1Char('\n') && text.at(i - 1) == QLatin1Char('\r')) {
            lines.append(text.mid(start, i + 1 - start));
            start = i + 1;
        }
    }
    return lines;
}

QString tailAfterLastCrLf(const QString &text)
{
    const int end = text.lastIndexOf(QLatin1String("\r\n"));
    return end == -1 ? text : text.mid(end + 2);
}

} // namespace

class TestLineReceiver : public QObject {
    Q_OBJECT

private slots:
    void recognisesReplies_data();
    void recognisesReplies();
    void recognisesOnlyTheBeginningOfAnUnendedLine();

    void cutsStreamSplitAtAnyTwoPoints();
    void endsLineOnCrAndLfFromSeparateReads();
    void handlesLoneCrAndLf_data();
    void handlesLoneCrAndLf();
    void returnsSeveralLinesOfOneRead();
    void decodesCharacterSplitAtEveryByte_data();
    void decodesCharacterSplitAtEveryByte();
    void cutsUnendedLineAtTheBound_data();
    void cutsUnendedLineAtTheBound();
    void replacesInvalidBytes();
    void dropsZeroBytesButKeepsWhatFollows();
    void keepsOnlyTheUnfinishedTail();
    void resetDropsTailAndHalfCharacter();
    void ignoresEmptyChunk();
};

void TestLineReceiver::recognisesReplies_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("expected");

    auto row = [](const char *name, const char *line, int expected) {
        QTest::newRow(name) << QString::fromUtf8(line) << expected;
    };

    row("wifi connected", "WIFI CONNECTED\r\n", WIFI_CONNECTED);
    row("smartconfig success", "+KQSTARTSMART:WIFI_CONNECT_SUCCESS\r\n", WIFI_CONNECTED);
    row("softap success", "+KQSAP:WIFI_CONNECT_SUCCESS\r\n", WIFI_CONNECTED);
    row("status 2", "STATUS:2\r\n", WIFI_CONNECTED);
    row("status 2 with more text", "STATUS:2,extra\r\n", WIFI_CONNECTED);
    for (char digit : {'0', '1', '3', '4', '5', '9'}) {
        const QByteArray name = QByteArray("status ") + digit;
        const QByteArray line = QByteArray("STATUS:") + digit + "\r\n";
        QTest::newRow(name.constData()) << QString::fromLatin1(line) << kNoSignal;
    }

    row("join error code 3", "+CWJAP:3\r\n", WIFI_DISCONNECTED);
    row("join error code 0", "+CWJAP:0\r\n", WIFI_DISCONNECTED);
    row("join error code 9", "+CWJAP:9\r\n", WIFI_DISCONNECTED);
    row("two-digit code is a join reply", "+CWJAP:12\r\n", WIFI_JOIN_REPLY);
    row("access point details", "+CWJAP:\"ap\",\"aa:bb:cc:dd:ee:ff\",6,-50\r\n", WIFI_JOIN_REPLY);
    row("digit without crlf", "+CWJAP:3", WIFI_JOIN_REPLY);
    row("digit with lone lf", "+CWJAP:3\n", WIFI_JOIN_REPLY);
    row("digit and blank", "+CWJAP:3 \r\n", WIFI_JOIN_REPLY);
    row("letter code", "+CWJAP:x\r\n", WIFI_JOIN_REPLY);
    row("non-ascii digit", "+CWJAP:\xd9\xa3\r\n", WIFI_JOIN_REPLY);
    row("bare join prefix", "+CWJAP:\r\n", WIFI_JOIN_REPLY);
    row("wifi disconnect", "WIFI DISCONNECT\r\n", WIFI_DISCONNECTED);
    row("wifi disconnected", "WIFI DISCONNECTED\r\n", WIFI_DISCONNECTED);

    row("mqtt conn ok", "+KQMQTTCONN:OK\r\n", MQTT_CONNECTED);
    row("mqtt state 1", "+KQMQTTSTATE:1\r\n", MQTT_CONNECTED);
    row("mqtt reconnected", "+KQMQTTRECONNECTED\r\n", MQTT_CONNECTED);
    row("mqtt state 0", "+KQMQTTSTATE:0\r\n", kNoSignal);

    row("mqtt discon", "+KQMQTTDISCON\r\n", MQTT_DISCONNECTED);
    row("mqtt conn fail", "+KQMQTTCONN:FAIL\r\n", MQTT_DISCONNECTED);
    row("mqtt disconn without AT", "+KQMQTTDISCONN\r\n", MQTT_DISCONNECTED);

    row("got ip", "WIFI GOT IP\r\n", WIFI_GOT_IP);
    row("smartconfig ok", "+KQSTARTSMART:OK\r\n", SMARTCONFIG_STARTED);
    row("softap ok", "+KQSAP:OK\r\n", SOFTAP_STARTED);

    row("smartconfig fail", "+KQSTARTSMART:FAIL\r\n", PROVISION_FAILED);
    row("softap fail", "+KQSAP:FAIL\r\n", PROVISION_FAILED);
    row("smartconfig join failed", "+KQSTARTSMART:WIFI_CONNECT_FAILED\r\n", PROVISION_FAILED);
    row("softap join failed", "+KQSAP:WIFI_CONNECT_FAILED\r\n", PROVISION_FAILED);

    row("smartconfig stopped", "AT+KQSTOPSMART: CMD TO STOP SMARTCONFIG\r\n", SMARTCONFIG_STOPPED);
    row("softap stopped", "AT+KQSTOPSAP: CMD TO STOP SOFTAP\r\n", SOFTAP_STOPPED);

    row("echo of stop smartconfig", "AT+KQSTOPSMART\r\n", kNoSignal);
    row("echo of stop softap", "AT+KQSTOPSAP\r\n", kNoSignal);
    row("echo of start smartconfig", "AT+KQSTARTSMART\r\n", kNoSignal);
    row("echo of mqtt disconnect", "AT+KQMQTTDISCONN\r\n", kNoSignal);
    row("echo of join", "AT+CWJAP=\"ap\",\"secret\"\r\n", kNoSignal);
    row("echo of status query", "AT+CIPSTATUS\r\n", kNoSignal);

    row("lower case", "wifi connected\r\n", kNoSignal);
    row("lower case mqtt", "+kqmqttconn:ok\r\n", kNoSignal);
    row("text before reply", "> WIFI CONNECTED\r\n", kNoSignal);
    row("blank before reply", " WIFI GOT IP\r\n", kNoSignal);
    row("ok", "OK\r\n", kNoSignal);
    row("error", "ERROR\r\n", kNoSignal);
    row("empty line", "\r\n", kNoSignal);
    row("nothing", "", kNoSignal);
}

void TestLineReceiver::recognisesReplies()
{
    QFETCH(QString, line);
    QFETCH(int, expected);
    QCOMPARE(recognised(line), expected);
}

void TestLineReceiver::recognisesOnlyTheBeginningOfAnUnendedLine()
{
    LineReceiver receiver;
    const QStringList lines = receiver.feed("WIFI GOT IP\nWIFI CONNECTED\r\n");
    QCOMPARE(lines, QStringList{QStringLiteral("WIFI GOT IP\nWIFI CONNECTED\r\n")});
    QCOMPARE(recognised(lines.first()), int(WIFI_GOT_IP));
}

void TestLineReceiver::cutsStreamSplitAtAnyTwoPoints()
{
    const QByteArray stream("WIFI CONNECTED\r\nWIFI GOT IP\r\nOK\r\n+CWJAP:3\r\ntail");
    const QString text = QString::fromLatin1(stream);
    const QStringList expected = referenceLines(text);
    QCOMPARE(expected.size(), 4);

    for (int first = 0; first <= stream.size(); ++first) {
        for (int second = first; second <= stream.size(); ++second) {
            LineReceiver receiver;
            QStringList lines;
            for (const auto &[from, to] : {std::pair{0, first}, std::pair{first, second},
                                           std::pair{second, int(stream.size())}}) {
                lines += receiver.feed(stream.mid(from, to - from));
                // Nothing is handed out before its CR LF has arrived, and the
                // receiver holds nothing but the unfinished tail.
                const QString seen = text.left(to);
                QCOMPARE(lines, referenceLines(seen));
                QCOMPARE(receiver.pending(), tailAfterLastCrLf(seen));
            }
            QCOMPARE(lines, expected);
        }
    }
}

void TestLineReceiver::endsLineOnCrAndLfFromSeparateReads()
{
    LineReceiver receiver;
    QVERIFY(receiver.feed("WIFI GOT IP\r").isEmpty());
    QCOMPARE(receiver.pending(), QStringLiteral("WIFI GOT IP\r"));
    QCOMPARE(receiver.feed("\nOK"), QStringList{QStringLiteral("WIFI GOT IP\r\n")});
    QCOMPARE(receiver.pending(), QStringLiteral("OK"));
}

void TestLineReceiver::handlesLoneCrAndLf_data()
{
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("pending");

    QTest::newRow("lone lf inside line")
        << QByteArray("abc\ndef\r\n") << QStringList{"abc\ndef\r\n"} << QString();
    QTest::newRow("lone cr inside line")
        << QByteArray("abc\rdef\r\n") << QStringList{"abc\rdef\r\n"} << QString();
    QTest::newRow("lf cr is no end") << QByteArray("abc\n\r") << QStringList() << "abc\n\r";
    QTest::newRow("lone lf only") << QByteArray("abc\n") << QStringList() << "abc\n";
    QTest::newRow("lone cr only") << QByteArray("abc\r") << QStringList() << "abc\r";
    QTest::newRow("cr cr lf") << QByteArray("\r\r\n") << QStringList{"\r\r\n"} << QString();
    QTest::newRow("lf after crlf") << QByteArray("a\r\n\n") << QStringList{"a\r\n"} << "\n";
    QTest::newRow("lf cr lf") << QByteArray("\n\r\n") << QStringList{"\n\r\n"} << QString();
}

void TestLineReceiver::handlesLoneCrAndLf()
{
    QFETCH(QByteArray, stream);
    QFETCH(QStringList, lines);
    QFETCH(QString, pending);

    LineReceiver receiver;
    QCOMPARE(receiver.feed(stream), lines);
    QCOMPARE(receiver.pending(), pending);
}

void TestLineReceiver::returnsSeveralLinesOfOneRead()
{
    LineReceiver receiver;
    const QStringList lines = receiver.feed("WIFI CONNECTED\r\nWIFI GOT IP\r\n\r\nOK\r\nrest");
    QCOMPARE(lines, (QStringList{"WIFI CONNECTED\r\n", "WIFI GOT IP\r\n", "\r\n", "OK\r\n"}));
    QCOMPARE(recognised(lines.at(0)), int(WIFI_CONNECTED));
    QCOMPARE(recognised(lines.at(1)), int(WIFI_GOT_IP));
    QCOMPARE(receiver.pending(), QStringLiteral("rest"));
}

void TestLineReceiver::decodesCharacterSplitAtEveryByte_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("two bytes") << QStringLiteral("caf\u00e9\r\n");
    QTest::newRow("three bytes") << QString::fromUtf8("\xe4\xb8\xad\xe6\x96\x87\r\n");
    QTest::newRow("four bytes") << QString::fromUtf8("x\xf0\x9f\x98\x80y\r\n");
    QTest::newRow("mixed") << QString::fromUtf8(
        "+KQMQTTRECV:\"\xe4\xb8\xad\",\xf0\x9f\x98\x80\r\n");
    // U+FEFF is text in a serial stream, never a byte-order mark to drop.
    QTest::newRow("feff first") << QStringLiteral("\ufeffok\r\n");
    QTest::newRow("feff after 16 bytes") << QStringLiteral("0123456789abcdef\ufeff\r\n");
}

void TestLineReceiver::decodesCharacterSplitAtEveryByte()
{
    QFETCH(QString, text);
    const QByteArray bytes = text.toUtf8();
    for (int split = 0; split <= bytes.size(); ++split) {
        LineReceiver receiver;
        QStringList lines = receiver.feed(bytes.left(split));
        lines += receiver.feed(bytes.mid(split));
        QCOMPARE(lines, QStringList{text});
        QVERIFY(receiver.pending().isEmpty());
    }
}

void TestLineReceiver::cutsUnendedLineAtTheBound_data()
{
    QTest::addColumn<int>("bound");
    QTest::addColumn<QString>("stream");
    QTest::addColumn<QStringList>("pieces");
    QTest::addColumn<QString>("pending");

    const QString emoji = QString::fromUtf8("\xf0\x9f\x98\x80");
    QTest::newRow("held text reaches bound")
        << 8 << "abcdefghij" << QStringList{"abcdefgh"} << "ij";
    QTest::newRow("line of bound length") << 8 << "abcdef\r\n" << QStringList{"abcdef\r\n"} << "";
    QTest::newRow("cr falls into cut") << 8 << "abcdefg\r\n" << QStringList{"abcdefg\r"} << "\n";
    QTest::newRow("pair stays whole")
        << 8 << "abcdefg" + emoji + "z" << QStringList{"abcdefg"} << emoji + "z";
    QTest::newRow("lines after cut") << 16 << "0123456789abcdefXY\r\nOK\r\n"
                                     << QStringList{"0123456789abcdef", "XY\r\n", "OK\r\n"} << "";
    const QString full(LineReceiver::kDefaultMaxHeld, QLatin1Char('x'));
    QTest::newRow("64 KiB") << LineReceiver::kDefaultMaxHeld << full + "yz\r\nOK\r\n"
                            << QStringList{full, "yz\r\n", "OK\r\n"} << "";
}

void TestLineReceiver::cutsUnendedLineAtTheBound()
{
    QFETCH(int, bound);
    QFETCH(QString, stream);
    QFETCH(QStringList, pieces);
    QFETCH(QString, pending);

    // Whole, and byte by byte: where a cut falls depends on the stream alone.
    const QByteArray bytes = stream.toUtf8();
    for (int chunk : {int(bytes.size()), 1}) {
        LineReceiver receiver(bound);
        QStringList got;
        for (int at = 0; at < bytes.size(); at += chunk)
            got += receiver.feed(bytes.mid(at, chunk));
        QCOMPARE(got, pieces);
        QCOMPARE(receiver.pending(), pending);
    }
}

void TestLineReceiver::replacesInvalidBytes()
{
    LineReceiver receiver;
    const QStringList lines = receiver.feed("a\xff"
                                            "b\xc3\r\n");
    QCOMPARE(lines.size(), 1);
    QCOMPARE(lines.first(), QString::fromUtf8("a\xef\xbf\xbd"
                                              "b\xef\xbf\xbd\r\n"));
}

void TestLineReceiver::dropsZeroBytesButKeepsWhatFollows()
{
    LineReceiver receiver;
    QCOMPARE(receiver.feed(bytesOf("WIFI\0 GOT\0\0 IP\r\nO")),
             QStringList{QStringLiteral("WIFI GOT IP\r\n")});
    QCOMPARE(receiver.pending(), QStringLiteral("O"));
    QVERIFY(receiver.feed(QByteArray(2, '\0')).isEmpty());
    QCOMPARE(receiver.pending(), QStringLiteral("O"));
    QCOMPARE(receiver.feed(bytesOf("K\r\0\n")), QStringList{QStringLiteral("OK\r\n")});
}

void TestLineReceiver::keepsOnlyTheUnfinishedTail()
{
    // Many short lines in odd-sized reads: everything arrives, and the held
    // text never grows past one line.
    QByteArray stream;
    for (int i = 0; i < 5000; ++i)
        stream += "line " + QByteArray::number(i) + "\r\n";
    const QString longestLine = QStringLiteral("line 4999\r\n");

    LineReceiver receiver;
    QStringList lines;
    int offset = 0;
    for (int size = 1; offset < stream.size(); size = size % 23 + 1) {
        lines += receiver.feed(stream.mid(offset, size));
        offset += size;
        QVERIFY2(receiver.pending().size() < longestLine.size(),
                 qPrintable(QStringLiteral("held %1 characters").arg(receiver.pending().size())));
    }
    QCOMPARE(lines.size(), 5000);
    QCOMPARE(lines.first(), QStringLiteral("line 0\r\n"));
    QCOMPARE(lines.last(), longestLine);
    QCOMPARE(lines, referenceLines(QString::fromLatin1(stream)));
}

void TestLineReceiver::resetDropsTailAndHalfCharacter()
{
    LineReceiver receiver;
    QVERIFY(receiver.feed("WIFI CONN").isEmpty());
    receiver.reset();
    QVERIFY(receiver.pending().isEmpty());
    QCOMPARE(receiver.feed("ECTED\r\n"), QStringList{QStringLiteral("ECTED\r\n")});

    // The first byte of a three-byte character, then a reset: the rest of
    // that character cannot be joined to it any more.
    const QByteArray character = QString::fromUtf8("\xe4\xb8\xad").toUtf8();
    QVERIFY(receiver.feed(character.left(1)).isEmpty());
    receiver.reset();
    const QStringList lines = receiver.feed(character.mid(1) + "\r\n");
    QCOMPARE(lines.size(), 1);
    QVERIFY(!lines.first().contains(QString::fromUtf8("\xe4\xb8\xad")));
    QVERIFY(lines.first().contains(QChar(QChar::ReplacementCharacter)));
}

void TestLineReceiver::ignoresEmptyChunk()
{
    LineReceiver receiver;
    QVERIFY(receiver.feed("OK\r").isEmpty());
    QVERIFY(receiver.feed(QByteArray()).isEmpty());
    QCOMPARE(receiver.feed("\n"), QStringList{QStringLiteral("OK\r\n")});
}

QTEST_GUILESS_MAIN(TestLineReceiver)
#include "tst_linereceiver.moc"
