#include "broker.h"

#include "waitfor.h"

#include <QFile>
#include <QStandardPaths>

#include <mosquitto.h>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace atlume::support {

namespace {

constexpr int kStartTimeoutMs = 5000;
constexpr int kWaitTimeoutMs = 10000;
constexpr int kKeepAliveSecs = 60;

sockaddr_in loopback(int port)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(quint16(port));
    return address;
}

bool acceptsConnections(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    const sockaddr_in address = loopback(port);
    const bool up =
        ::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0;
    ::close(fd);
    return up;
}

} // namespace

int freeLoopbackPort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = loopback(0);
    socklen_t size = sizeof address;
    int port = -1;
    if (::bind(fd, reinterpret_cast<sockaddr *>(&address), size) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &size) == 0)
        port = ntohs(address.sin_port);
    ::close(fd);
    return port;
}

Broker::Broker() : port(freeLoopbackPort()) {}

QString Broker::program()
{
    QString found = QStandardPaths::findExecutable(QStringLiteral("mosquitto"));
    if (found.isEmpty())
        found = QStandardPaths::findExecutable(
            QStringLiteral("mosquitto"),
            {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/local/sbin")});
    return found;
}

bool Broker::start()
{
    const QString config = dir.filePath(QStringLiteral("mosquitto.conf"));
    QFile file(config);
    if (!dir.isValid() || port <= 0 || program().isEmpty() || !file.open(QIODevice::WriteOnly))
        return false;
    file.write("listener " + QByteArray::number(port) +
               " 127.0.0.1\nallow_anonymous true\npersistence false\nlog_type error\n");
    file.close();
    process.setProgram(program());
    process.setArguments({QStringLiteral("-c"), config});
    process.setWorkingDirectory(dir.path());
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start();
    if (!process.waitForStarted(kStartTimeoutMs))
        return false;
    return waitFor(
               [this] { return acceptsConnections(port) || process.state() != QProcess::Running; },
               kWaitTimeoutMs) &&
           process.state() == QProcess::Running;
}

void Broker::stop()
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(kStartTimeoutMs))
        process.kill();
    process.waitForFinished(kStartTimeoutMs);
}

MqttClient::MqttClient(int port)
{
    mosquitto_lib_init();
    client = mosquitto_new(nullptr, true, this);
    mosquitto_connect_callback_set(client, [](mosquitto *, void *self, int result) {
        static_cast<MqttClient *>(self)->connectedFlag.storeRelease(result == 0 ? 1 : -1);
    });
    mosquitto_subscribe_callback_set(client, [](mosquitto *, void *self, int, int, const int *) {
        static_cast<MqttClient *>(self)->subscribedCount.ref();
    });
    mosquitto_message_callback_set(
        client, [](mosquitto *, void *self, const mosquitto_message *message) {
            auto *me = static_cast<MqttClient *>(self);
            const QMutexLocker lock(&me->mutex);
            me->messages.append(
                {QString::fromUtf8(message->topic),
                 QByteArray(static_cast<const char *>(message->payload), message->payloadlen)});
        });
    mosquitto_connect(client, "127.0.0.1", port, kKeepAliveSecs);
    mosquitto_loop_start(client);
}

MqttClient::~MqttClient()
{
    mosquitto_disconnect(client);
    mosquitto_loop_stop(client, true);
    mosquitto_destroy(client);
    mosquitto_lib_cleanup();
}

bool MqttClient::waitConnected()
{
    return waitFor([this] { return connectedFlag.loadAcquire() != 0; }, kWaitTimeoutMs) &&
           connectedFlag.loadAcquire() == 1;
}

bool MqttClient::subscribe(const QByteArray &topic)
{
    const int before = subscribedCount.loadAcquire();
    if (mosquitto_subscribe(client, nullptr, topic.constData(), 1) != MOSQ_ERR_SUCCESS)
        return false;
    return waitFor([this, before] { return subscribedCount.loadAcquire() > before; },
                   kWaitTimeoutMs);
}

bool MqttClient::publish(const QByteArray &topic, const QByteArray &payload, int qos)
{
    return mosquitto_publish(client, nullptr, topic.constData(), payload.size(),
                             payload.constData(), qos, false) == MOSQ_ERR_SUCCESS;
}

QList<QPair<QString, QByteArray>> MqttClient::received()
{
    const QMutexLocker lock(&mutex);
    return messages;
}

} // namespace atlume::support
