#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QLatin1String>
#include <QString>
#include <optional>

namespace atlume {

// Replaces the file at path with bytes in one step (QSaveFile), so a crash or
// a full disk never leaves a half-written settings file. The file ends up
// readable and writable by its owner only, since settings files hold secrets.
bool writeSettingsFile(const QString &path, const QByteArray &bytes);

// What a settings file holds, as far as it can be read.
struct SettingsContent {
    enum Kind {
        Missing,    // no file
        Unreadable, // a file that cannot be opened
        NotJson,    // empty, or not JSON
        Object,     // a JSON object, in object
        OtherJson,  // JSON, but not an object
    };
    Kind kind = Missing;
    QJsonObject object;
};
SettingsContent readSettingsContent(const QString &path);
// What the bytes of a settings file hold, as read from it in text mode.
SettingsContent parseSettings(QByteArray bytes);

// The JSON object a settings file holds; nothing when the file cannot be
// opened, is empty, is not JSON or holds something other than an object.
std::optional<QJsonObject> readSettingsObject(const QString &path);

// A string member of a settings object; nothing when it is missing or of
// another JSON type.
std::optional<QString> stringMember(const QJsonObject &object, QLatin1String key);

// A style sheet file's text up to its first NUL byte, if it has one; empty
// when the file is missing or unreadable.
QString readStyleSheet(const QString &path);

} // namespace atlume
