#include "mqttlink.h"

#include "socketnotifiers.h"

#include <QFile>
#include <QRegularExpression>
#include <QSocketNotifier>

#include <mosquitto.h>

#include <cerrno>
#include <cstring>
#include <functional>

namespace atlume {

namespace {

constexpr int kDefaultPort = 1883;
constexpr int kDefaultTlsPort = 8883;
constexpr int kMaxPort = 65535;
constexpr int kRetryMs = 1000;
constexpr int kHousekeepingMs = 500;
constexpr int kPacketsPerRead = 16;

// The library keeps global state (its TLS set-up among it): set it up once
// for the process, before the first client.
void initLibrary()
{
    static const bool done = [] {
        mosquitto_lib_init();
        return true;
    }();
    Q_UNUSED(done)
}

// The library's words for a result; the system's for a failed system call,
// which must be asked before anything else can change errno.
QString describe(int result)
{
    if (result == MOSQ_ERR_ERRNO)
        return QString::fromLocal8Bit(std::strerror(errno));
    return QString::fromUtf8(mosquitto_strerror(result));
}

} // namespace

std::optional<BrokerOptions> parseBroker(const QString &text, bool tls, QString *error)
{
    static const QRegularExpression pattern(
        QStringLiteral(R"(^(?:\[([0-9A-Fa-f:.]+)\]|([A-Za-z0-9._-]+))(?::(\d{1,5}))?$)"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch()) {
        *error = QStringLiteral("'%1' is not HOST or HOST:PORT").arg(text);
        return std::nullopt;
    }
    BrokerOptions options;
    options.host = match.captured(1).isEmpty() ? match.captured(2) : match.captured(1);
    options.port = tls ? kDefaultTlsPort : kDefaultPort;
    if (!match.captured(3).isEmpty()) {
        options.port = match.captured(3).toInt();
        if (options.port < 1 || options.port > kMaxPort) {
            *error = QStringLiteral("port %1 is not between 1 and %2")
                         .arg(match.captured(3))
                         .arg(kMaxPort);
            return std::nullopt;
        }
    }
    return options;
}

MqttLink::MqttLink(BrokerOptions brokerOptions, QObject *parent)
    : QObject(parent), broker(std::move(brokerOptions))
{
    initLibrary();
    connectTimer.setSingleShot(true);
    connect(&connectTimer, &QTimer::timeout, this, [this] {
        if (state == State::Connecting)
            giveUp(QStringLiteral("no answer within %1 ms").arg(connectTimer.interval()));
    });
    retryTimer.setInterval(kRetryMs);
    connect(&retryTimer, &QTimer::timeout, this, &MqttLink::retry);
    housekeeping.setInterval(kHousekeepingMs);
    connect(&housekeeping, &QTimer::timeout, this, &MqttLink::keepAlive);
}

MqttLink::~MqttLink()
{
    destroyClient();
}

void MqttLink::open(const QString &clientId, int keepAliveSecs, bool cleanSession, bool reconnect,
                    int timeoutMs)
{
    destroyClient();
    subscribed.clear();
    subscribedQos.clear();
    autoReconnect = reconnect;
    state = State::Connecting;

    client = mosquitto_new(clientId.toUtf8().constData(), cleanSession, this);
    int result = client ? MOSQ_ERR_SUCCESS : MOSQ_ERR_ERRNO;
    if (result == MOSQ_ERR_SUCCESS && !broker.username.isEmpty()) {
        result = mosquitto_username_pw_set(
            client, broker.username.toUtf8().constData(),
            broker.password.isEmpty() ? nullptr : broker.password.toUtf8().constData());
    }
    if (result == MOSQ_ERR_SUCCESS && !broker.caFile.isEmpty()) {
        result = mosquitto_tls_set(client, QFile::encodeName(broker.caFile).constData(), nullptr,
                                   nullptr, nullptr, nullptr);
    }
    if (result == MOSQ_ERR_SUCCESS) {
        mosquitto_connect_callback_set(client, &MqttLink::onConnect);
        mosquitto_disconnect_callback_set(client, &MqttLink::onDisconnect);
        mosquitto_message_callback_set(client, &MqttLink::onMessage);
        mosquitto_publish_callback_set(client, &MqttLink::onAcknowledged);
        mosquitto_unsubscribe_callback_set(client, &MqttLink::onAcknowledged);
        mosquitto_subscribe_callback_set(client, &MqttLink::onSubscribed);
        result = mosquitto_connect_async(client, broker.host.toUtf8().constData(), broker.port,
                                         keepAliveSecs);
    }
    const QString reason = result == MOSQ_ERR_SUCCESS ? QString() : describe(result);
    syncSocket();
    if (result != MOSQ_ERR_SUCCESS) {
        // Reported from the event loop, as every other outcome.
        QTimer::singleShot(0, this, [this, reason] {
            if (state == State::Connecting)
                giveUp(reason);
        });
        return;
    }
    connectTimer.start(timeoutMs);
    housekeeping.start();
}

void MqttLink::close()
{
    if (client && state == State::Up) {
        mosquitto_disconnect(client);
        // Sends what is queued, the disconnect packet among it, at once.
        mosquitto_loop_write(client, 1);
    }
    destroyClient();
    state = State::Closed;
}

int MqttLink::subscribe(const QString &topic, int qos)
{
    int id = -1;
    if (state != State::Up ||
        mosquitto_subscribe(client, &id, topic.toUtf8().constData(), qos) != MOSQ_ERR_SUCCESS)
        return -1;
    const int known = subscribed.indexOf(topic);
    if (known == -1) {
        subscribed.append(topic);
        subscribedQos.append(qos);
    } else {
        subscribedQos[known] = qos;
    }
    syncSocket();
    return id;
}

int MqttLink::unsubscribe(const QString &topic)
{
    int id = -1;
    if (state != State::Up ||
        mosquitto_unsubscribe(client, &id, topic.toUtf8().constData()) != MOSQ_ERR_SUCCESS)
        return -1;
    const int known = subscribed.indexOf(topic);
    if (known != -1) {
        subscribed.removeAt(known);
        subscribedQos.removeAt(known);
    }
    syncSocket();
    return id;
}

int MqttLink::publish(const QString &topic, const QByteArray &payload, int qos)
{
    int id = -1;
    if (state != State::Up ||
        mosquitto_publish(client, &id, topic.toUtf8().constData(), payload.size(),
                          payload.constData(), qos, false) != MOSQ_ERR_SUCCESS)
        return -1;
    syncSocket();
    return id;
}

// The callbacks run inside the library's own calls, where the client must
// not be touched: they only post their news to the event loop. News of a
// client that has since been destroyed is dropped there.
void MqttLink::post(std::function<void()> news)
{
    QMetaObject::invokeMethod(
        this,
        [this, news = std::move(news), sent = generation] {
            if (sent == generation)
                news();
        },
        Qt::QueuedConnection);
}

void MqttLink::onConnect(mosquitto *, void *self, int result)
{
    auto *link = static_cast<MqttLink *>(self);
    link->post([link, result] { link->connectAnswered(result); });
}

void MqttLink::onDisconnect(mosquitto *, void *self, int result)
{
    auto *link = static_cast<MqttLink *>(self);
    const QString reason = describe(result);
    link->post([link, reason] { link->dropped(reason); });
}

void MqttLink::onMessage(mosquitto *, void *self, const mosquitto_message *message)
{
    auto *link = static_cast<MqttLink *>(self);
    const QString topic = QString::fromUtf8(message->topic);
    const QByteArray payload(static_cast<const char *>(message->payload), message->payloadlen);
    const int qos = message->qos;
    link->post([link, topic, payload, qos] { emit link->messageArrived(topic, payload, qos); });
}

void MqttLink::onAcknowledged(mosquitto *, void *self, int messageId)
{
    auto *link = static_cast<MqttLink *>(self);
    link->post([link, messageId] { emit link->acknowledged(messageId); });
}

void MqttLink::onSubscribed(mosquitto *client, void *self, int messageId, int, const int *)
{
    onAcknowledged(client, self, messageId);
}

void MqttLink::connectAnswered(int result)
{
    if (result != 0) {
        // Refused by the broker (identity, credentials): no use retrying.
        if (state == State::Connecting)
            giveUp(QString::fromUtf8(mosquitto_connack_string(result)));
        return;
    }
    if (state == State::Connecting) {
        connectTimer.stop();
        state = State::Up;
        emit connected();
    } else if (state == State::Down) {
        retryTimer.stop();
        state = State::Up;
        // A broker that restarted has forgotten the session.
        for (int index = 0; index < subscribed.size(); ++index) {
            mosquitto_subscribe(client, nullptr, subscribed.at(index).toUtf8().constData(),
                                subscribedQos.at(index));
        }
        syncSocket();
        emit reconnected();
    }
}

void MqttLink::dropped(const QString &reason)
{
    if (state == State::Connecting) {
        giveUp(reason);
    } else if (state == State::Up) {
        state = State::Down;
        if (autoReconnect)
            retryTimer.start();
        else
            destroyClient();
        emit lost();
    }
}

void MqttLink::giveUp(const QString &reason)
{
    destroyClient();
    state = State::Closed;
    emit connectFailed(reason);
}

void MqttLink::retry()
{
    if (state != State::Down || !client) {
        retryTimer.stop();
        return;
    }
    if (socketFd == -1)
        mosquitto_reconnect_async(client);
    syncSocket();
}

void MqttLink::destroyClient()
{
    connectTimer.stop();
    retryTimer.stop();
    housekeeping.stop();
    if (client) {
        mosquitto_destroy(client);
        client = nullptr;
        ++generation;
    }
    syncSocket();
}

void MqttLink::readSocket()
{
    if (client)
        mosquitto_loop_read(client, kPacketsPerRead);
    syncSocket();
}

void MqttLink::writeSocket()
{
    if (client)
        mosquitto_loop_write(client, kPacketsPerRead);
    syncSocket();
}

void MqttLink::keepAlive()
{
    if (client && socketFd != -1)
        mosquitto_loop_misc(client);
    syncSocket();
    // A socket that closed without a word from the library is a drop too.
    if (socketFd == -1 && (state == State::Up || state == State::Connecting))
        dropped(QStringLiteral("the connection closed"));
}

void MqttLink::syncSocket()
{
    const int fd = client ? mosquitto_socket(client) : -1;
    if (fd != socketFd) {
        retireNotifiers(readNotifier, writeNotifier);
        socketFd = fd;
        if (fd != -1) {
            readNotifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
            connect(readNotifier, &QSocketNotifier::activated, this, &MqttLink::readSocket);
            writeNotifier = new QSocketNotifier(fd, QSocketNotifier::Write, this);
            connect(writeNotifier, &QSocketNotifier::activated, this, &MqttLink::writeSocket);
        }
    }
    if (writeNotifier)
        writeNotifier->setEnabled(mosquitto_want_write(client));
}

} // namespace atlume
