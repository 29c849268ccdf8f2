#include "fakemodule.h"

#include <QEventLoop>
#include <QHash>
#include <QRegularExpression>
#include <QSocketNotifier>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace atlume {

namespace {

constexpr int kReadChunk = 65536;
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

bool setFlags(int fd, int statusFlags)
{
    const int current = ::fcntl(fd, F_GETFL);
    if (current == -1 || ::fcntl(fd, F_SETFL, current | statusFlags) == -1)
        return false;
    return ::fcntl(fd, F_SETFD, FD_CLOEXEC) != -1;
}

} // namespace

FakeModule::FakeModule(QObject *parent) : QObject(parent)
{
    delayTimer.setSingleShot(true);
    connect(&delayTimer, &QTimer::timeout, this, &FakeModule::flushDueReplies);
}

FakeModule::~FakeModule()
{
    closeFds();
}

bool FakeModule::open()
{
    closeFds();

    int master = -1;
    int slave = -1;
    if (::openpty(&master, &slave, nullptr, nullptr, nullptr) == -1)
        return false;

    // Raw from the start, so that nothing rewrites CR or LF in the window
    // before the terminal program opens the slave and sets its own mode.
    termios mode{};
    bool ready = ::tcgetattr(slave, &mode) == 0;
    if (ready) {
        ::cfmakeraw(&mode);
        ready = ::tcsetattr(slave, TCSANOW, &mode) == 0;
    }
    char name[128];
    ready = ready && ::ptsname_r(master, name, sizeof name) == 0 && setFlags(master, O_NONBLOCK) &&
            setFlags(slave, 0);
    if (!ready) {
        ::close(master);
        ::close(slave);
        return false;
    }

    masterFd = master;
    // Our own slave descriptor stays open for the module's lifetime: without
    // it the master reports EIO and POLLHUP whenever no terminal is attached,
    // and the read notifier would spin.
    slaveFd = slave;
    slaveName = QString::fromLocal8Bit(name);
    clock.start();

    readNotifier = new QSocketNotifier(masterFd, QSocketNotifier::Read, this);
    connect(readNotifier, &QSocketNotifier::activated, this, &FakeModule::readMaster);
    writeNotifier = new QSocketNotifier(masterFd, QSocketNotifier::Write, this);
    writeNotifier->setEnabled(false);
    connect(writeNotifier, &QSocketNotifier::activated, this, &FakeModule::writeMaster);
    return true;
}

void FakeModule::hangUp()
{
    closeFds();
}

void FakeModule::closeFds()
{
    // This may run inside a notifier's own activation, so the notifiers are
    // only switched off here and deleted later.
    for (QSocketNotifier *notifier : {readNotifier, writeNotifier}) {
        if (notifier) {
            notifier->setEnabled(false);
            notifier->deleteLater();
        }
    }
    readNotifier = nullptr;
    writeNotifier = nullptr;
    if (masterFd != -1)
        ::close(masterFd);
    if (slaveFd != -1)
        ::close(slaveFd);
    masterFd = -1;
    slaveFd = -1;

    output.clear();
    outputOffset = 0;
    outputBytes = 0;
    delayed.clear();
    delayTimer.stop();
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
    if (outputBytes == 0 && delayed.empty())
        return true;
    QEventLoop loop;
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    const QMetaObject::Connection check = connect(this, &FakeModule::drained, &loop, [&] {
        if (delayed.empty())
            loop.quit();
    });
    loop.exec();
    disconnect(check);
    return outputBytes == 0 && delayed.empty();
}

void FakeModule::readMaster()
{
    char chunk[kReadChunk];
    while (masterFd != -1) {
        const ssize_t count = ::read(masterFd, chunk, sizeof chunk);
        if (count > 0) {
            rawReceived.append(chunk, int(count));
            input.append(chunk, int(count));
            continue;
        }
        if (count == -1 && errno == EINTR)
            continue;
        if (count == 0 || (errno != EAGAIN && errno != EWOULDBLOCK)) {
            // Cannot happen while our own slave descriptor is open; if it
            // does, a level-triggered notifier would fire for ever.
            if (readNotifier)
                readNotifier->setEnabled(false);
        }
        break;
    }
    parseInput();
}

void FakeModule::parseInput()
{
    // The read position is a member, not a local, because a slot of
    // lineReceived may run the event loop and parse again from inside; the
    // consumed part is cut off once, by the outermost call, so that a big
    // burst is not shifted once per line.
    ++parseDepth;
    while (masterFd != -1) {
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
            reply({QByteArrayLiteral("OK")});
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
        provisioningMode = Provisioning::SmartConfig;
        reply({"+KQSTARTSMART:OK"});
    } else if (command.is("AT+KQSTOPSMART")) {
        provisioningMode = Provisioning::None;
        reply({"AT+KQSTOPSMART: CMD TO STOP SMARTCONFIG"});
    } else if (command.matches(R"re(AT\+KQSAP="(.*?)","(.*)")re")) {
        apSsid = command.group(1);
        apPassword = command.group(2);
        provisioningMode = Provisioning::SoftAp;
        reply({"+KQSAP:OK"});
    } else if (command.is("AT+KQSTOPSAP")) {
        provisioningMode = Provisioning::None;
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
        mqttUp = joined && identitySet;
        reply({mqttUp ? "+KQMQTTCONN:OK" : "+KQMQTTCONN:FAIL"});
    } else if (command.is("AT+KQMQTTDISCONN")) {
        mqttUp = false;
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
        reply({"OK"});
    } else if (command.matches(R"re(AT\+KQMQTTUNSUB="(.*)")re")) {
        subscribed.removeAll(command.group(1));
        reply({"OK"});
    } else if (command.matches(R"re(AT\+KQMQTTPUB="(.*?)",([0-2]),"(.*)")re")) {
        published.append(
            {command.group(1), command.group(2).toInt(), command.group(3).toUtf8(), false});
        reply({"OK"});
    } else if (command.matches(R"re(AT\+KQMQTTPUBL="(.*?)",([0-2]),(\d{1,9}))re")) {
        pendingLong = {command.group(1), command.group(2).toInt(), QByteArray(), true};
        dataBytesExpected = command.group(3).toLongLong();
        reply({">"});
    } else {
        return false;
    }
    return true;
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
    if (masterFd == -1 || bytes.isEmpty())
        return;
    output.push_back(bytes);
    outputBytes += bytes.size();
    if (output.size() == 1)
        writeMaster();
}

void FakeModule::writeMaster()
{
    while (!output.empty() && masterFd != -1) {
        const QByteArray &front = output.front();
        const ssize_t count = ::write(masterFd, front.constData() + outputOffset,
                                      size_t(front.size() - outputOffset));
        if (count == -1) {
            if (errno == EINTR)
                continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK)
                break;
            output.clear();
            outputOffset = 0;
            outputBytes = 0;
            break;
        }
        outputOffset += int(count);
        outputBytes -= count;
        if (outputOffset == front.size()) {
            output.pop_front();
            outputOffset = 0;
        }
    }
    if (writeNotifier)
        writeNotifier->setEnabled(!output.empty());
    if (output.empty())
        emit drained();
}

} // namespace atlume
