#include "portannouncement.h"

#include "simulatedports.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace atlume {

namespace {

constexpr int kMaxPorts = 100;

QByteArray encoded(const QString &path)
{
    return QFile::encodeName(path);
}

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

// The lock file of a name, locked by us; -1 when a live module holds it.
// A lock file that was replaced between opening and locking it is not ours.
int claimLock(const QString &name)
{
    const QByteArray path = encoded(sim::lockPath(name));
    for (;;) {
        const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd == -1)
            return -1;
        if (::flock(fd, LOCK_EX | LOCK_NB) == -1) {
            ::close(fd);
            return -1;
        }
        struct stat held {};
        struct stat current {};
        if (::fstat(fd, &held) == 0 && ::lstat(path.constData(), &current) == 0 &&
            held.st_ino == current.st_ino && held.st_dev == current.st_dev)
            return fd;
        ::close(fd);
    }
}

} // namespace

bool PortAnnouncement::announce(const QString &terminalPath, QString *error)
{
    withdraw();
    const QString folder = sim::portFolder();
    if (::mkdir(encoded(folder).constData(), 0700) == -1 && errno != EEXIST) {
        *error = QStringLiteral("cannot make %1: %2").arg(folder, systemError());
        return false;
    }
    if (!sim::isPrivateFolder(folder)) {
        *error = QStringLiteral("%1 is not a folder of this user's that nobody else may enter")
                     .arg(folder);
        return false;
    }
    // Entries of modules that are gone free their numbers first.
    sim::livePortNames();

    for (int number = 0; number < kMaxPorts; ++number) {
        const QString name = QStringLiteral("ttySIM") + QString::number(number);
        const int fd = claimLock(name);
        if (fd == -1)
            continue;
        // The port list names the process that runs the module; it is in the
        // lock file before the entry appears.
        const QByteArray process = QByteArray::number(qint64(::getpid())) + '\n';
        if (::ftruncate(fd, 0) == -1 ||
            ::write(fd, process.constData(), size_t(process.size())) != ssize_t(process.size())) {
            *error = QStringLiteral("cannot write %1: %2").arg(sim::lockPath(name), systemError());
            ::unlink(encoded(sim::lockPath(name)).constData());
            ::close(fd);
            return false;
        }
        // The link appears whole or not at all: made aside, then renamed.
        const QByteArray entry = encoded(sim::entryPath(name));
        const QByteArray aside = entry + ".new";
        ::unlink(aside.constData());
        if (::symlink(encoded(terminalPath).constData(), aside.constData()) == -1 ||
            ::rename(aside.constData(), entry.constData()) == -1) {
            *error = QStringLiteral("cannot announce %1: %2").arg(name, systemError());
            ::unlink(aside.constData());
            ::unlink(encoded(sim::lockPath(name)).constData());
            ::close(fd);
            return false;
        }
        lockFd = fd;
        portName = name;
        return true;
    }
    *error = QStringLiteral("no free name among ttySIM0 to ttySIM%1").arg(kMaxPorts - 1);
    return false;
}

void PortAnnouncement::withdraw()
{
    if (lockFd == -1)
        return;
    // The entry first: an entry never outlives its lock file.
    ::unlink(encoded(sim::entryPath(portName)).constData());
    ::unlink(encoded(sim::lockPath(portName)).constData());
    ::close(lockFd);
    lockFd = -1;
    portName.clear();
}

} // namespace atlume
