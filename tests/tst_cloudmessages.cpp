// The module's messages from the cloud, found in its byte stream in both
// forms however the reads cut it, and what a malformed line still gives.
#include "cloudmessages.h"

#include <QtTest>

namespace {

// A message as "topic|qos|payload", the QoS empty when the line gave none.
QString described(const atlume::CloudMessage &message)
{
    return message.topic + QLatin1Char('|') +
           (message.qos < 0 ? QString() : QString::number(message.qos)) + QLatin1Char('|') +
           QString::fromUtf8(message.payload.constData(), message.payload.size());
}

QList<QByteArray> inPieces(const QByteArray &bytes, int size)
{
    QList<QByteArray> pieces;
    for (int at = 0; at < bytes.size(); at += size)
        pieces << bytes.mid(at, size);
    return pieces;
}

} // namespace

class TestCloudMessages : public QObject {
    Q_OBJECT

private slots:
    void findsMessages_data();
    void findsMessages();
};

void TestCloudMessages::findsMessages_data()
{
    QTest::addColumn<QList<QByteArray>>("reads");
    QTest::addColumn<QStringList>("messages");

    QTest::newRow("another port after half a long message")
        << QList<QByteArray>{"+KQMQTTRECVL:\"t\",0,10\r\nabc", QByteArray(),
                             "+KQMQTTRECV:\"u\",1,\"x\"\r\n"}
        << QStringList{"u|1|x"};
    QTest::newRow("short form, escaping undone")
        << QList<QByteArray>{"+KQMQTTRECV:\"P1/D1/\\\"x\\\"\",1,\"t=25\\,h=\\\"60\\\" \\n\"\r\n"}
        << QStringList{"P1/D1/\"x\"|1|t=25,h=\"60\" \\n"};
    QTest::newRow("cut anywhere, among other lines")
        << QList<QByteArray>{"OK\r\n+KQMQ", "TTRECV:\"a\",0,\"x\"\r", "\nWIFI GOT IP\r\n"}
        << QStringList{"a|0|x"};
    QTest::newRow("long form, CR LF in the payload")
        << QList<QByteArray>{"+KQMQTTRECVL:\"big\",1,9\r\n{\"a\":\r", "\n1}\r\nOK\r\n"}
        << QStringList{"big|1|{\"a\":\r\n1}"};
    QTest::newRow("long form, zero bytes and invalid UTF-8")
        << QList<QByteArray>{QByteArray("+KQMQTTRECVL:\"b\",0,3\r\n\0\xff"
                                        "A\r\n",
                                        27)}
        << QStringList{QStringLiteral("b|0|") + QChar(0) + QChar(QChar::ReplacementCharacter) +
                       QLatin1Char('A')};
    QTest::newRow("lone LF stays in the line")
        << QList<QByteArray>{"+KQMQTTRECV:\"t\",0,\"a\nb\"\r\n"} << QStringList{"t|0|a\nb"};
    QTest::newRow("unterminated payload")
        << QList<QByteArray>{"+KQMQTTRECV:\"t\",0,\"abc\\\"\r\n"} << QStringList{"t|0|abc\""};
    QTest::newRow("unterminated topic")
        << QList<QByteArray>{"+KQMQTTRECV:\"top,0\r\n"} << QStringList{"top,0||"};
    QTest::newRow("missing fields")
        << QList<QByteArray>{"+KQMQTTRECV:\"t\"\r\n+KQMQTTRECV:\"u\",x\r\n"}
        << QStringList{"t||", "u||"};
    QTest::newRow("nothing after the prefix")
        << QList<QByteArray>{"+KQMQTTRECV:\r\n"} << QStringList{};
    QTest::newRow("long form without a length")
        << QList<QByteArray>{"+KQMQTTRECVL:\"t\",0\r\n+KQMQTTRECV:\"u\",1,\"v\"\r\n"}
        << QStringList{"u|1|v"};
    QTest::newRow("not at the start of a line")
        << QList<QByteArray>{"> +KQMQTTRECV:\"t\",0,\"a\"\r\n"} << QStringList{};
    const QByteArray payload(64 * 1024, 'x');
    QTest::newRow("64 KiB of payload")
        << inPieces("+KQMQTTRECV:\"t\",0,\"" + payload + "\"\r\n", 4000)
        << QStringList{QStringLiteral("t|0|") + QString::fromLatin1(payload)};
}

void TestCloudMessages::findsMessages()
{
    QFETCH(QList<QByteArray>, reads);
    QFETCH(QStringList, messages);
    atlume::CloudMessageReader reader;
    QStringList found;
    for (const QByteArray &read : reads) {
        // A null read stands for another port chosen.
        if (read.isNull()) {
            reader.reset();
            continue;
        }
        const auto complete = reader.feed(read);
        for (const atlume::CloudMessage &message : complete)
            found << described(message);
    }
    QCOMPARE(found, messages);
}

QTEST_GUILESS_MAIN(TestCloudMessages)
#include "tst_cloudmessages.moc"
