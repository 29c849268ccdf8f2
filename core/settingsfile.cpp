#include "settingsfile.h"

#include <QFile>
#include <QFileDevice>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QJsonValue>
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

SettingsContent readSettingsContent(const QString &path)
{
    SettingsContent content;
    QFile file(path);
    if (!file.exists())
        return content;
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        content.kind = SettingsContent::Unreadable;
        return content;
    }
    return parseSettings(file.readAll());
}

SettingsContent parseSettings(QByteArray bytes)
{
    SettingsContent content;
    // Qt's reader drops a U+FEFF that opens a string, member names included,
    // as if it were a byte-order mark, while its writer stores the character
    // as it is: a text that began with one came back without it, and a name
    // that Qt showed without it still did not match. Qt keeps the character
    // when it comes as an escape, which inside a string means the same. A
    // quote byte and U+FEFF's UTF-8 never belong to another character, and
    // after a closing quote either form is an error.
    bytes.replace("\"\xef\xbb\xbf", "\"\\ufeff");
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || document.isNull())
        content.kind = SettingsContent::NotJson;
    else if (!document.isObject())
        content.kind = SettingsContent::OtherJson;
    else
        content = {SettingsContent::Object, document.object()};
    return content;
}

std::optional<QJsonObject> readSettingsObject(const QString &path)
{
    SettingsContent content = readSettingsContent(path);
    if (content.kind != SettingsContent::Object)
        return std::nullopt;
    return content.object;
}

std::optional<QString> stringMember(const QJsonObject &object, QLatin1String key)
{
    const QJsonValue value = object.value(key);
    if (!value.isString())
        return std::nullopt;
    return value.toString();
}

QString readStyleSheet(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    const QByteArray sheet = file.readAll();
    return QString::fromUtf8(sheet.constData(),
                             int(qstrnlen(sheet.constData(), uint(sheet.size()))));
}

} // namespace atlume
