#include "echocloud.h"

#include "cloudmessage.h"

#include <mosquitto.h>

namespace atlume {

namespace {

bool topicMatches(const QString &filter, const QString &topic)
{
    bool matches = false;
    return mosquitto_topic_matches_sub(filter.toUtf8().constData(), topic.toUtf8().constData(),
                                       &matches) == MOSQ_ERR_SUCCESS &&
           matches;
}

} // namespace

EchoCloud::EchoCloud(const ModuleState &state, QObject *parent) : ModuleCloud(parent), state(state)
{
}

void EchoCloud::connectDevice(const DeviceIdentity &, const QVector<int> &)
{
    emit connectionChanged(true);
    emit answered({"+KQMQTTCONN:OK"});
}

void EchoCloud::subscribe(const QString &, int)
{
    emit answered({"OK"});
}

void EchoCloud::unsubscribe(const QString &)
{
    emit answered({"OK"});
}

void EchoCloud::publish(const Publication &publication)
{
    emit answered({"OK"});
    if (!state.mqttUp)
        return;
    for (const QString &filter : state.subscriptions) {
        if (topicMatches(filter, publication.topic)) {
            emit answered(reportLines(publication.topic, publication.qos,
                                      unescapeMessage(publication.message)));
            return;
        }
    }
}

} // namespace atlume
