#include "cloudmessage.h"

namespace atlume {

QByteArray escapeMessage(const QByteArray &message)
{
    QByteArray text = message;
    text.replace("\r\n", " ").replace('\r', ' ').replace('\n', ' ');
    return text.replace('"', "\\\"").replace(',', "\\,");
}

QByteArray unescapeMessage(const QByteArray &message)
{
    QByteArray text;
    text.reserve(message.size());
    for (int at = 0; at < message.size(); ++at) {
        const bool escaped = message.at(at) == '\\' && at + 1 < message.size() &&
                             (message.at(at + 1) == '"' || message.at(at + 1) == ',');
        if (escaped)
            ++at;
        text += message.at(at);
    }
    return text;
}

QList<QByteArray> reportLines(const QString &topic, int qos, const QByteArray &payload)
{
    const QByteArray start = "\"" + topic.toUtf8() + "\"," + QByteArray::number(qos) + ",";
    if (payload.size() > kLongMessageBytes)
        return {"+KQMQTTRECVL:" + start + QByteArray::number(payload.size()), payload};
    return {"+KQMQTTRECV:" + start + "\"" + escapeMessage(payload) + '"'};
}

} // namespace atlume
