#pragma once

#include <QByteArray>
#include <QString>
#include <QTime>
#include <QVector>
#include <optional>

namespace atlume {

// A message the module reports from the cloud.
struct CloudMessage {
    QTime arrived;
    QString topic;      // the module's escaping undone
    int qos = -1;       // -1 when the line gave none
    QByteArray payload; // the module's escaping undone
};

// Finds the messages the module reports from the cloud in the bytes it
// sends, in both forms:
//
//   +KQMQTTRECV:"<topic>",<qos>,"<payload>"      one line, the payload escaped
//                                                as a publish escapes it;
//   +KQMQTTRECVL:"<topic>",<qos>,<length>        then exactly <length> bytes
//                                                of payload as they came from
//                                                the cloud, then CR LF.
//
// It frames the bytes itself, apart from the console's lines, so that a long
// payload is counted in bytes whatever they hold. A line that is cut short
// or lacks fields still gives what could be read; one that gives nothing
// is no message.
class CloudMessageReader {
public:
    // What is held of one line, and kept of one payload; the rest is skipped.
    static constexpr int kMaxBytes = 1024 * 1024;

    // Takes one read's bytes; returns the messages they complete.
    QVector<CloudMessage> feed(const QByteArray &bytes);
    // Forgets what it holds of an unfinished line or message.
    void reset() { *this = CloudMessageReader(); }

    // One line of the short form, without its CR LF.
    static std::optional<CloudMessage> parseLine(const QByteArray &line);
    // Quotes and commas lose the backslash in front of them; any other
    // backslash stays, as the module does not double them.
    static QByteArray unescape(const QByteArray &text);

private:
    void takeLine(QVector<CloudMessage> &messages);
    void holdLinePart(const char *data, int size);

    QByteArray line;
    bool skipping = false; // the current line is no message
    char previous = 0;     // the last byte taken, for a CR LF split between reads
    qint64 dataLeft = 0;   // payload bytes of a long message still to come
    CloudMessage longMessage;
};

} // namespace atlume
