#include "replyrecogniser.h"

#include <QLatin1String>
#include <QRegExp>
#include <initializer_list>

namespace atlume {

namespace {

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
