#pragma once

// A Mosquitto broker of the test's own, on a free loopback port, and an MQTT
// client (libmosquitto, not the simulated module's code) to publish to it
// and to collect what it delivers.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QList>
#include <QMutex>
#include <QPair>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <mosquitto.h>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

// Runs the event loop until done() holds; false when the time ran out.
template <class Done> bool waitUntil(Done done, int timeoutMs = 10000)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QTest::qWait(10);
    }
    return true;
}

// A port that nothing listened on a moment ago.
inline int freeLoopbackPort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    int port = -1;
    if (::bind(fd, reinterpret_cast<sockaddr *>(&address), size) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &size) == 0)
        port = ntohs(address.sin_port);
    ::close(fd);
    return port;
}

inline bool acceptsConnections(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(quint16(port));
    const bool up = ::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
    ::close(fd);
    return up;
}

class Broker {
public:
    Broker() : port(freeLoopbackPort()) {}
    ~Broker() { stop(); }
    Broker(const Broker &) = delete;
    Broker &operator=(const Broker &) = delete;

    // Debian installs the broker in sbin, which is not on every user's path.
    static QString program()
    {
        QString found = QStandardPaths::findExecutable(QStringLiteral("mosquitto"));
        if (found.isEmpty())
            found = QStandardPaths::findExecutable(
                QStringLiteral("mosquitto"),
                {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/local/sbin")});
        return found;
    }

    bool start()
    {
        const QString config = dir.filePath(QStringLiteral("mosquitto.conf"));
        QFile file(config);
        if (!dir.isValid() || port <= 0 || !file.open(QIODevice::WriteOnly))
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
        if (!process.waitForStarted(5000))
            return false;
        return waitUntil([this] {
                   return acceptsConnections(port) || process.state() != QProcess::Running;
               }) &&
               process.state() == QProcess::Running;
    }

    void stop()
    {
        if (process.state() == QProcess::NotRunning)
            return;
        process.terminate();
        if (!process.waitForFinished(5000))
            process.kill();
        process.waitForFinished(5000);
    }

    QTemporaryDir dir;
    const int port;
    QProcess process;
};

// A client in a thread of the library's own: connected, it subscribes to
// the topics given and keeps every message it receives.
class TestClient {
public:
    explicit TestClient(int port)
    {
        mosquitto_lib_init();
        client = mosquitto_new(nullptr, true, this);
        mosquitto_connect_callback_set(client, [](mosquitto *, void *self, int result) {
            static_cast<TestClient *>(self)->connectedFlag.storeRelease(result == 0 ? 1 : -1);
        });
        mosquitto_subscribe_callback_set(client,
                                         [](mosquitto *, void *self, int, int, const int *) {
                                             static_cast<TestClient *>(self)->subscribedCount.ref();
                                         });
        mosquitto_message_callback_set(
            client, [](mosquitto *, void *self, const mosquitto_message *message) {
                auto *me = static_cast<TestClient *>(self);
                const QMutexLocker lock(&me->mutex);
                me->messages.append(
                    {QString::fromUtf8(message->topic),
                     QByteArray(static_cast<const char *>(message->payload), message->payloadlen)});
            });
        mosquitto_connect(client, "127.0.0.1", port, 60);
        mosquitto_loop_start(client);
    }
    ~TestClient()
    {
        mosquitto_disconnect(client);
        mosquitto_loop_stop(client, true);
        mosquitto_destroy(client);
        mosquitto_lib_cleanup();
    }
    TestClient(const TestClient &) = delete;
    TestClient &operator=(const TestClient &) = delete;

    bool waitConnected()
    {
        return waitUntil([this] { return connectedFlag.loadAcquire() != 0; }) &&
               connectedFlag.loadAcquire() == 1;
    }
    bool subscribe(const QByteArray &topic)
    {
        const int before = subscribedCount.loadAcquire();
        if (mosquitto_subscribe(client, nullptr, topic.constData(), 1) != MOSQ_ERR_SUCCESS)
            return false;
        return waitUntil([this, before] { return subscribedCount.loadAcquire() > before; });
    }
    bool publish(const QByteArray &topic, const QByteArray &payload, int qos = 1)
    {
        return mosquitto_publish(client, nullptr, topic.constData(), payload.size(),
                                 payload.constData(), qos, false) == MOSQ_ERR_SUCCESS;
    }
    QList<QPair<QString, QByteArray>> received()
    {
        const QMutexLocker lock(&mutex);
        return messages;
    }

private:
    mosquitto *client = nullptr;
    QAtomicInt connectedFlag;
    QAtomicInt subscribedCount;
    QMutex mutex;
    QList<QPair<QString, QByteArray>> messages;
};
