#include "fakemodule.h"

#include <QEventLoop>
#include <QHash>
#include <QRegularExpression>

#include <mosquitto.h>

namespace atlume {

namespace {

constexpr int kStatusJoined = 2;
constexpr int kStatusNotJoined = 5;

const QByteArray kCrLf("\r\n");

// Patterns are literals, so their addresses identify them; compiling each
// once keeps a burst of commands from spending its time in the compiler.
QRegularExpressionMatch matchWhole(const char *pattern, const QString &line)
{
    static QHash<const char *, QRegularExpression> compiled;
    auto found = compiled.find(pattern);
    if (found == compiled.end()) {
        // Values may hold anything the user typed, lone line breaks included.
        found = compiled.insert(
            pattern,
            QRegularExpression(QLatin1Char('^') + QLatin1String(pattern) + QLatin1Char('$'),
                               QRegularExpression::DotMatchesEverythingOption));
    }
    return found->match(line);
}

// The module's escaping: line breaks become blanks, quotes and commas get a
// backslash. unescape() undoes the backslashes, and only those.
QByteArray escape(const QByteArray &message)
{
    QByteArray text = message;
    text.replace("\r\n", " ").replace('\r', ' ').replace('\n', ' ');
    return text.replace('"', "\\\"").replace(',', "\\,");
}

QByteArray unescape(const QByteArray &message)
{
    QByteArray text;
    text.reserve(message.size());
    for (int at = 0; at < message.size(); ++at) {
        const bool escaped = message.at(at) == '\\' && at + 1 < message.size() &&
                             (message.at(at + 1) == '"' || message.at(at + 1) == ',');
        if (escaped)
            ++at;
        text += message.at(at);
    }
    return text;
}

bool topicMatches(const QString &filter, const QString &topic)
{
    bool matches = false;
    return mosquitto_topic_matches_sub(filter.toUtf8().constData(), topic.toUtf8().constData(),
                                       &matches) == MOSQ_ERR_SUCCESS &&
           matches;
}

} // namespace

FakeModule::FakeModule(QObject *parent) : QObject(parent)
{
    delayTimer.setSingleShot(true);
    connect(&delayTimer, &QTimer::timeout, this, &FakeModule::flushDueReplies);
    provisioningTimer.setSingleShot(true);
    connect(&provisioningTimer, &QTimer::timeout, this, [this] {
        if (provisioningMode == Provisioning::SmartConfig)
            finishSmartConfig(true);
        else if (provisioningMode == Provisioning::SoftAp)
            finishSoftAp(true);
    });
    connect(&terminal, &PseudoTerminal::received, this, [this](const QByteArray &bytes) {
        rawReceived.append(bytes);
        input.append(bytes);
        parseInput();
    });
    connect(&terminal, &PseudoTerminal::drained, this, &FakeModule::drained);
}

FakeModule::~FakeModule()
{
    // The cloud first: its last words must not reach a half-destroyed module.
    cloud.reset();
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
    cloud = std::make_unique<MqttLink>(broker);
    connect(cloud.get(), &MqttLink::connected, this, [this] {
        mqttUp = true;
        sendLine(QStringLiteral("+KQMQTTCONN:OK"));
    });
    connect(cloud.get(), &MqttLink::connectFailed, this, [this] {
        mqttUp = false;
        sendLine(QStringLiteral("+KQMQTTCONN:FAIL"));
    });
    connect(cloud.get(), &MqttLink::lost, this, &FakeModule::dropMqtt);
    connect(cloud.get(), &MqttLink::reconnected, this, &FakeModule::reconnectMqtt);
    connect(cloud.get(), &MqttLink::acknowledged, this, [this](int messageId) {
        const auto found = awaitedAcks.find(messageId);
        if (found == awaitedAcks.end())
            return;
        const QByteArray line = found.value();
        awaitedAcks.erase(found);
        reply({line});
    });
    connect(cloud.get(), &MqttLink::messageArrived, this, &FakeModule::receiveFromCloud);
}

void FakeModule::resetInput()
{
    delayed.clear();
    delayTimer.stop();
    provisioningTimer.stop();
    input.clear();
    inputPos = 0;
    dataBytesExpected = -1;
    skipDataTerminator = false;
}

void FakeModule::setDeviceIdentity(const QString &product, const QString &name,
                                   const QString &secret)
{
    identity[0] = product;
    identity[1] = name;
    identity[2] = secret;
    identitySet = true;
}

QList<QByteArray> FakeModule::receivedLineBytes() const
{
    QList<QByteArray> lines;
    lines.reserve(received.size());
    for (const ReceivedLine &line : received)
        lines.append(line.bytes);
    return lines;
}

void FakeModule::clearReceived()
{
    received.clear();
    rawReceived.clear();
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
    joined = false;
    mqttUp = false;
    sendLine(QStringLiteral("WIFI DISCONNECT"));
}

void FakeModule::dropMqtt()
{
    mqttUp = false;
    sendLine(QStringLiteral("+KQMQTTDISCON"));
}

void FakeModule::reconnectMqtt()
{
    mqttUp = true;
    sendLine(QStringLiteral("+KQMQTTRECONNECTED"));
}

void FakeModule::finishSmartConfig(bool ok)
{
    provisioningMode = Provisioning::None;
    joined = joined || ok;
    sendLine(ok ? QStringLiteral("+KQSTARTSMART:WIFI_CONNECT_SUCCESS")
                : QStringLiteral("+KQSTARTSMART:WIFI_CONNECT_FAILED"));
}

void FakeModule::finishSoftAp(bool ok)
{
    provisioningMode = Provisioning::None;
    joined = joined || ok;
    sendLine(ok ? QStringLiteral("+KQSAP:WIFI_CONNECT_SUCCESS")
                : QStringLiteral("+KQSAP:WIFI_CONNECT_FAILED"));
}

bool FakeModule::waitForLines(int count, int timeoutMs)
{
    if (received.size() >= count)
        return true;
    QEventLoop loop;
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    const QMetaObject::Connection check = connect(this, &FakeModule::lineReceived, &loop, [&] {
        if (received.size() >= count)
            loop.quit();
    });
    loop.exec();
    disconnect(check);
    return received.size() >= count;
}

bool FakeModule::waitForDrained(int timeoutMs)
{
    if (terminal.bytesToWrite() == 0 && delayed.empty())
        return true;
    QEventLoop loop;
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    const QMetaObject::Connection check = connect(this, &FakeModule::drained, &loop, [&] {
        if (delayed.empty())
            loop.quit();
    });
    loop.exec();
    disconnect(check);
    return terminal.bytesToWrite() == 0 && delayed.empty();
}

void FakeModule::parseInput()
{
    // The read position is a member, not a local, because a slot of
    // lineReceived may run the event loop and parse again from inside; the
    // consumed part is cut off once, by the outermost call, so that a big
    // burst is not shifted once per line.
    ++parseDepth;
    while (terminal.isOpen()) {
        const int available = input.size() - inputPos;
        if (dataBytesExpected >= 0) {
            if (available < dataBytesExpected)
                break;
            // Exactly the announced number of bytes is the message, whatever
            // it holds; a wrong length shifts the rest into the next command,
            // as on the real module.
            pendingLong.message = input.mid(inputPos, int(dataBytesExpected));
            inputPos += int(dataBytesExpected);
            dataBytesExpected = -1;
            skipDataTerminator = true;
            published.append(pendingLong);
            recordLine(pendingLong.message);
            publishToCloud(pendingLong);
            continue;
        }
        if (skipDataTerminator) {
            if (available == 0 || (available == 1 && input.at(inputPos) == '\r'))
                break;
            if (input.at(inputPos) == '\r' && input.at(inputPos + 1) == '\n')
                inputPos += kCrLf.size();
            skipDataTerminator = false;
        }
        const int end = input.indexOf(kCrLf, inputPos);
        if (end == -1)
            break;
        const QByteArray line = input.mid(inputPos, end - inputPos);
        inputPos = end + kCrLf.size();
        recordLine(line);
        handleCommand(line);
    }
    if (--parseDepth == 0 && inputPos > 0) {
        input.remove(0, inputPos);
        inputPos = 0;
    }
}

void FakeModule::recordLine(const QByteArray &line)
{
    received.append({line, clock.elapsed()});
    emit lineReceived(line);
}

// One command line, matched against whole-line patterns; the groups of the
// last pattern that matched stay available.
class CommandLine {
public:
    explicit CommandLine(const QByteArray &line) : text(QString::fromUtf8(line)) {}
    bool is(const char *command) const { return text == QLatin1String(command); }
    bool matches(const char *pattern)
    {
        match = matchWhole(pattern, text);
        return match.hasMatch();
    }
    QString group(int number) const { return match.captured(number); }

private:
    QString text;
    QRegularExpressionMatch match;
};

void FakeModule::handleCommand(const QByteArray &line)
{
    if (echoOn)
        queueOutput(line + kCrLf);
    CommandLine command(line);
    if (!answerStatus(command) && !answerWifi(command) && !answerProvisioning(command) &&
        !answerMqtt(command) && !answerTopic(command))
        reply({"ERROR"});
}

bool FakeModule::answerStatus(CommandLine &command)
{
    if (command.is("AT")) {
        reply({"OK"});
    } else if (command.is("AT+CIPSTATUS")) {
        reply({"STATUS:" + QByteArray::number(joined ? kStatusJoined : kStatusNotJoined), "OK"});
    } else if (command.is("AT+KQMQTTSTATE?")) {
        reply({mqttUp ? "+KQMQTTSTATE:1" : "+KQMQTTSTATE:0", "OK"});
    } else if (command.matches(R"re(AT\+KQDEVINFOSET=1,"([^"]*)","([^"]*)","([^"]*)")re")) {
        setDeviceIdentity(command.group(1), command.group(2), command.group(3));
        reply({"OK"});
    } else {
        return false;
    }
    return true;
}

bool FakeModule::answerWifi(CommandLine &command)
{
    if (command.matches(R"(AT\+CWMODE=[123])")) {
        reply({"OK"});
    } else if (command.matches(R"re(AT\+CWJAP="(.*?)","(.*)")re")) {
        ssid = command.group(1);
        password = command.group(2);
        joined = joinError == 0;
        mqttUp = mqttUp && joined;
        if (joined)
            reply({"WIFI CONNECTED", "WIFI GOT IP", "OK"});
        else
            reply({"+CWJAP:" + QByteArray::number(joinError), "FAIL"});
    } else if (command.is("AT+CWQAP")) {
        const bool wasJoined = joined;
        joined = false;
        mqttUp = false;
        reply(wasJoined ? QList<QByteArray>{"OK", "WIFI DISCONNECT"} : QList<QByteArray>{"OK"});
    } else {
        return false;
    }
    return true;
}

bool FakeModule::answerProvisioning(CommandLine &command)
{
    if (command.is("AT+KQSTARTSMART")) {
        startProvisioning(Provisioning::SmartConfig);
        reply({"+KQSTARTSMART:OK"});
    } else if (command.is("AT+KQSTOPSMART")) {
        provisioningMode = Provisioning::None;
        provisioningTimer.stop();
        reply({"AT+KQSTOPSMART: CMD TO STOP SMARTCONFIG"});
    } else if (command.matches(R"re(AT\+KQSAP="(.*?)","(.*)")re")) {
        apSsid = command.group(1);
        apPassword = command.group(2);
        startProvisioning(Provisioning::SoftAp);
        reply({"+KQSAP:OK"});
    } else if (command.is("AT+KQSTOPSAP")) {
        provisioningMode = Provisioning::None;
        provisioningTimer.stop();
        reply({"AT+KQSTOPSAP: CMD TO STOP SOFTAP"});
    } else {
        return false;
    }
    return true;
}

bool FakeModule::answerMqtt(CommandLine &command)
{
    if (command.matches(R"(AT\+KQMQTTCONN=(\d{1,9}),(\d{1,9}),(\d{1,9}),(\d{1,9}),(\d{1,9}))")) {
        mqttParams.clear();
        for (int group = 1; group <= 5; ++group)
            mqttParams.append(command.group(group).toInt());
        if (!connectCloud(mqttParams)) {
            mqttUp = joined && identitySet;
            reply({mqttUp ? "+KQMQTTCONN:OK" : "+KQMQTTCONN:FAIL"});
        }
    } else if (command.is("AT+KQMQTTDISCONN")) {
        mqttUp = false;
        if (cloud)
            cloud->close();
        reply({"+KQMQTTDISCON"});
    } else {
        return false;
    }
    return true;
}

bool FakeModule::answerTopic(CommandLine &command)
{
    if (command.matches(R"re(AT\+KQMQTTSUB="(.*)",([0-2]))re")) {
        if (!subscribed.contains(command.group(1)))
            subscribed.append(command.group(1));
        if (cloud)
            answerWhenAcknowledged(cloud->subscribe(command.group(1), command.group(2).toInt()));
        else
            reply({"OK"});
    } else if (command.matches(R"re(AT\+KQMQTTUNSUB="(.*)")re")) {
        subscribed.removeAll(command.group(1));
        if (cloud)
            answerWhenAcknowledged(cloud->unsubscribe(command.group(1)));
        else
            reply({"OK"});
    } else if (command.matches(R"re(AT\+KQMQTTPUB="(.*?)",([0-2]),"(.*)")re")) {
        published.append(
            {command.group(1), command.group(2).toInt(), command.group(3).toUtf8(), false});
        publishToCloud(published.last());
    } else if (command.matches(R"re(AT\+KQMQTTPUBL="(.*?)",([0-2]),(\d{1,9}))re")) {
        pendingLong = {command.group(1), command.group(2).toInt(), QByteArray(), true};
        dataBytesExpected = command.group(3).toLongLong();
        reply({">"});
    } else {
        return false;
    }
    return true;
}

// False when the cloud is the module's own echo, which answers at once.
bool FakeModule::connectCloud(const QVector<int> &parameters)
{
    if (!cloud)
        return false;
    if (!joined || !identitySet) {
        cloud->close();
        mqttUp = false;
        reply({"+KQMQTTCONN:FAIL"});
        return true;
    }
    enum { TlsMode, Timeout, KeepAlive, CleanSession, Reconnect };
    cloud->open(identity[0] + QLatin1Char('.') + identity[1], parameters[KeepAlive],
                parameters[CleanSession] == 1, parameters[Reconnect] == 1, parameters[Timeout]);
    return true;
}

void FakeModule::publishToCloud(const Publication &publication)
{
    if (cloud) {
        answerWhenAcknowledged(
            cloud->publish(publication.topic, unescape(publication.message), publication.qos));
        return;
    }
    reply({"OK"});
    echoToSubscribers(publication);
}

// The echo cloud hands a publication back once for every subscription it
// matches, as the broker hands one back to a client subscribed to it.
void FakeModule::echoToSubscribers(const Publication &publication)
{
    if (!mqttUp)
        return;
    for (const QString &filter : qAsConst(subscribed)) {
        if (topicMatches(filter, publication.topic)) {
            reply({"+KQMQTTRECV:\"" + publication.topic.toUtf8() + "\"," +
                   QByteArray::number(publication.qos) + ",\"" + publication.message + '"'});
            return;
        }
    }
}

// The broker's acknowledgement is the module's "OK"; a request that cannot
// go out (no connection) is an error.
void FakeModule::answerWhenAcknowledged(int messageId)
{
    if (messageId < 0)
        reply({"ERROR"});
    else
        awaitedAcks.insert(messageId, "OK");
}

void FakeModule::receiveFromCloud(const QString &topic, const QByteArray &payload, int qos)
{
    queueOutput("+KQMQTTRECV:\"" + topic.toUtf8() + "\"," + QByteArray::number(qos) + ",\"" +
                escape(payload) + '"' + kCrLf);
}

void FakeModule::startProvisioning(Provisioning mode)
{
    provisioningMode = mode;
    if (provisioningMs >= 0)
        provisioningTimer.start(provisioningMs);
}

void FakeModule::reply(const QList<QByteArray> &lines)
{
    QByteArray bytes;
    for (const QByteArray &line : lines)
        bytes += line + kCrLf;
    if (replyDelayMs == 0 && delayed.empty()) {
        queueOutput(bytes);
        return;
    }
    delayed.push_back({clock.elapsed() + replyDelayMs, bytes});
    if (!delayTimer.isActive())
        flushDueReplies();
}

void FakeModule::flushDueReplies()
{
    const qint64 now = clock.elapsed();
    while (!delayed.empty() && delayed.front().due <= now) {
        queueOutput(delayed.front().bytes);
        delayed.pop_front();
    }
    if (!delayed.empty())
        delayTimer.start(int(delayed.front().due - now));
}

void FakeModule::queueOutput(const QByteArray &bytes)
{
    terminal.write(bytes);
}

} // namespace atlume
