#include "settingsfile.h"

#include <QFile>
#include <QFileDevice>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QSaveFile>

namespace atlume {

bool writeSettingsFile(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // QSaveFile gives its temporary file the permissions of the file it
    // replaces (or 0666 less the umask for a new one); narrow them before the
    // first byte is written, so the secrets are never readable by others, not
    // even for the moment between write and commit.
    if (!file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        file.cancelWriting();
        return false;
    }
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

std::optional<QJsonObject> readSettingsObject(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    file.close();
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || document.isNull() || document.isEmpty() ||
        !document.isObject())
        return std::nullopt;
    return document.object();
}

} // namespace atlume
