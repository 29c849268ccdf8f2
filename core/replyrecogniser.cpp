#include "replyrecogniser.h"

#include <QLatin1String>

namespace atlume {

namespace {

// What a line must look like to yield a signal: begin with the text, or be
// the text, one ASCII digit and CR LF, nothing before or after (an error code).
struct LineShape {
    enum Kind { None, BeginsWith, OneDigitCode };
    Kind kind = None;
    QLatin1String text;

    bool fits(const QString &line) const;
};

LineShape begins(const char *text)
{
    return {LineShape::BeginsWith, QLatin1String(text)};
}

LineShape oneDigitCode(const char *text)
{
    return {LineShape::OneDigitCode, QLatin1String(text)};
}

bool LineShape::fits(const QString &line) const
{
    if (kind == BeginsWith)
        return line.startsWith(text);
    if (kind != OneDigitCode || line.size() != text.size() + 3 || !line.startsWith(text))
        return false;
    const QChar digit = line.at(text.size());
    return digit >= QLatin1Char('0') && digit <= QLatin1Char('9') &&
           line.endsWith(QLatin1String("\r\n"));
}

struct Reply {
    DEVICE_SIGNAL signal;
    LineShape shapes[4];
};

// Tried from the top; the first reply with a shape that fits gives the line's
// signal. A one-digit "+CWJAP:" code is the module refusing to join, so it
// comes before the join reply that any other "+CWJAP:" line is.
const Reply kReplies[] = {
    {WIFI_CONNECTED,
     {begins("WIFI CONNECTED"), begins("+KQSTARTSMART:WIFI_CONNECT_SUCCESS"),
      begins("+KQSAP:WIFI_CONNECT_SUCCESS"), begins("STATUS:2")}},
    {WIFI_DISCONNECTED, {oneDigitCode("+CWJAP:"), begins("WIFI DISCONNECT")}},
    {MQTT_CONNECTED,
     {begins("+KQMQTTCONN:OK"), begins("+KQMQTTSTATE:1"), begins("+KQMQTTRECONNECTED")}},
    {MQTT_DISCONNECTED, {begins("+KQMQTTDISCON"), begins("+KQMQTTCONN:FAIL")}},
    {WIFI_GOT_IP, {begins("WIFI GOT IP")}},
    {WIFI_JOIN_REPLY, {begins("+CWJAP:")}},
    {SMARTCONFIG_STARTED, {begins("+KQSTARTSMART:OK")}},
    {SOFTAP_STARTED, {begins("+KQSAP:OK")}},
    {PROVISION_FAILED,
     {begins("+KQSTARTSMART:FAIL"), begins("+KQSAP:FAIL"),
      begins("+KQSTARTSMART:WIFI_CONNECT_FAILED"), begins("+KQSAP:WIFI_CONNECT_FAILED")}},
    {SMARTCONFIG_STOPPED, {begins("AT+KQSTOPSMART: CMD TO STOP SMARTCONFIG")}},
    {SOFTAP_STOPPED, {begins("AT+KQSTOPSAP: CMD TO STOP SOFTAP")}},
};

} // namespace

std::optional<DEVICE_SIGNAL> recogniseReply(const QString &line)
{
    for (const Reply &reply : kReplies) {
        for (const LineShape &shape : reply.shapes) {
            if (shape.fits(line))
                return reply.signal;
        }
    }
    return std::nullopt;
}

} // namespace atlume
