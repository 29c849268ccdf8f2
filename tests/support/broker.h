#pragma once

#include <QAtomicInt>
#include <QByteArray>
#include <QList>
#include <QMutex>
#include <QPair>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

struct mosquitto;

namespace atlume::support {

// A port that nothing listened on a moment ago.
int freeLoopbackPort();

// A Mosquitto broker of the caller's own, on a free loopback port, without
// persistence; it stops when this goes.
class Broker {
public:
    Broker();
    ~Broker() { stop(); }
    Broker(const Broker &) = delete;
    Broker &operator=(const Broker &) = delete;

    // Debian installs the broker in sbin, which is not on every user's path.
    static QString program();
    // Starts it; true once it accepts connections.
    bool start();
    void stop();

    const int port;

private:
    QTemporaryDir dir;
    QProcess process;
};

// An MQTT client of libmosquitto's own, not the simulated module's code, in a
// thread of the library's: it connects at once to the broker on the loopback
// port given, publishes, subscribes and keeps every message it receives.
class MqttClient {
public:
    explicit MqttClient(int port);
    ~MqttClient();
    MqttClient(const MqttClient &) = delete;
    MqttClient &operator=(const MqttClient &) = delete;

    bool waitConnected();
    // True once the broker has granted the subscription.
    bool subscribe(const QByteArray &topic);
    bool publish(const QByteArray &topic, const QByteArray &payload, int qos = 1);
    QList<QPair<QString, QByteArray>> received();

private:
    mosquitto *client = nullptr;
    QAtomicInt connectedFlag; // 1 connected, -1 refused
    QAtomicInt subscribedCount;
    QMutex mutex;
    QList<QPair<QString, QByteArray>> messages;
};

} // namespace atlume::support
