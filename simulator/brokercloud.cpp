#include "brokercloud.h"

#include "cloudmessage.h"

namespace atlume {

BrokerCloud::BrokerCloud(const BrokerOptions &broker, QObject *parent)
    : ModuleCloud(parent), link(broker)
{
    connect(&link, &MqttLink::connected, this, [this] {
        emit connectionChanged(true);
        emit reported("+KQMQTTCONN:OK");
    });
    connect(&link, &MqttLink::connectFailed, this, [this](const QString &reason) {
        emit connectionChanged(false);
        emit unreachable(reason);
        emit reported("+KQMQTTCONN:FAIL");
    });
    connect(&link, &MqttLink::lost, this, [this] {
        emit connectionChanged(false);
        emit reported("+KQMQTTDISCON");
    });
    connect(&link, &MqttLink::reconnected, this, [this] {
        emit connectionChanged(true);
        emit reported("+KQMQTTRECONNECTED");
    });
    connect(&link, &MqttLink::acknowledged, this, [this](int messageId) {
        if (awaited.remove(messageId))
            emit answered({"OK"});
    });
    connect(&link, &MqttLink::messageArrived, this,
            [this](const QString &topic, const QByteArray &payload, int qos) {
                emit reported(reportLines(topic, qos, payload).join("\r\n"));
            });
}

void BrokerCloud::connectDevice(const DeviceIdentity &identity, const QVector<int> &parameters)
{
    enum { TlsMode, Timeout, KeepAlive, CleanSession, Reconnect };
    link.open(identity.clientId(), parameters[KeepAlive], parameters[CleanSession] == 1,
              parameters[Reconnect] == 1, parameters[Timeout]);
}

void BrokerCloud::disconnectDevice()
{
    link.close();
}

void BrokerCloud::subscribe(const QString &topic, int qos)
{
    answerWhenAcknowledged(link.subscribe(topic, qos));
}

void BrokerCloud::unsubscribe(const QString &topic)
{
    answerWhenAcknowledged(link.unsubscribe(topic));
}

void BrokerCloud::publish(const Publication &publication)
{
    answerWhenAcknowledged(
        link.publish(publication.topic, unescapeMessage(publication.message), publication.qos));
}

void BrokerCloud::answerWhenAcknowledged(int messageId)
{
    if (messageId < 0)
        emit answered({"ERROR"});
    else
        awaited.insert(messageId);
}

} // namespace atlume
