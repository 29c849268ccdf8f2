#include "brokercloud.h"

namespace atlume {

namespace {

// The module's escaping: line breaks become blanks, quotes and commas get a
// backslash. unescape() undoes the backslashes, and only those.
QByteArray escape(const QByteArray &message)
{
    QByteArray text = message;
    text.replace("\r\n", " ").replace('\r', ' ').replace('\n', ' ');
    return text.replace('"', "\\\"").replace(',', "\\,");
}

QByteArray unescape(const QByteArray &message)
{
    QByteArray text;
    text.reserve(message.size());
    for (int at = 0; at < message.size(); ++at) {
        const bool escaped = message.at(at) == '\\' && at + 1 < message.size() &&
                             (message.at(at + 1) == '"' || message.at(at + 1) == ',');
        if (escaped)
            ++at;
        text += message.at(at);
    }
    return text;
}

} // namespace

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
                emit reported("+KQMQTTRECV:\"" + topic.toUtf8() + "\"," + QByteArray::number(qos) +
                              ",\"" + escape(payload) + '"');
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
        link.publish(publication.topic, unescape(publication.message), publication.qos));
}

void BrokerCloud::answerWhenAcknowledged(int messageId)
{
    if (messageId < 0)
        emit answered({"ERROR"});
    else
        awaited.insert(messageId);
}

} // namespace atlume
