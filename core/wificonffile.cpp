#include "wificonffile.h"

#include "settingsfile.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QLatin1String>

namespace atlume {

namespace {

// Where each file keeps the pair.
struct CredentialKeys {
    QLatin1String ssid;
    QLatin1String password;
};
const CredentialKeys kWifiKeys{QLatin1String("wifi.ssid"), QLatin1String("wifi.password")};
const CredentialKeys kSoftApKeys{QLatin1String("SSID"), QLatin1String("Password")};

WifiCredentials readCredentials(const QString &path, const CredentialKeys &keys)
{
    const QJsonObject object = readSettingsObject(path).value_or(QJsonObject());
    return {stringMember(object, keys.ssid).value_or(QString()),
            stringMember(object, keys.password).value_or(QString())};
}

// Sets the pair in object and replaces the file with it.
bool writeCredentials(const QString &path, QJsonObject object, const CredentialKeys &keys,
                      const WifiCredentials &credentials)
{
    object.insert(keys.ssid, credentials.ssid);
    object.insert(keys.password, credentials.password);
    return writeSettingsFile(path, QJsonDocument(object).toJson(QJsonDocument::Indented));
}

} // namespace

QString wifiConfigPath()
{
    return QStringLiteral("./conf/config.json");
}

QString softApConfigPath()
{
    return QStringLiteral("./conf/softAPConf.json");
}

WifiCredentials readWifiConfig(const QString &path)
{
    return readCredentials(path, kWifiKeys);
}

bool saveWifiConfig(const QString &path, const WifiCredentials &credentials)
{
    const SettingsContent content = readSettingsContent(path);
    // A file that cannot be read may hold members we would otherwise drop,
    // and JSON other than an object was not written by us: leave both alone.
    if (content.kind == SettingsContent::Unreadable || content.kind == SettingsContent::OtherJson)
        return false;
    return writeCredentials(path, content.object, kWifiKeys, credentials);
}

WifiCredentials readSoftApConfig(const QString &path)
{
    const WifiCredentials credentials = readCredentials(path, kSoftApKeys);
    if (credentials.ssid.isEmpty() || credentials.password.isEmpty())
        return WifiCredentials();
    return credentials;
}

bool saveSoftApConfig(const QString &path, const WifiCredentials &credentials)
{
    return writeCredentials(path, QJsonObject(), kSoftApKeys, credentials);
}

} // namespace atlume
