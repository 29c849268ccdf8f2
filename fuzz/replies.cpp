// Recognition of the module's replies, against the documented reply list and
// against itself with the rest of the line changed.
#include "fuzzsupport.h"
#include "replyrecogniser.h"

#include <QRegExp>
#include <optional>

using atlume::recogniseReply;
using fuzz::require;

namespace {

struct Reply {
    const char *beginning; // nullptr: the one-digit join error, matched whole
    DEVICE_SIGNAL signal;
};

// The documented order: the first reply that fits wins.
constexpr Reply kReplies[] = {
    {"WIFI CONNECTED", WIFI_CONNECTED},
    {"+KQSTARTSMART:WIFI_CONNECT_SUCCESS", WIFI_CONNECTED},
    {"+KQSAP:WIFI_CONNECT_SUCCESS", WIFI_CONNECTED},
    {"STATUS:2", WIFI_CONNECTED},
    {nullptr, WIFI_DISCONNECTED},
    {"WIFI DISCONNECT", WIFI_DISCONNECTED},
    {"+KQMQTTCONN:OK", MQTT_CONNECTED},
    {"+KQMQTTSTATE:1", MQTT_CONNECTED},
    {"+KQMQTTRECONNECTED", MQTT_CONNECTED},
    {"+KQMQTTDISCON", MQTT_DISCONNECTED},
    {"+KQMQTTCONN:FAIL", MQTT_DISCONNECTED},
    {"WIFI GOT IP", WIFI_GOT_IP},
    {"+CWJAP:", WIFI_JOIN_REPLY},
    {"+KQSTARTSMART:OK", SMARTCONFIG_STARTED},
    {"+KQSAP:OK", SOFTAP_STARTED},
    {"+KQSTARTSMART:FAIL", PROVISION_FAILED},
    {"+KQSAP:FAIL", PROVISION_FAILED},
    {"+KQSTARTSMART:WIFI_CONNECT_FAILED", PROVISION_FAILED},
    {"+KQSAP:WIFI_CONNECT_FAILED", PROVISION_FAILED},
    {"AT+KQSTOPSMART: CMD TO STOP SMARTCONFIG", SMARTCONFIG_STOPPED},
    {"AT+KQSTOPSAP: CMD TO STOP SOFTAP", SOFTAP_STOPPED},
};

// The join error as the module's documentation writes it; the recogniser
// checks the digit directly.
bool isOneDigitJoinError(const QString &line)
{
    static const QRegExp kJoinError(QStringLiteral("^\\+CWJAP:[0-9]\\r\\n$"), Qt::CaseSensitive,
                                    QRegExp::RegExp);
    return kJoinError.exactMatch(line);
}

std::optional<DEVICE_SIGNAL> expectedSignal(const QString &line)
{
    for (const Reply &reply : kReplies) {
        const bool fits = reply.beginning ? line.startsWith(QLatin1String(reply.beginning))
                                          : isOneDigitJoinError(line);
        if (fits)
            return reply.signal;
    }
    return std::nullopt;
}

// The shortest beginning of the line that is recognised as the line is: the
// reply the line begins with. Whatever follows it cannot change the outcome,
// except where the result is a one-digit join error.
void checkOnlyTheBeginningCounts(const QString &line, const QString &otherEnd)
{
    const std::optional<DEVICE_SIGNAL> signal = recogniseReply(line);
    if (!signal || isOneDigitJoinError(line))
        return;
    int length = 1;
    while (recogniseReply(line.left(length)) != signal)
        ++length;
    const QString changed = line.left(length) + otherEnd;
    require(recogniseReply(changed) == signal || isOneDigitJoinError(changed),
            "what follows a recognised reply does not change its recognition");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::Input input(data, size);
    const fuzz::SplitText split = fuzz::takeSplitText(input);
    const QString &text = split.whole;
    const QString &line = split.front;
    const QString &otherEnd = split.back;

    for (const QString &candidate : {line, text}) {
        require(recogniseReply(candidate) == expectedSignal(candidate),
                "a line is recognised as the first reply in the documented order that fits it");
    }
    checkOnlyTheBeginningCounts(text, otherEnd);
    checkOnlyTheBeginningCounts(line, otherEnd);
    return 0;
}
