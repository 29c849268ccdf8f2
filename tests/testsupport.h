#pragma once

#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <QtTest>

// Makes a fresh temporary directory the working directory for as long as it
// lives, so that ./conf/ of a test is never the checkout's.
class TempWorkDir {
public:
    explicit TempWorkDir(bool withConf = true) : previous(QDir::currentPath())
    {
        QVERIFY2(dir.isValid(), "cannot create a temporary directory");
        QDir::setCurrent(dir.path());
        if (withConf)
            QDir().mkpath(QStringLiteral("conf"));
    }
    ~TempWorkDir() { QDir::setCurrent(previous); }
    TempWorkDir(const TempWorkDir &) = delete;
    TempWorkDir &operator=(const TempWorkDir &) = delete;

    QString path() const { return dir.path(); }
    QString filePath(const QString &name) const { return dir.filePath(name); }

private:
    QString previous;
    QTemporaryDir dir;
};

inline QByteArray readWholeFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

inline bool writeWholeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return file.write(bytes) == bytes.size();
}

// Settings files hold secrets: readable and writable by their owner, nobody else.
inline bool isOwnerOnly(const QString &path)
{
    const QFileDevice::Permissions permissions = QFile::permissions(path);
    const QFileDevice::Permissions others = QFileDevice::ExeOwner | QFileDevice::ReadGroup |
                                            QFileDevice::WriteGroup | QFileDevice::ExeGroup |
                                            QFileDevice::ReadOther | QFileDevice::WriteOther |
                                            QFileDevice::ExeOther;
    return (permissions & others) == 0 && (permissions & QFileDevice::ReadOwner) &&
           (permissions & QFileDevice::WriteOwner);
}
