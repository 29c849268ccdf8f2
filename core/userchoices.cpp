#include "userchoices.h"

#include "settingsfile.h"

#include <QJsonDocument>

namespace atlume {

UserChoices::UserChoices(const QString &path) : path(path)
{
    if (path.isEmpty())
        return;
    if (const auto object = readSettingsObject(path))
        choices = *object;
}

bool UserChoices::flag(const QString &key) const
{
    const QJsonValue value = choices.value(key);
    return value.isBool() && value.toBool();
}

void UserChoices::setFlag(const QString &key, bool on)
{
    set(key, on);
}

QString UserChoices::text(const QString &key, const QString &fallback) const
{
    const QJsonValue value = choices.value(key);
    return value.isString() ? value.toString() : fallback;
}

void UserChoices::setText(const QString &key, const QString &value)
{
    set(key, value);
}

void UserChoices::set(const QString &key, const QJsonValue &value)
{
    if (choices.value(key) == value)
        return;
    choices.insert(key, value);
    if (!path.isEmpty())
        writeSettingsFile(path, QJsonDocument(choices).toJson());
}

} // namespace atlume
