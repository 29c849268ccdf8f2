#include "consolelog.h"

#include <QFileInfo>
#include <QSaveFile>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace atlume {

namespace {

// A device or a pipe has no end to append at.
QIODevice::OpenMode openMode(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() && !info.isFile() ? QIODevice::WriteOnly
                                           : QIODevice::WriteOnly | QIODevice::Append;
}

} // namespace

bool ConsoleLog::start(const QString &path)
{
    stop();
    logPath = path;
    lastFailure = Failure::None;
    lastError.clear();
    const QIODevice::OpenMode mode = openMode(path);
#ifdef Q_OS_UNIX
    // Created with the owner's bits alone from the first moment: narrowing
    // them after the file exists would leave a window in which another user
    // could open it and read what follows.
    const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (mode & QIODevice::Append ? O_APPEND : 0);
    const int fd = ::open(QFile::encodeName(path).constData(), flags, S_IRUSR | S_IWUSR);
    if (fd < 0) {
        lastError = QString::fromLocal8Bit(std::strerror(errno));
        return fail(Failure::CannotOpen);
    }
    file.setFileName(path);
    if (!file.open(fd, mode, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        lastError = file.errorString();
        return fail(Failure::CannotOpen);
    }
#else
    file.setFileName(path);
    if (!file.open(mode)) {
        lastError = file.errorString();
        return fail(Failure::CannotOpen);
    }
#endif
    return true;
}

void ConsoleLog::stop()
{
    if (file.isOpen())
        file.close();
}

bool ConsoleLog::write(const QString &text)
{
    if (!isOpen())
        return false;
    if (text.isEmpty())
        return true;
    // Flushed at once: what was shown is in the file even if the program or
    // the machine stops right after.
    if (file.write(text.toUtf8()) < 0 || !file.flush()) {
        lastError = file.errorString();
        return fail(Failure::CannotWrite);
    }
#ifdef Q_OS_UNIX
    // Writing to a file that was deleted succeeds, and the lines are lost
    // with it when the log closes.
    struct stat status {};
    if (::fstat(file.handle(), &status) == 0 && S_ISREG(status.st_mode) && status.st_nlink == 0)
        return fail(Failure::Removed);
#endif
    return true;
}

bool ConsoleLog::fail(Failure failure)
{
    lastFailure = failure;
    stop();
    return false;
}

bool saveConsoleText(const QString &path, const QString &text, QString *error)
{
    const bool existed = QFileInfo::exists(path);
    QSaveFile file(path);
    const bool saved =
        file.open(QIODevice::WriteOnly) &&
        (existed || file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner)) &&
        file.write(text.toUtf8()) >= 0 && file.commit();
    if (!saved && error)
        *error = file.errorString();
    return saved;
}

} // namespace atlume
