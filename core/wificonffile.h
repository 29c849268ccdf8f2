#pragma once

#include "settingsfile.h"

#include <QByteArray>
#include <QString>
#include <optional>

namespace atlume {

struct WifiCredentials {
    static constexpr int kMinSsidLength = 3;
    static constexpr int kMinPasswordLength = 8;

    QString ssid;
    QString password;

    // What both Wi-Fi dialogs ask before they let OK be pressed.
    bool isLongEnough() const
    {
        return ssid.size() >= kMinSsidLength && password.size() >= kMinPasswordLength;
    }
};

// "./conf/config.json": the network joined directly.
QString wifiConfigPath();
// "./conf/softAPConf.json": the access point opened for softAP provisioning.
QString softApConfigPath();

// "wifi.ssid" and "wifi.password" of the file's object; a member that is
// missing or not a string, and every member of an unusable file, reads empty.
WifiCredentials readWifiConfig(const QString &path);

// Sets the two members and keeps every other member of the file. A file that
// is not JSON (or empty, or missing) becomes an object with the two members; a
// JSON array is left as it is. Returns false when nothing was written.
bool saveWifiConfig(const QString &path, const WifiCredentials &credentials);

// "SSID" and "Password" of the file's object, but only as a pair: when either
// is missing, not a string or empty, both read empty.
WifiCredentials readSoftApConfig(const QString &path);

// Replaces the file with an object of exactly "SSID" and "Password".
bool saveSoftApConfig(const QString &path, const WifiCredentials &credentials);

// The same rules on a file's content in memory: what it reads as, and the
// bytes that saving writes (none for a file saving leaves alone).
WifiCredentials wifiCredentialsOf(const SettingsContent &content);
std::optional<QByteArray> wifiConfigJson(const SettingsContent &content,
                                         const WifiCredentials &credentials);
WifiCredentials softApCredentialsOf(const SettingsContent &content);
QByteArray softApConfigJson(const WifiCredentials &credentials);

} // namespace atlume
