#pragma once

#include <QByteArray>
#include <QString>

namespace atlume {

// Replaces the file at path with bytes in one step (QSaveFile), so a crash or
// a full disk never leaves a half-written settings file. The file ends up
// readable and writable by its owner only, since settings files hold secrets.
bool writeSettingsFile(const QString &path, const QByteArray &bytes);

} // namespace atlume
