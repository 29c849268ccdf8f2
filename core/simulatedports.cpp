#include "simulatedports.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace atlume::sim {

namespace {
const QLatin1String kLockSuffix(".lock");
// What is read of a process id in decimal, or of a program's short name
// (the system cuts that at 15 bytes).
constexpr qint64 kShortTextBytes = 64;

#ifdef Q_OS_UNIX
// A lock file that nobody holds belongs to a module that has ended: its entry
// and the lock file are removed, unless a new module has meanwhile put a
// lock file of its own in the same place.
bool isLive(const QString &name)
{
    const QByteArray lock = QFile::encodeName(lockPath(name));
    const int fd = ::open(lock.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd == -1)
        return false;
    bool live = ::flock(fd, LOCK_SH | LOCK_NB) == -1 && errno == EWOULDBLOCK;
    if (!live) {
        struct stat held {};
        struct stat current {};
        if (::fstat(fd, &held) == 0 && ::lstat(lock.constData(), &current) == 0 &&
            held.st_ino == current.st_ino && held.st_dev == current.st_dev) {
            ::unlink(QFile::encodeName(entryPath(name)).constData());
            ::unlink(lock.constData());
        }
    }
    ::close(fd);
    return live;
}
#endif
} // namespace

QString portFolder()
{
    const QString runtime = QFile::decodeName(qgetenv("XDG_RUNTIME_DIR"));
    if (!runtime.isEmpty())
        return runtime + QStringLiteral("/atlume-sim");
#ifdef Q_OS_UNIX
    return QDir::tempPath() + QStringLiteral("/atlume-sim-") + QString::number(::getuid());
#else
    return QDir::tempPath() + QStringLiteral("/atlume-sim");
#endif
}

bool isPortName(const QString &name)
{
    static const QRegularExpression pattern(QStringLiteral("^ttySIM\\d{1,4}$"));
    return pattern.match(name).hasMatch();
}

QString entryPath(const QString &name)
{
    return portFolder() + QLatin1Char('/') + name;
}

QString lockPath(const QString &name)
{
    return entryPath(name) + kLockSuffix;
}

bool isPrivateFolder(const QString &path)
{
#ifdef Q_OS_UNIX
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISDIR(info.st_mode) &&
           info.st_uid == ::getuid() && (info.st_mode & 077) == 0;
#else
    Q_UNUSED(path)
    return false;
#endif
}

QStringList livePortNames()
{
    QStringList names;
#ifdef Q_OS_UNIX
    const QString folder = portFolder();
    if (!isPrivateFolder(folder))
        return names;
    const QStringList entries = QDir(folder).entryList(QDir::Files | QDir::System, QDir::Name);
    for (const QString &entry : entries) {
        QString name = entry;
        if (name.endsWith(kLockSuffix))
            name.chop(kLockSuffix.size());
        if (isPortName(name) && !names.contains(name) && isLive(name))
            names.append(name);
    }
    // An entry whose lock file is gone was left half-withdrawn.
    for (const QString &entry : entries) {
        if (isPortName(entry) && !names.contains(entry) && !QFileInfo::exists(lockPath(entry)))
            ::unlink(QFile::encodeName(entryPath(entry)).constData());
    }
#endif
    return names;
}

QString portLocation(const QString &listedName)
{
    if (!isPortName(listedName) || !isPrivateFolder(portFolder()))
        return listedName;
    const QString entry = entryPath(listedName);
    return QFileInfo(entry).isSymLink() ? entry : listedName;
}

QString terminalPath(const QString &name)
{
    const QString location = portLocation(name);
    return location == name ? QString() : QFileInfo(location).symLinkTarget();
}

qint64 announcingProcess(const QString &name)
{
    if (!isPortName(name) || !isPrivateFolder(portFolder()))
        return 0;
    QFile lock(lockPath(name));
    if (!lock.open(QIODevice::ReadOnly))
        return 0;
    bool ok = false;
    const qint64 process = lock.readLine(kShortTextBytes).trimmed().toLongLong(&ok);
    return ok && process > 0 ? process : 0;
}

QString processName(qint64 process)
{
#ifdef Q_OS_LINUX
    if (process <= 0)
        return QString();
    QFile comm(QStringLiteral("/proc/%1/comm").arg(process));
    if (comm.open(QIODevice::ReadOnly))
        return QString::fromLocal8Bit(comm.readLine(kShortTextBytes).trimmed());
#else
    Q_UNUSED(process)
#endif
    return QString();
}

QString listedPortName(const QString &portObjectName)
{
    const QFileInfo info(portObjectName);
    if (info.isAbsolute() && isPortName(info.fileName()) && info.path() == portFolder())
        return info.fileName();
    return portObjectName;
}

} // namespace atlume::sim
