// Reads and saves the two Wi-Fi credential files, each first made of the
// fuzzer's bytes, with credentials that the fuzzer chooses too.
#include "fuzzsupport.h"
#include "settingsfile.h"
#include "wificonffile.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

using atlume::WifiCredentials;
using fuzz::require;

namespace {

const QLatin1String kWifiSsid("wifi.ssid");
const QLatin1String kWifiPassword("wifi.password");
const QLatin1String kSoftApSsid("SSID");
const QLatin1String kSoftApPassword("Password");

QByteArray contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void replaceFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    require(file.open(QIODevice::WriteOnly | QIODevice::Truncate), "the file can be written");
    file.write(content);
}

QString stringMember(const QJsonObject &object, QLatin1String key)
{
    return object.value(key).toString();
}

bool same(const WifiCredentials &a, const WifiCredentials &b)
{
    return a.ssid == b.ssid && a.password == b.password;
}

void checkWifiConfig(const QString &path, const QByteArray &content, const WifiCredentials &saved)
{
    replaceFile(path, content);
    // The file's JSON as the program's settings files read it.
    const atlume::SettingsContent before = atlume::readSettingsContent(path);
    const QJsonObject object = before.object;
    require(same(atlume::readWifiConfig(path),
                 {stringMember(object, kWifiSsid), stringMember(object, kWifiPassword)}),
            "the credentials read are the file's string members");

    const bool wrote = atlume::saveWifiConfig(path, saved);
    if (before.kind == atlume::SettingsContent::OtherJson) {
        require(!wrote && contentOf(path) == content, "a JSON array is left as it is");
        return;
    }
    require(wrote, "any other file is replaced");
    require(same(atlume::readWifiConfig(path), saved), "the credentials saved read back");
    QJsonObject expected = object;
    expected.insert(kWifiSsid, saved.ssid);
    expected.insert(kWifiPassword, saved.password);
    const atlume::SettingsContent after = atlume::readSettingsContent(path);
    require(after.kind == atlume::SettingsContent::Object && after.object == expected,
            "saving keeps every other member");
}

void checkSoftApConfig(const QString &path, const QByteArray &content, const WifiCredentials &saved)
{
    replaceFile(path, content);
    const QJsonObject object = atlume::readSettingsContent(path).object;
    const WifiCredentials members{stringMember(object, kSoftApSsid),
                                  stringMember(object, kSoftApPassword)};
    const bool isPair = !members.ssid.isEmpty() && !members.password.isEmpty();
    require(same(atlume::readSoftApConfig(path), isPair ? members : WifiCredentials()),
            "the softAP credentials read are both members or nothing");

    require(atlume::saveSoftApConfig(path, saved), "the softAP file is replaced");
    const QJsonObject expected{{kSoftApSsid, saved.ssid}, {kSoftApPassword, saved.password}};
    const atlume::SettingsContent after = atlume::readSettingsContent(path);
    require(after.kind == atlume::SettingsContent::Object && after.object == expected,
            "the softAP file holds exactly the two members saved");
    const bool savedPair = !saved.ssid.isEmpty() && !saved.password.isEmpty();
    require(same(atlume::readSoftApConfig(path), savedPair ? saved : WifiCredentials()),
            "the softAP credentials saved read back as a pair");
}

// The credentials come first: a length byte whose top bit asks for raw UTF-16
// (lone surrogates included) rather than UTF-8, then that many bytes, split
// in half between SSID and password. The file is the rest.
WifiCredentials credentialsFrom(fuzz::Input &input)
{
    const int header = input.takeByte();
    const QByteArray bytes = input.take(header & 0x7f);
    const QString text = header & 0x80 ? fuzz::fromUtf16Bytes(bytes) : QString::fromUtf8(bytes);
    return {text.left(text.size() / 2), text.mid(text.size() / 2)};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QTemporaryDir dir;
    require(dir.isValid(), "a temporary directory can be made");
    fuzz::Input input(data, size);
    const WifiCredentials credentials = credentialsFrom(input);
    const QByteArray content = input.rest();
    if (!fuzz::nestsShallowly(content))
        return -1;

    checkWifiConfig(dir.filePath(QStringLiteral("config.json")), content, credentials);
    checkSoftApConfig(dir.filePath(QStringLiteral("softAPConf.json")), content, credentials);
    return 0;
}
