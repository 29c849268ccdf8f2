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

WifiCredentials credentialsOf(const SettingsContent &content, const CredentialKeys &keys)
{
    return {stringMember(content.object, keys.ssid).value_or(QString()),
            stringMember(content.object, keys.password).value_or(QString())};
}

// The object with the pair set, as the file's bytes.
QByteArray credentialsJson(QJsonObject object, const CredentialKeys &keys,
                           const WifiCredentials &credentials)
{
    object.insert(keys.ssid, credentials.ssid);
    object.insert(keys.password, credentials.password);
    return QJsonDocument(object).toJson(QJsonDocument::Indented);
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
    return wifiCredentialsOf(readSettingsContent(path));
}

bool saveWifiConfig(const QString &path, const WifiCredentials &credentials)
{
    const std::optional<QByteArray> json = wifiConfigJson(readSettingsContent(path), credentials);
    return json && writeSettingsFile(path, *json);
}

WifiCredentials readSoftApConfig(const QString &path)
{
    return softApCredentialsOf(readSettingsContent(path));
}

bool saveSoftApConfig(const QString &path, const WifiCredentials &credentials)
{
    return writeSettingsFile(path, softApConfigJson(credentials));
}

WifiCredentials wifiCredentialsOf(const SettingsContent &content)
{
    return credentialsOf(content, kWifiKeys);
}

std::optional<QByteArray> wifiConfigJson(const SettingsContent &content,
                                         const WifiCredentials &credentials)
{
    // A file that cannot be read may hold members we would otherwise drop,
    // and JSON other than an object was not written by us: leave both alone.
    if (content.kind == SettingsContent::Unreadable || content.kind == SettingsContent::OtherJson)
        return std::nullopt;
    return credentialsJson(content.object, kWifiKeys, credentials);
}

WifiCredentials softApCredentialsOf(const SettingsContent &content)
{
    const WifiCredentials credentials = credentialsOf(content, kSoftApKeys);
    if (credentials.ssid.isEmpty() || credentials.password.isEmpty())
        return WifiCredentials();
    return credentials;
}

QByteArray softApConfigJson(const WifiCredentials &credentials)
{
    return credentialsJson(QJsonObject(), kSoftApKeys, credentials);
}

} // namespace atlume
