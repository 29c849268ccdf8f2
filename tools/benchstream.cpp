#include "benchstream.h"

#include "linereceiver.h"

#include <cerrno>
#include <cstdio>
#include <unistd.h>

namespace atlume::bench {

namespace {

constexpr int kChunkBytes = 1024 * 1024;
constexpr int kLongLineText = 4096;
// Digits of the payload length that a long line announces (about 4060).
constexpr int kLongPayloadDigits = 4;
constexpr int kWordLength = 8;
constexpr int kLetters = 26;
// Where the recognised replies fall among the burst's lines.
constexpr qint64 kReconnectedEvery = 1000;
constexpr qint64 kGotIpEvery = 2500;
constexpr qint64 kGotIpAt = 1234;
// Of the other lines, one in six is an OK, one a state, one a status and
// three carry subscription data from one of a hundred devices.
constexpr quint32 kLineKinds = 6;
constexpr quint32 kMaxPayload = 90;
constexpr quint32 kDevices = 100;
constexpr qint64 kReceiverBound = atlume::LineReceiver::kDefaultMaxHeld;

const QByteArray kCrLf("\r\n");

bool writeAll(int fd, const QByteArray &bytes)
{
    const char *data = bytes.constData();
    qint64 left = bytes.size();
    while (left > 0) {
        const ssize_t count = ::write(fd, data, size_t(left));
        if (count == -1 && errno == EINTR)
            continue;
        if (count <= 0)
            return false;
        data += count;
        left -= count;
    }
    return true;
}

} // namespace

quint32 BurstLines::random()
{
    // The C standard's sample generator: the same numbers on every machine.
    seed = seed * 1103515245u + 12345u;
    return (seed >> 16) & 0x7fff;
}

QByteArray BurstLines::next()
{
    const qint64 i = index++;
    const bool reconnected = i % kReconnectedEvery == kReconnectedEvery - 1;
    const bool gotIp = i % kGotIpEvery == kGotIpAt;
    lastRecognised = reconnected || gotIp;
    if (reconnected)
        return QByteArrayLiteral("+KQMQTTRECONNECTED");
    if (gotIp)
        return QByteArrayLiteral("WIFI GOT IP");
    return mixedLine();
}

QByteArray BurstLines::mixedLine()
{
    switch (random() % kLineKinds) {
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
        const int length = int(random() % kMaxPayload);
        const QByteArray payload(length, char('a' + random() % kLetters));
        return "+KQMQTTSUBDATA:\"prod/dev" + QByteArray::number(random() % kDevices) +
               "/data\",0," + QByteArray::number(payload.size()) + ",\"" + payload + '"';
    }
    }
}

const char *phaseName(Phase phase)
{
    switch (phase) {
    case Phase::ShortLines:
        return "short";
    case Phase::LongLines:
        return "long";
    case Phase::LoneLf:
        return "lf";
    }
    return "";
}

bool phaseFromName(const QByteArray &name, Phase *phase)
{
    for (const Phase candidate : {Phase::ShortLines, Phase::LongLines, Phase::LoneLf}) {
        if (name == phaseName(candidate)) {
            *phase = candidate;
            return true;
        }
    }
    return false;
}

PhaseStream::PhaseStream(Phase phase, qint64 size) : phase(phase), size(qMax<qint64>(1, size))
{
    if (phase == Phase::LoneLf)
        this->size = (this->size + kReceiverBound - 1) / kReceiverBound * kReceiverBound;
}

QByteArray PhaseStream::nextChunk()
{
    QByteArray chunk;
    if (produced >= size)
        return chunk;
    chunk.reserve(kChunkBytes + kLongLineText);
    switch (phase) {
    case Phase::ShortLines:
        appendShortLines(chunk);
        break;
    case Phase::LongLines:
        appendLongLines(chunk);
        break;
    case Phase::LoneLf:
        appendLoneLfText(chunk);
        break;
    }
    totals.bytes += chunk.size();
    if (produced >= size) {
        // Every piece the receiver cuts ends a paragraph of its own.
        if (phase == Phase::LoneLf)
            totals.consoleLines += size / kReceiverBound;
        totals.lastLine = QString::fromLatin1(lastLine);
    }
    return chunk;
}

void PhaseStream::appendShortLines(QByteArray &chunk)
{
    while (chunk.size() < kChunkBytes && produced < size) {
        lastLine = burst.next();
        chunk += lastLine;
        chunk += kCrLf;
        totals.recognised += burst.recognised() ? 1 : 0;
        ++totals.consoleLines;
        ++produced;
    }
}

void PhaseStream::appendLongLines(QByteArray &chunk)
{
    while (chunk.size() < kChunkBytes && produced < size) {
        lastLine = longLine();
        chunk += lastLine;
        chunk += kCrLf;
        ++totals.consoleLines;
        ++produced;
    }
}

QByteArray PhaseStream::longLine()
{
    const QByteArray device = QByteArray::number(produced % kDevices);
    const QByteArray head = "+KQMQTTSUBDATA:\"prod/dev" + device + "/blob\",0,";
    const int payloadSize = kLongLineText - head.size() - kLongPayloadDigits - 3;
    QByteArray payload(payloadSize, ' ');
    const int offset = int(produced % kLetters);
    for (int i = 0; i < payloadSize; ++i) {
        if (i % kWordLength != kWordLength - 1)
            payload[i] = char('a' + (i + offset) % kLetters);
    }
    return head + QByteArray::number(payloadSize) + ",\"" + payload + '"';
}

void PhaseStream::appendLoneLfText(QByteArray &chunk)
{
    while (chunk.size() < kChunkBytes && produced < size) {
        QByteArray line = burst.next() + '\n';
        // The stream ends at its size exactly, in the middle of a line if
        // need be; that part is then the console's last line.
        if (produced + line.size() > size)
            line.truncate(int(size - produced));
        chunk += line;
        produced += line.size();
        if (line.endsWith('\n')) {
            ++totals.consoleLines;
            lastLine.clear();
        } else {
            lastLine = line;
        }
    }
}

StreamSummary PhaseStream::summarise(Phase phase, qint64 size)
{
    PhaseStream stream(phase, size);
    while (!stream.nextChunk().isEmpty()) {
    }
    return stream.summary();
}

int writeStream(const QByteArray &phaseName, const QByteArray &size)
{
    Phase phase = Phase::ShortLines;
    bool sizeOk = false;
    const qint64 count = size.toLongLong(&sizeOk);
    if (!phaseFromName(phaseName, &phase) || !sizeOk) {
        std::fprintf(stderr, "atlume-bench: no stream %s of size %s\n", phaseName.constData(),
                     size.constData());
        return 1;
    }
    PhaseStream stream(phase, count);
    for (QByteArray chunk = stream.nextChunk(); !chunk.isEmpty(); chunk = stream.nextChunk()) {
        if (!writeAll(STDOUT_FILENO, chunk)) {
            std::perror("atlume-bench: generator");
            return 1;
        }
    }
    return 0;
}

} // namespace atlume::bench
