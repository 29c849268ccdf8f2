#pragma once

#include <QByteArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QString>
#include <optional>

namespace atlume {

// Replaces the file at path with bytes in one step (QSaveFile), so a crash or
// a full disk never leaves a half-written settings file. The file ends up
// readable and writable by its owner only, since settings files hold secrets.
bool writeSettingsFile(const QString &path, const QByteArray &bytes);

// The JSON document of a settings file's bytes: what QJsonDocument::fromJson
// gives, except that a U+FEFF that opens a string is kept.
QJsonDocument parseSettingsJson(QByteArray bytes, QJsonParseError *error);

// The JSON object a settings file holds; nothing when the file cannot be
// opened, is empty, is not JSON or holds something other than an object.
std::optional<QJsonObject> readSettingsObject(const QString &path);

} // namespace atlume
