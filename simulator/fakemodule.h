#pragma once

#include "commandtable.h"
#include "delayedreplies.h"
#include "inputframer.h"
#include "modulecloud.h"
#include "modulestate.h"
#include "mqttlink.h"
#include "pseudoterminal.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QVector>
#include <memory>
#include <optional>

namespace atlume {

// A Wi-Fi module that speaks the cloud AT command set, on the master side of
// a pseudo-terminal. A terminal program opens slavePath() as if it were a
// USB serial adapter, and the module answers the way the real one does, one
// CR LF line per reply. Lines end at CR LF only. The message bytes of a long
// publish are not echoed.
//
// Its cloud is an echo (EchoCloud) until setBroker() makes it a broker,
// reached through a real MQTT client (BrokerCloud).
class FakeModule : public QObject {
    Q_OBJECT

public:
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

    bool echo() const { return state.echo; }
    void setEcho(bool on) { state.echo = on; }
    bool wifiJoined() const { return state.joined; }
    void setWifiJoined(bool on) { state.joined = on; }
    bool mqttConnected() const { return state.mqttUp; }
    void setMqttConnected(bool on) { state.mqttUp = on; }
    Provisioning provisioning() const { return state.provisioning; }
    void setProvisioning(Provisioning mode) { state.provisioning = mode; }
    int joinErrorCode() const { return state.joinError; }
    void setJoinErrorCode(int code) { state.joinError = code; }
    // Replies (not the echo) leave this long after the command arrived.
    int replyDelay() const { return replies.delay(); }
    void setReplyDelay(int msecs) { replies.setDelay(msecs); }
    // SmartConfig and softAP provisioning end by themselves this long after
    // they started, successfully; never when negative (the default).
    void setProvisioningTime(int msecs) { provisioningMs = msecs; }

    const std::optional<DeviceIdentity> &deviceIdentity() const { return state.identity; }
    void setDeviceIdentity(const DeviceIdentity &identity) { state.identity = identity; }
    QString joinedSsid() const { return state.ssid; }
    QString joinedPassword() const { return state.password; }
    QString softApSsid() const { return state.apSsid; }
    QString softApPassword() const { return state.apPassword; }
    QVector<int> mqttParameters() const { return state.mqttParameters; }
    QStringList subscriptions() const { return state.subscriptions; }
    const QVector<Publication> &publications() const { return state.publications; }

    // Since open().
    qint64 elapsedMsecs() const { return clock.isValid() ? clock.elapsed() : 0; }

    // Unsolicited output. sendLine appends CR LF and encodes as UTF-8.
    void sendLine(const QString &line);
    void sendRaw(const QByteArray &bytes);
    qint64 bytesToWrite() const { return terminal.bytesToWrite(); }
    // Nothing waits to go out: no delayed reply, no byte the tty has not taken.
    bool isDrained() const { return replies.isEmpty() && terminal.bytesToWrite() == 0; }

    void dropWifi();
    void dropMqtt();
    void reconnectMqtt();
    void finishSmartConfig(bool ok);
    void finishSoftAp(bool ok);

signals:
    // Everything the terminal program writes, as it arrives.
    void bytesReceived(const QByteArray &bytes);
    // Each command line, without its CR LF, and each message of a long publish.
    void lineReceived(const QByteArray &line);
    void drained();
    // Why the broker could not be reached; the module has answered
    // "+KQMQTTCONN:FAIL".
    void cloudUnreachable(const QString &reason);

private:
    void fillCommandTable();
    void useCloud(std::unique_ptr<ModuleCloud> next);
    void resetInput();
    void readFrames();
    void answer(const QByteArray &line);
    void join(const QString &ssid, const QString &password);
    void leave();
    void connectCloud(const QStringList &numbers);
    void takeLongMessage(const QByteArray &message);
    void startProvisioning(Provisioning mode);
    void stopProvisioning();
    void reply(const QList<QByteArray> &lines);
    void queueOutput(const QByteArray &bytes);

    PseudoTerminal terminal;
    InputFramer framer;
    CommandTable commands;
    ModuleState state;
    std::unique_ptr<ModuleCloud> cloud;
    Publication pendingLong; // of the long publish whose message is awaited
    QElapsedTimer clock;
    DelayedReplies replies{[this](const QByteArray &bytes) { queueOutput(bytes); }};
    QTimer provisioningTimer;
    int provisioningMs = -1;
};

} // namespace atlume
