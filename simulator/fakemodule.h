#pragma once

#include "mqttlink.h"
#include "pseudoterminal.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QVector>
#include <deque>
#include <memory>

namespace atlume {

class CommandLine;

// A Wi-Fi module that speaks the cloud AT command set, on the master side of
// a pseudo-terminal. A terminal program opens slavePath() as if it were a
// USB serial adapter; everything it writes is recorded, and the module
// answers the way the real one does, one CR LF line per reply. Lines end at
// CR LF only. The message bytes of a long publish are not echoed.
//
// Its cloud is an echo: a publication to a topic it is subscribed to comes
// back as "+KQMQTTRECV". With a broker (setBroker) the cloud is that broker,
// reached through a real MQTT client.
class FakeModule : public QObject {
    Q_OBJECT

public:
    enum class Provisioning { None, SmartConfig, SoftAp };

    struct ReceivedLine {
        QByteArray bytes; // without its CR LF
        qint64 msecs = 0; // since open(), when the line was complete
    };

    struct Publication {
        QString topic;
        int qos = 0;
        QByteArray message; // as it came over the line, escapes included
        bool longForm = false;
    };

    explicit FakeModule(QObject *parent = nullptr);
    ~FakeModule() override;
    FakeModule(const FakeModule &) = delete;
    FakeModule &operator=(const FakeModule &) = delete;

    // Creates the pseudo-terminal pair; a second call makes a new pair.
    bool open();
    bool isOpen() const { return terminal.isOpen(); }
    QString slavePath() const { return terminal.slavePath(); }
    // Closes the master side, which is what a pulled USB adapter looks like
    // to the program that has the slave open. Unsent output is dropped.
    void hangUp();

    // From now on the cloud is this broker; the module is not connected to
    // it until "AT+KQMQTTCONN" asks.
    void setBroker(const BrokerOptions &broker);
    bool hasBroker() const { return cloud != nullptr; }

    bool echo() const { return echoOn; }
    void setEcho(bool on) { echoOn = on; }
    bool wifiJoined() const { return joined; }
    void setWifiJoined(bool on) { joined = on; }
    bool mqttConnected() const { return mqttUp; }
    void setMqttConnected(bool on) { mqttUp = on; }
    Provisioning provisioning() const { return provisioningMode; }
    void setProvisioning(Provisioning mode) { provisioningMode = mode; }
    // A non-zero code makes "AT+CWJAP" fail with "+CWJAP:<code>" and "FAIL".
    int joinErrorCode() const { return joinError; }
    void setJoinErrorCode(int code) { joinError = code; }
    // Replies (not the echo) leave this long after the command arrived.
    int replyDelay() const { return replyDelayMs; }
    void setReplyDelay(int msecs) { replyDelayMs = qMax(0, msecs); }
    // SmartConfig and softAP provisioning end by themselves this long after
    // they started, successfully; never when negative (the default).
    void setProvisioningTime(int msecs) { provisioningMs = msecs; }

    bool hasDeviceIdentity() const { return identitySet; }
    void setDeviceIdentity(const QString &product, const QString &name, const QString &secret);
    QString productId() const { return identity[0]; }
    QString deviceName() const { return identity[1]; }
    QString deviceSecret() const { return identity[2]; }
    QString joinedSsid() const { return ssid; }
    QString joinedPassword() const { return password; }
    QString softApSsid() const { return apSsid; }
    QString softApPassword() const { return apPassword; }
    // The five numbers of the last "AT+KQMQTTCONN" that was understood.
    QVector<int> mqttParameters() const { return mqttParams; }
    QStringList subscriptions() const { return subscribed; }
    const QVector<Publication> &publications() const { return published; }

    const QVector<ReceivedLine> &receivedLines() const { return received; }
    QList<QByteArray> receivedLineBytes() const;
    const QByteArray &receivedBytes() const { return rawReceived; }
    void clearReceived();
    qint64 elapsedMsecs() const { return clock.isValid() ? clock.elapsed() : 0; }

    // Unsolicited output. sendLine appends CR LF and encodes as UTF-8.
    void sendLine(const QString &line);
    void sendRaw(const QByteArray &bytes);
    qint64 bytesToWrite() const { return terminal.bytesToWrite(); }

    void dropWifi();
    void dropMqtt();
    void reconnectMqtt();
    void finishSmartConfig(bool ok);
    void finishSoftAp(bool ok);

    // Runs the event loop until this many lines have been received in all.
    bool waitForLines(int count, int timeoutMs);
    // Runs the event loop until all queued output has reached the tty.
    bool waitForDrained(int timeoutMs);

signals:
    void lineReceived(const QByteArray &line);
    void drained();

private:
    void resetInput();
    void parseInput();
    void recordLine(const QByteArray &line);
    void handleCommand(const QByteArray &line);
    // Each answers the commands of one kind; false when the line is none of them.
    bool answerStatus(CommandLine &command);
    bool answerWifi(CommandLine &command);
    bool answerProvisioning(CommandLine &command);
    bool answerMqtt(CommandLine &command);
    bool answerTopic(CommandLine &command);
    bool connectCloud(const QVector<int> &parameters);
    void publishToCloud(const Publication &publication);
    void echoToSubscribers(const Publication &publication);
    void answerWhenAcknowledged(int messageId);
    void receiveFromCloud(const QString &topic, const QByteArray &payload, int qos);
    void startProvisioning(Provisioning mode);
    void reply(const QList<QByteArray> &lines);
    void flushDueReplies();
    void queueOutput(const QByteArray &bytes);

    PseudoTerminal terminal;
    QElapsedTimer clock;
    std::unique_ptr<MqttLink> cloud;
    QHash<int, QByteArray> awaitedAcks; // message id -> reply line
    QTimer provisioningTimer;
    int provisioningMs = -1;

    struct DelayedReply {
        qint64 due;
        QByteArray bytes;
    };
    std::deque<DelayedReply> delayed;
    QTimer delayTimer;

    QByteArray input;
    int inputPos = 0; // start of the unparsed part of input
    int parseDepth = 0;
    qint64 dataBytesExpected = -1; // >= 0 while the message of a long publish is read
    bool skipDataTerminator = false;
    Publication pendingLong;

    bool echoOn = true;
    bool joined = false;
    bool mqttUp = false;
    Provisioning provisioningMode = Provisioning::None;
    int joinError = 0;
    int replyDelayMs = 0;
    bool identitySet = false;
    QString identity[3];
    QString ssid;
    QString password;
    QString apSsid;
    QString apPassword;
    QVector<int> mqttParams;
    QStringList subscribed;
    QVector<Publication> published;

    QVector<ReceivedLine> received;
    QByteArray rawReceived;
};

} // namespace atlume
