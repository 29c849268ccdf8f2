#include "pseudoterminal.h"

#include "socketnotifiers.h"

#include <QSocketNotifier>

#include <cerrno>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace atlume {

namespace {

constexpr int kReadChunk = 65536;

bool setFlags(int fd, int statusFlags)
{
    const int current = ::fcntl(fd, F_GETFL);
    if (current == -1 || ::fcntl(fd, F_SETFL, current | statusFlags) == -1)
        return false;
    return ::fcntl(fd, F_SETFD, FD_CLOEXEC) != -1;
}

} // namespace

PseudoTerminal::PseudoTerminal(QObject *parent) : QObject(parent) {}

PseudoTerminal::~PseudoTerminal()
{
    close();
}

bool PseudoTerminal::open()
{
    close();

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
    // Our own slave descriptor stays open for the terminal's lifetime:
    // without it the master reports EIO and POLLHUP whenever no program is
    // attached, and the read notifier would spin.
    slaveFd = slave;
    slaveName = QString::fromLocal8Bit(name);

    readNotifier = new QSocketNotifier(masterFd, QSocketNotifier::Read, this);
    connect(readNotifier, &QSocketNotifier::activated, this, &PseudoTerminal::readMaster);
    writeNotifier = new QSocketNotifier(masterFd, QSocketNotifier::Write, this);
    writeNotifier->setEnabled(false);
    connect(writeNotifier, &QSocketNotifier::activated, this, &PseudoTerminal::writeMaster);
    return true;
}

void PseudoTerminal::close()
{
    retireNotifiers(readNotifier, writeNotifier);
    if (masterFd != -1)
        ::close(masterFd);
    if (slaveFd != -1)
        ::close(slaveFd);
    masterFd = -1;
    slaveFd = -1;

    output.clear();
    outputOffset = 0;
    outputBytes = 0;
}

void PseudoTerminal::write(const QByteArray &bytes)
{
    if (masterFd == -1 || bytes.isEmpty())
        return;
    output.push_back(bytes);
    outputBytes += bytes.size();
    if (output.size() == 1)
        writeMaster();
}

void PseudoTerminal::readMaster()
{
    char chunk[kReadChunk];
    QByteArray bytes;
    while (masterFd != -1) {
        const ssize_t count = ::read(masterFd, chunk, sizeof chunk);
        if (count > 0) {
            bytes.append(chunk, int(count));
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
    if (!bytes.isEmpty())
        emit received(bytes);
}

void PseudoTerminal::writeMaster()
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
