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

QJsonDocument parseSettingsJson(QByteArray bytes, QJsonParseError *error)
{
    // Qt's reader drops a U+FEFF that opens a string, member names included,
    // as if it were a byte-order mark, while its writer stores the character
    // as it is: a text that began with one came back without it, and a name
    // that Qt showed without it still did not match. Qt keeps the character
    // when it comes as an escape, which inside a string means the same. A
    // quote byte and U+FEFF's UTF-8 never belong to another character, and
    // after a closing quote either form is an error.
    bytes.replace("\"\xef\xbb\xbf", "\"\\ufeff");
    return QJsonDocument::fromJson(bytes, error);
}

std::optional<QJsonObject> readSettingsObject(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    file.close();
    QJsonParseError error;
    const QJsonDocument document = parseSettingsJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || document.isNull() || document.isEmpty() ||
        !document.isObject())
        return std::nullopt;
    return document.object();
}

} // namespace atlume
