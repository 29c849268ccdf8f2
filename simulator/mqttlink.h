#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <optional>

struct mosquitto;
struct mosquitto_message;
class QSocketNotifier;

namespace atlume {

struct BrokerOptions {
    QString host;
    int port = 1883;
    QString username; // none when empty
    QString password;
    QString caFile; // TLS with this CA when not empty
};

// HOST, HOST:PORT or [IPv6]:PORT; the port defaults to 1883, or 8883 with TLS.
// Nothing, with a reason in error, for anything else.
std::optional<BrokerOptions> parseBroker(const QString &text, bool tls, QString *error);

// An MQTT client (libmosquitto) that runs in the Qt event loop through its
// socket: no thread of its own, nothing that blocks longer than a name lookup.
// Every outcome arrives as a signal from the event loop, never from inside
// the library, so a slot may call back into the link.
class MqttLink : public QObject {
    Q_OBJECT

public:
    explicit MqttLink(BrokerOptions broker, QObject *parent = nullptr);
    ~MqttLink() override;
    MqttLink(const MqttLink &) = delete;
    MqttLink &operator=(const MqttLink &) = delete;

    // connected() or connectFailed() follows, the latter, with the reason, at
    // the latest after timeoutMs. With reconnect, a connection that drops is tried again
    // every second until it is back (reconnected()) or closed.
    void open(const QString &clientId, int keepAliveSecs, bool cleanSession, bool reconnect,
              int timeoutMs);
    void close();
    bool isUp() const { return state == State::Up; }

    // Each returns the message id that acknowledged() will carry, or -1 when
    // the request cannot go out.
    int subscribe(const QString &topic, int qos);
    int unsubscribe(const QString &topic);
    int publish(const QString &topic, const QByteArray &payload, int qos);

signals:
    void connected();
    void connectFailed(const QString &reason);
    void lost();
    void reconnected();
    void acknowledged(int messageId);
    void messageArrived(const QString &topic, const QByteArray &payload, int qos);

private:
    enum class State { Closed, Connecting, Up, Down };

    static void onConnect(mosquitto *client, void *self, int result);
    static void onDisconnect(mosquitto *client, void *self, int result);
    static void onMessage(mosquitto *client, void *self, const mosquitto_message *message);
    static void onAcknowledged(mosquitto *client, void *self, int messageId);
    static void onSubscribed(mosquitto *client, void *self, int messageId, int count,
                             const int *grantedQos);

    void post(std::function<void()> news);
    void connectAnswered(int result);
    void dropped(const QString &reason);
    void giveUp(const QString &reason);
    void retry();
    void destroyClient();
    void readSocket();
    void writeSocket();
    void keepAlive();
    // Follows the library's socket after every call into it: notifiers for
    // a new socket, none for a closed one, writing only while it has output.
    void syncSocket();

    BrokerOptions broker;
    mosquitto *client = nullptr;
    int generation = 0; // of the client, counted up as each is destroyed
    State state = State::Closed;
    bool autoReconnect = false;
    QStringList subscribed;
    QList<int> subscribedQos;

    int socketFd = -1;
    QSocketNotifier *readNotifier = nullptr;
    QSocketNotifier *writeNotifier = nullptr;
    QTimer connectTimer;
    QTimer retryTimer;
    QTimer housekeeping;
};

} // namespace atlume
