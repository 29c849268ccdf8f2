#include "cloudmessages.h"

#include <cstring>

namespace atlume {

namespace {

const QByteArray kCommonPrefix("+KQMQTTRECV");
const QByteArray kShortPrefix("+KQMQTTRECV:");
const QByteArray kLongPrefix("+KQMQTTRECVL:");
const QByteArray kCrLf("\r\n");
// A QoS is one digit; more are no QoS, and a length has at most nine.
constexpr int kMaxQosDigits = 2;
constexpr int kMaxLengthDigits = 9;

QString decoded(const QByteArray &bytes)
{
    // Every byte, zero bytes included, unlike QString::fromUtf8 of the array in Qt 5.
    return QString::fromUtf8(bytes.constData(), int(bytes.size()));
}

bool isDigits(const QByteArray &text, int maxDigits)
{
    if (text.isEmpty() || text.size() > maxDigits)
        return false;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return false;
    }
    return true;
}

// The fields after the prefix: a topic, quoted or up to the next comma, the
// QoS, and whatever follows the second comma.
struct Fields {
    QByteArray topic;
    QByteArray qos;
    QByteArray rest;
    bool hasRest = false;
};

Fields splitFields(const QByteArray &line, int from)
{
    Fields fields;
    const int size = int(line.size());
    int at = from;
    if (at < size && line.at(at) == '"') {
        // The topic ends at the first quote without a backslash before it.
        int end = at + 1;
        while (end < size && !(line.at(end) == '"' && line.at(end - 1) != '\\'))
            ++end;
        fields.topic = line.mid(at + 1, end - at - 1);
        at = qMin(end + 1, size);
    } else {
        int end = int(line.indexOf(',', at));
        end = end == -1 ? size : end;
        fields.topic = line.mid(at, end - at);
        at = end;
    }
    if (at < size && line.at(at) == ',') {
        int end = int(line.indexOf(',', at + 1));
        end = end == -1 ? size : end;
        fields.qos = line.mid(at + 1, end - at - 1);
        at = end;
    }
    if (at < size && line.at(at) == ',') {
        fields.rest = line.mid(at + 1);
        fields.hasRest = true;
    }
    return fields;
}

CloudMessage messageOf(const Fields &fields)
{
    CloudMessage message;
    message.topic = decoded(CloudMessageReader::unescape(fields.topic));
    if (isDigits(fields.qos, kMaxQosDigits))
        message.qos = fields.qos.toInt();
    return message;
}

// The first line of a long message, and the length of the payload after it.
std::optional<CloudMessage> parseHeader(const QByteArray &line, qint64 *length)
{
    const Fields fields = splitFields(line, int(kLongPrefix.size()));
    if (!fields.hasRest || !isDigits(fields.rest, kMaxLengthDigits))
        return std::nullopt;
    *length = fields.rest.toLongLong();
    return messageOf(fields);
}

} // namespace

QByteArray CloudMessageReader::unescape(const QByteArray &text)
{
    QByteArray plain;
    plain.reserve(text.size());
    const int size = int(text.size());
    for (int at = 0; at < size; ++at) {
        if (text.at(at) == '\\' && at + 1 < size &&
            (text.at(at + 1) == '"' || text.at(at + 1) == ','))
            ++at;
        plain += text.at(at);
    }
    return plain;
}

std::optional<CloudMessage> CloudMessageReader::parseLine(const QByteArray &line)
{
    if (!line.startsWith(kShortPrefix) || line.size() == kShortPrefix.size())
        return std::nullopt;
    const Fields fields = splitFields(line, int(kShortPrefix.size()));
    CloudMessage message = messageOf(fields);
    QByteArray payload = fields.rest;
    if (payload.startsWith('"')) {
        payload.remove(0, 1);
        // The closing quote, unless the line was cut before it: a quote at the
        // end with a backslash before it is part of the payload.
        const int size = int(payload.size());
        if (payload.endsWith('"') && !(size >= 2 && payload.at(size - 2) == '\\'))
            payload.chop(1);
    }
    message.payload = unescape(payload);
    return message;
}

QVector<CloudMessage> CloudMessageReader::feed(const QByteArray &bytes)
{
    QVector<CloudMessage> messages;
    const char *data = bytes.constData();
    const int size = int(bytes.size());
    int at = 0;
    while (at < size) {
        if (dataLeft > 0) {
            const int take = int(qMin<qint64>(dataLeft, size - at));
            const int keep = qMin(take, kMaxBytes - int(longMessage.payload.size()));
            if (keep > 0)
                longMessage.payload.append(data + at, keep);
            dataLeft -= take;
            at += take;
            if (dataLeft == 0) {
                messages.append(longMessage);
                longMessage = CloudMessage();
                // The CR LF after the payload begins the next line afresh.
                previous = 0;
            }
            continue;
        }
        const auto *lineFeed = static_cast<const char *>(std::memchr(data + at, '\n', size - at));
        const int end = lineFeed ? int(lineFeed - data) + 1 : size;
        if (!skipping)
            holdLinePart(data + at, end - at);
        const char beforeEnd = end - at >= 2 ? data[end - 2] : previous;
        previous = data[end - 1];
        at = end;
        // Only CR LF ends a line; a lone LF stays part of it.
        if (!lineFeed || beforeEnd != '\r')
            continue;
        if (!skipping)
            takeLine(messages);
        line.clear();
        skipping = false;
        previous = 0;
    }
    if (!messages.isEmpty()) {
        const QTime now = QTime::currentTime();
        for (CloudMessage &message : messages)
            message.arrived = now;
    }
    return messages;
}

void CloudMessageReader::holdLinePart(const char *data, int size)
{
    const int room = kMaxBytes - int(line.size());
    line.append(data, qMin(size, room));
    // Most lines are no message, and that shows in their first bytes.
    const bool candidate = line.size() < kCommonPrefix.size() ? kCommonPrefix.startsWith(line)
                                                              : line.startsWith(kCommonPrefix);
    if (!candidate) {
        line.clear();
        skipping = true;
    }
}

void CloudMessageReader::takeLine(QVector<CloudMessage> &messages)
{
    if (line.endsWith(kCrLf))
        line.chop(kCrLf.size());
    if (line.startsWith(kLongPrefix)) {
        qint64 length = 0;
        if (const auto header = parseHeader(line, &length)) {
            longMessage = *header;
            dataLeft = length;
            if (length == 0)
                messages.append(longMessage);
        }
        return;
    }
    if (const auto message = parseLine(line))
        messages.append(*message);
}

} // namespace atlume
