#pragma once

#include "modulecloud.h"

namespace atlume {

// The module's own cloud: every request succeeds at once, and a publication
// to a topic the module is subscribed to comes back as "+KQMQTTRECV" (in the
// long form when it is long, cloudmessage.h), once
// however many of its subscriptions match, as a broker hands it back to a
// client subscribed to it.
class EchoCloud : public ModuleCloud {
    Q_OBJECT

public:
    explicit EchoCloud(const ModuleState &state, QObject *parent = nullptr);

    void connectDevice(const DeviceIdentity &identity, const QVector<int> &parameters) override;
    void disconnectDevice() override {}
    void subscribe(const QString &topic, int qos) override;
    void unsubscribe(const QString &topic) override;
    void publish(const Publication &publication) override;

private:
    const ModuleState &state;
};

} // namespace atlume
