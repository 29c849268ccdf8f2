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
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
    file.close();
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
