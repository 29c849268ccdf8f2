#include "wificonffile.h"

#include "settingsfile.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QJsonValue>
#include <QLatin1String>

namespace atlume {

namespace {

const QLatin1String kWifiSsid("wifi.ssid");
const QLatin1String kWifiPassword("wifi.password");
const QLatin1String kSoftApSsid("SSID");
const QLatin1String kSoftApPassword("Password");

QString stringMember(const QJsonObject &object, QLatin1String key)
{
    const QJsonValue value = object.value(key);
    return value.isString() ? value.toString() : QString();
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
    const QJsonObject object = readSettingsObject(path).value_or(QJsonObject());
    return {stringMember(object, kWifiSsid), stringMember(object, kWifiPassword)};
}

bool saveWifiConfig(const QString &path, const WifiCredentials &credentials)
{
    QJsonDocument document;
    QFile file(path);
    if (file.exists()) {
        // A file that exists but cannot be read may hold members we would
        // otherwise drop: leave it alone.
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
            return false;
        QJsonParseError error;
        document = parseSettingsJson(file.readAll(), &error);
        file.close();
        if (error.error != QJsonParseError::NoError)
            document = QJsonDocument();
    }
    // An array was not written by us and may belong to something else.
    if (!document.isEmpty() && !document.isObject())
        return false;
    QJsonObject object = document.object();
    object.insert(kWifiSsid, credentials.ssid);
    object.insert(kWifiPassword, credentials.password);
    return writeSettingsFile(path, QJsonDocument(object).toJson(QJsonDocument::Indented));
}

WifiCredentials readSoftApConfig(const QString &path)
{
    const QJsonObject object = readSettingsObject(path).value_or(QJsonObject());
    WifiCredentials credentials{stringMember(object, kSoftApSsid),
                                stringMember(object, kSoftApPassword)};
    if (credentials.ssid.isEmpty() || credentials.password.isEmpty())
        return WifiCredentials();
    return credentials;
}

bool saveSoftApConfig(const QString &path, const WifiCredentials &credentials)
{
    QJsonObject object;
    object.insert(kSoftApSsid, credentials.ssid);
    object.insert(kSoftApPassword, credentials.password);
    return writeSettingsFile(path, QJsonDocument(object).toJson(QJsonDocument::Indented));
}

} // namespace atlume
