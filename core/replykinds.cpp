#include "replykinds.h"

#include "replyrecogniser.h"

namespace atlume {

ReplyKind replyKind(const QString &line)
{
    // Both forms of a message from the cloud, the long one included.
    if (line.startsWith(QLatin1String("+KQMQTTRECV")))
        return ReplyKind::CloudMessage;
    QStringView text(line);
    while (text.endsWith(QLatin1Char('\n')) || text.endsWith(QLatin1Char('\r')))
        text.chop(1);
    if (text == QLatin1String("OK") || text == QLatin1String("SEND OK"))
        return ReplyKind::Success;
    if (text == QLatin1String("ERROR") || text == QLatin1String("FAIL"))
        return ReplyKind::Failure;
    const auto reply = recogniseReply(line);
    if (!reply)
        return ReplyKind::Other;
    switch (*reply) {
    case WIFI_CONNECTED:
    case WIFI_GOT_IP:
    case MQTT_CONNECTED:
    case SMARTCONFIG_STARTED:
    case SOFTAP_STARTED:
        return ReplyKind::Success;
    case WIFI_DISCONNECTED:
    case MQTT_DISCONNECTED:
    case PROVISION_FAILED:
        return ReplyKind::Failure;
    case WIFI_JOIN_REPLY:
    case SMARTCONFIG_STOPPED:
    case SOFTAP_STOPPED:
        break;
    }
    return ReplyKind::Other;
}

} // namespace atlume
