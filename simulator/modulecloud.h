#pragma once

#include "modulestate.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QVector>

namespace atlume {

// The cloud behind the module's MQTT commands. The module hands each command
// on, once it has checked what it can answer itself; whatever the cloud has
// to say comes back as a signal, so that the module alone puts bytes on the
// line and keeps its state.
class ModuleCloud : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    // Joined to Wi-Fi and identified; parameters are the five numbers of
    // "AT+KQMQTTCONN".
    virtual void connectDevice(const DeviceIdentity &identity, const QVector<int> &parameters) = 0;
    virtual void disconnectDevice() = 0;
    virtual void subscribe(const QString &topic, int qos) = 0;
    virtual void unsubscribe(const QString &topic) = 0;
    virtual void publish(const Publication &publication) = 0;

signals:
    // The answer to a command, which leaves after the module's reply delay.
    void answered(const QList<QByteArray> &lines);
    // A line of the cloud's own, which leaves at once.
    void reported(const QByteArray &line);
    void connectionChanged(bool up);
    // Why the cloud could not be reached; "+KQMQTTCONN:FAIL" is reported too.
    void unreachable(const QString &reason);
};

} // namespace atlume
