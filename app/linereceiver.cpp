#include "linereceiver.h"

#include <QRegExp>
#include <QTextCodec>

namespace atlume {

namespace {

QTextDecoder *makeUtf8Decoder()
{
    return QTextCodec::codecForName("UTF-8")->makeDecoder();
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

LineReceiver::LineReceiver() : decoder(makeUtf8Decoder()) {}

LineReceiver::~LineReceiver() = default;

QStringList LineReceiver::feed(const QByteArray &chunk)
{
    QStringList lines;
    if (chunk.isEmpty())
        return lines;

    QString text = decoder->toUnicode(chunk);
    text.remove(QChar(0));
    if (text.isEmpty())
        return lines;

    // The CR of a CR LF may be the last character of the previous chunk, so
    // an LF at the very start of the new text still looks one step back.
    int searchFrom = buffer.size();
    if (buffer.isEmpty())
        buffer = text;
    else
        buffer.append(text);

    int lineStart = 0;
    for (int lf = buffer.indexOf(QLatin1Char('\n'), searchFrom); lf != -1;
         lf = buffer.indexOf(QLatin1Char('\n'), lf + 1)) {
        if (lf == 0 || buffer.at(lf - 1) != QLatin1Char('\r'))
            continue;
        lines.append(buffer.mid(lineStart, lf + 1 - lineStart));
        lineStart = lf + 1;
    }
    if (lineStart == buffer.size())
        buffer.clear();
    else if (lineStart > 0)
        buffer.remove(0, lineStart);
    return lines;
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
