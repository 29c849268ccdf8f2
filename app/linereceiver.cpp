#include "linereceiver.h"

#include <QRegExp>
#include <QTextCodec>

namespace atlume {

namespace {

QTextDecoder *makeUtf8Decoder()
{
    // Without IgnoreHeader the decoder takes a U+FEFF that happens to arrive
    // first in a read (or first after a split character) for a byte-order
    // mark and drops it. A serial stream has no header: every character counts.
    return QTextCodec::codecForName("UTF-8")->makeDecoder(QTextCodec::IgnoreHeader);
}

bool beginsWithAny(const QString &line, std::initializer_list<QLatin1String> prefixes)
{
    for (const QLatin1String &prefix : prefixes) {
        if (line.startsWith(prefix, Qt::CaseSensitive))
            return true;
    }
    return false;
}

bool isOneDigitJoinError(const QString &line)
{
    // Every line the pattern accepts begins with "+CWJAP:", so the cheap
    // prefix test keeps the regular expression off the hot path.
    if (!line.startsWith(QLatin1String("+CWJAP:")))
        return false;
    QRegExp errorCode(QStringLiteral("^\\+CWJAP:[0-9]\\r\\n$"), Qt::CaseSensitive, QRegExp::RegExp);
    return errorCode.exactMatch(line);
}

} // namespace

LineReceiver::LineReceiver(int maxHeld) : decoder(makeUtf8Decoder()), maxHeld(qMax(2, maxHeld)) {}

LineReceiver::~LineReceiver() = default;

QStringList LineReceiver::feed(const QByteArray &chunk)
{
    QStringList pieces;
    if (chunk.isEmpty())
        return pieces;

    QString text = decoder->toUnicode(chunk);
    text.remove(QChar(0));
    if (text.isEmpty())
        return pieces;

    // The CR of a CR LF may be the last character of the previous chunk, so
    // an LF at the very start of the new text still looks one step back.
    const int searchFrom = buffer.size();
    if (buffer.isEmpty())
        buffer = text;
    else
        buffer.append(text);

    int lineStart = 0;
    int lf = buffer.indexOf(QLatin1Char('\n'), searchFrom);
    for (;;) {
        while (lf != -1 && (lf == lineStart || buffer.at(lf - 1) != QLatin1Char('\r')))
            lf = buffer.indexOf(QLatin1Char('\n'), lf + 1);
        // Held text reaches the bound one character before a line of the
        // bound's length would end, so such a line still arrives whole.
        const int end = lf == -1 ? buffer.size() : lf + 1;
        if (lf != -1 && end - lineStart <= maxHeld) {
            pieces.append(buffer.mid(lineStart, end - lineStart));
            lineStart = end;
            lf = buffer.indexOf(QLatin1Char('\n'), lineStart);
        } else if (end - lineStart >= maxHeld) {
            const int cut = cutPosition(lineStart);
            pieces.append(buffer.mid(lineStart, cut - lineStart));
            lineStart = cut;
        } else {
            break;
        }
    }
    if (lineStart == buffer.size())
        buffer.clear();
    else if (lineStart > 0)
        buffer.remove(0, lineStart);
    return pieces;
}

bool LineReceiver::isLine(const QString &piece)
{
    return piece.endsWith(QLatin1String("\r\n"));
}

int LineReceiver::cutPosition(int lineStart) const
{
    // Never between the two halves of a surrogate pair: each piece is shown
    // on its own, and half a character would show as two broken ones.
    const int cut = lineStart + maxHeld;
    return buffer.at(cut - 1).isHighSurrogate() ? cut - 1 : cut;
}

void LineReceiver::reset()
{
    buffer.clear();
    decoder.reset(makeUtf8Decoder());
}

std::optional<DEVICE_SIGNAL> recogniseReply(const QString &line)
{
    if (beginsWithAny(line,
                      {QLatin1String("WIFI CONNECTED"),
                       QLatin1String("+KQSTARTSMART:WIFI_CONNECT_SUCCESS"),
                       QLatin1String("+KQSAP:WIFI_CONNECT_SUCCESS"), QLatin1String("STATUS:2")}))
        return WIFI_CONNECTED;
    if (isOneDigitJoinError(line) || beginsWithAny(line, {QLatin1String("WIFI DISCONNECT")}))
        return WIFI_DISCONNECTED;
    if (beginsWithAny(line, {QLatin1String("+KQMQTTCONN:OK"), QLatin1String("+KQMQTTSTATE:1"),
                             QLatin1String("+KQMQTTRECONNECTED")}))
        return MQTT_CONNECTED;
    if (beginsWithAny(line, {QLatin1String("+KQMQTTDISCON"), QLatin1String("+KQMQTTCONN:FAIL")}))
        return MQTT_DISCONNECTED;
    if (beginsWithAny(line, {QLatin1String("WIFI GOT IP")}))
        return WIFI_GOT_IP;
    if (beginsWithAny(line, {QLatin1String("+CWJAP:")}))
        return WIFI_JOIN_REPLY;
    if (beginsWithAny(line, {QLatin1String("+KQSTARTSMART:OK")}))
        return SMARTCONFIG_STARTED;
    if (beginsWithAny(line, {QLatin1String("+KQSAP:OK")}))
        return SOFTAP_STARTED;
    if (beginsWithAny(line, {QLatin1String("+KQSTARTSMART:FAIL"), QLatin1String("+KQSAP:FAIL"),
                             QLatin1String("+KQSTARTSMART:WIFI_CONNECT_FAILED"),
                             QLatin1String("+KQSAP:WIFI_CONNECT_FAILED")}))
        return PROVISION_FAILED;
    if (beginsWithAny(line, {QLatin1String("AT+KQSTOPSMART: CMD TO STOP SMARTCONFIG")}))
        return SMARTCONFIG_STOPPED;
    if (beginsWithAny(line, {QLatin1String("AT+KQSTOPSAP: CMD TO STOP SOFTAP")}))
        return SOFTAP_STOPPED;
    return std::nullopt;
}

} // namespace atlume
