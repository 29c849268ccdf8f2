#pragma once

#include "modulecloud.h"
#include "mqttlink.h"

#include <QSet>

namespace atlume {

// The module's MQTT as a client of a real broker. The broker's
// acknowledgement of a request is the module's "OK", a request that cannot go
// out (no connection) its "ERROR"; what the broker delivers comes out at once
// as "+KQMQTTRECV" with the module's escaping, or in the long form
// (cloudmessage.h).
class BrokerCloud : public ModuleCloud {
    Q_OBJECT

public:
    explicit BrokerCloud(const BrokerOptions &broker, QObject *parent = nullptr);

    void connectDevice(const DeviceIdentity &identity, const QVector<int> &parameters) override;
    void disconnectDevice() override;
    void subscribe(const QString &topic, int qos) override;
    void unsubscribe(const QString &topic) override;
    void publish(const Publication &publication) override;

private:
    void answerWhenAcknowledged(int messageId);

    MqttLink link;
    QSet<int> awaited; // message ids of requests not yet acknowledged
};

} // namespace atlume
