#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace atlume {

// How the module writes a message: line breaks become blanks, quotes and
// commas get a backslash. unescapeMessage() undoes the backslashes, and only
// those.
QByteArray escapeMessage(const QByteArray &message);
QByteArray unescapeMessage(const QByteArray &message);

// A payload longer than this does not go on one line.
constexpr int kLongMessageBytes = 1024;

// The lines by which the module reports a message from the cloud, each to be
// ended by CR LF: one line, +KQMQTTRECV:"<topic>",<qos>,"<escaped payload>";
// or, for a long payload, the header +KQMQTTRECVL:"<topic>",<qos>,<length>
// and then the payload itself, exactly <length> bytes as they came, which is
// how a long message is published too.
QList<QByteArray> reportLines(const QString &topic, int qos, const QByteArray &payload);

} // namespace atlume
