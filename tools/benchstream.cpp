#include "benchstream.h"

namespace atlume::bench {

namespace {

constexpr int kLetters = 26;

} // namespace

quint32 BurstLines::random()
{
    seed = seed * 1103515245u + 12345u;
    return (seed >> 16) & 0x7fff;
}

QByteArray BurstLines::next()
{
    const qint64 i = index++;
    lastRecognised = i % 1000 == 999 || i % 2500 == 1234;
    if (i % 1000 == 999)
        return QByteArrayLiteral("+KQMQTTRECONNECTED");
    if (i % 2500 == 1234)
        return QByteArrayLiteral("WIFI GOT IP");
    return mixedLine();
}

QByteArray BurstLines::mixedLine()
{
    switch (random() % 6) {
    case 0:
        return QByteArrayLiteral("OK");
    case 1:
        return QByteArrayLiteral("+KQMQTTSTATE:0");
    case 2: {
        const QByteArray host = QByteArray::number(random() % 255);
        const QByteArray port = QByteArray::number(random() % 65536);
        return "+CIPSTATUS:0,\"TCP\",\"192.168.1." + host + "\"," + port + ",0";
    }
    default: {
        const int length = int(random() % 90);
        const QByteArray payload(length, char('a' + random() % kLetters));
        return "+KQMQTTSUBDATA:\"prod/dev" + QByteArray::number(random() % 100) + "/data\",0," +
               QByteArray::number(payload.size()) + ",\"" + payload + '"';
    }
    }
}

} // namespace atlume::bench
