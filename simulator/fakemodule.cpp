#include "fakemodule.h"

#include "brokercloud.h"
#include "echocloud.h"

namespace atlume {

namespace {

constexpr int kStatusJoined = 2;
constexpr int kStatusNotJoined = 5;

const QByteArray kCrLf("\r\n");

} // namespace

FakeModule::FakeModule(QObject *parent) : QObject(parent)
{
    provisioningTimer.setSingleShot(true);
    connect(&provisioningTimer, &QTimer::timeout, this, [this] {
        if (state.provisioning == Provisioning::SmartConfig)
            finishSmartConfig(true);
        else if (state.provisioning == Provisioning::SoftAp)
            finishSoftAp(true);
    });
    connect(&terminal, &PseudoTerminal::received, this, [this](const QByteArray &bytes) {
        emit bytesReceived(bytes);
        framer.append(bytes);
        readFrames();
    });
    connect(&terminal, &PseudoTerminal::drained, this, &FakeModule::drained);
    useCloud(std::make_unique<EchoCloud>(state));
    fillCommandTable();
}

FakeModule::~FakeModule()
{
    // The cloud first: its last words must not reach a half-destroyed module.
    cloud.reset();
}

// Every command the module knows, in the order they are tried; any other
// line is answered with "ERROR".
void FakeModule::fillCommandTable()
{
    using Groups = QStringList;
    commands.addText("AT", [this](const Groups &) { reply({"OK"}); });
    commands.addText("AT+CIPSTATUS", [this](const Groups &) {
        reply({"STATUS:" + QByteArray::number(state.joined ? kStatusJoined : kStatusNotJoined),
               "OK"});
    });
    commands.addText("AT+KQMQTTSTATE?", [this](const Groups &) {
        reply({state.mqttUp ? "+KQMQTTSTATE:1" : "+KQMQTTSTATE:0", "OK"});
    });
    commands.addPattern(R"re(AT\+KQDEVINFOSET=1,"([^"]*)","([^"]*)","([^"]*)")re",
                        [this](const Groups &value) {
                            state.identity = DeviceIdentity{value[1], value[2], value[3]};
                            reply({"OK"});
                        });
    commands.addPattern(R"(AT\+CWMODE=[123])", [this](const Groups &) { reply({"OK"}); });
    commands.addPattern(R"re(AT\+CWJAP="(.*?)","(.*)")re",
                        [this](const Groups &value) { join(value[1], value[2]); });
    commands.addText("AT+CWQAP", [this](const Groups &) { leave(); });
    commands.addText("AT+KQSTARTSMART", [this](const Groups &) {
        startProvisioning(Provisioning::SmartConfig);
        reply({"+KQSTARTSMART:OK"});
    });
    commands.addText("AT+KQSTOPSMART", [this](const Groups &) {
        stopProvisioning();
        reply({"AT+KQSTOPSMART: CMD TO STOP SMARTCONFIG"});
    });
    commands.addPattern(R"re(AT\+KQSAP="(.*?)","(.*)")re", [this](const Groups &value) {
        state.apSsid = value[1];
        state.apPassword = value[2];
        startProvisioning(Provisioning::SoftAp);
        reply({"+KQSAP:OK"});
    });
    commands.addText("AT+KQSTOPSAP", [this](const Groups &) {
        stopProvisioning();
        reply({"AT+KQSTOPSAP: CMD TO STOP SOFTAP"});
    });
    commands.addPattern(R"(AT\+KQMQTTCONN=(\d{1,9}),(\d{1,9}),(\d{1,9}),(\d{1,9}),(\d{1,9}))",
                        [this](const Groups &value) { connectCloud(value.mid(1)); });
    commands.addText("AT+KQMQTTDISCONN", [this](const Groups &) {
        state.mqttUp = false;
        cloud->disconnectDevice();
        reply({"+KQMQTTDISCON"});
    });
    commands.addPattern(R"re(AT\+KQMQTTSUB="(.*)",([0-2]))re", [this](const Groups &value) {
        if (!state.subscriptions.contains(value[1]))
            state.subscriptions.append(value[1]);
        cloud->subscribe(value[1], value[2].toInt());
    });
    commands.addPattern(R"re(AT\+KQMQTTUNSUB="(.*)")re", [this](const Groups &value) {
        state.subscriptions.removeAll(value[1]);
        cloud->unsubscribe(value[1]);
    });
    commands.addPattern(R"re(AT\+KQMQTTPUB="(.*?)",([0-2]),"(.*)")re", [this](const Groups &value) {
        state.publications.append({value[1], value[2].toInt(), value[3].toUtf8(), false});
        cloud->publish(state.publications.last());
    });
    commands.addPattern(R"re(AT\+KQMQTTPUBL="(.*?)",([0-2]),(\d{1,9}))re",
                        [this](const Groups &value) {
                            pendingLong = {value[1], value[2].toInt(), QByteArray(), true};
                            framer.expectMessage(value[3].toLongLong());
                            reply({">"});
                        });
}

void FakeModule::useCloud(std::unique_ptr<ModuleCloud> next)
{
    cloud = std::move(next);
    connect(cloud.get(), &ModuleCloud::answered, this, &FakeModule::reply);
    connect(cloud.get(), &ModuleCloud::reported, this,
            [this](const QByteArray &line) { queueOutput(line + kCrLf); });
    connect(cloud.get(), &ModuleCloud::connectionChanged, this,
            [this](bool up) { state.mqttUp = up; });
    connect(cloud.get(), &ModuleCloud::unreachable, this, &FakeModule::cloudUnreachable);
}

bool FakeModule::open()
{
    resetInput();
    if (!terminal.open())
        return false;
    clock.start();
    return true;
}

void FakeModule::hangUp()
{
    terminal.close();
    resetInput();
}

void FakeModule::setBroker(const BrokerOptions &broker)
{
    useCloud(std::make_unique<BrokerCloud>(broker));
}

void FakeModule::resetInput()
{
    replies.clear();
    provisioningTimer.stop();
    framer.clear();
}

void FakeModule::sendLine(const QString &line)
{
    queueOutput(line.toUtf8() + kCrLf);
}

void FakeModule::sendRaw(const QByteArray &bytes)
{
    queueOutput(bytes);
}

void FakeModule::dropWifi()
{
    state.joined = false;
    state.mqttUp = false;
    sendLine(QStringLiteral("WIFI DISCONNECT"));
}

void FakeModule::dropMqtt()
{
    state.mqttUp = false;
    sendLine(QStringLiteral("+KQMQTTDISCON"));
}

void FakeModule::reconnectMqtt()
{
    state.mqttUp = true;
    sendLine(QStringLiteral("+KQMQTTRECONNECTED"));
}

void FakeModule::finishSmartConfig(bool ok)
{
    state.provisioning = Provisioning::None;
    state.joined = state.joined || ok;
    sendLine(ok ? QStringLiteral("+KQSTARTSMART:WIFI_CONNECT_SUCCESS")
                : QStringLiteral("+KQSTARTSMART:WIFI_CONNECT_FAILED"));
}

void FakeModule::finishSoftAp(bool ok)
{
    state.provisioning = Provisioning::None;
    state.joined = state.joined || ok;
    sendLine(ok ? QStringLiteral("+KQSAP:WIFI_CONNECT_SUCCESS")
                : QStringLiteral("+KQSAP:WIFI_CONNECT_FAILED"));
}

// A slot of lineReceived may run the event loop, and this again from inside
// it: the framer keeps its place, so each frame is taken once and in order.
void FakeModule::readFrames()
{
    while (terminal.isOpen()) {
        const std::optional<InputFramer::Frame> frame = framer.next();
        if (!frame)
            break;
        if (frame->message) {
            takeLongMessage(frame->bytes);
        } else {
            emit lineReceived(frame->bytes);
            answer(frame->bytes);
        }
    }
}

void FakeModule::answer(const QByteArray &line)
{
    if (state.echo)
        queueOutput(line + kCrLf);
    if (!commands.answer(QString::fromUtf8(line)))
        reply({"ERROR"});
}

void FakeModule::join(const QString &ssid, const QString &password)
{
    state.ssid = ssid;
    state.password = password;
    state.joined = state.joinError == 0;
    state.mqttUp = state.mqttUp && state.joined;
    if (state.joined)
        reply({"WIFI CONNECTED", "WIFI GOT IP", "OK"});
    else
        reply({"+CWJAP:" + QByteArray::number(state.joinError), "FAIL"});
}

void FakeModule::leave()
{
    const bool wasJoined = state.joined;
    state.joined = false;
    state.mqttUp = false;
    reply(wasJoined ? QList<QByteArray>{"OK", "WIFI DISCONNECT"} : QList<QByteArray>{"OK"});
}

// Neither cloud takes a device that is off Wi-Fi or has no identity.
void FakeModule::connectCloud(const QStringList &numbers)
{
    state.mqttParameters.clear();
    for (const QString &number : numbers)
        state.mqttParameters.append(number.toInt());
    if (!state.joined || !state.identity) {
        cloud->disconnectDevice();
        state.mqttUp = false;
        reply({"+KQMQTTCONN:FAIL"});
        return;
    }
    cloud->connectDevice(*state.identity, state.mqttParameters);
}

void FakeModule::takeLongMessage(const QByteArray &message)
{
    pendingLong.message = message;
    state.publications.append(pendingLong);
    emit lineReceived(message);
    cloud->publish(pendingLong);
}

void FakeModule::startProvisioning(Provisioning mode)
{
    state.provisioning = mode;
    if (provisioningMs >= 0)
        provisioningTimer.start(provisioningMs);
}

void FakeModule::stopProvisioning()
{
    state.provisioning = Provisioning::None;
    provisioningTimer.stop();
}

void FakeModule::reply(const QList<QByteArray> &lines)
{
    QByteArray bytes;
    for (const QByteArray &line : lines)
        bytes += line + kCrLf;
    replies.add(bytes);
}

void FakeModule::queueOutput(const QByteArray &bytes)
{
    terminal.write(bytes);
}

} // namespace atlume
