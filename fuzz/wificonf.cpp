// Reads the fuzzer's bytes, in memory, as each of the two Wi-Fi credential
// files, and saves credentials that the fuzzer chooses too.
#include "fuzzsupport.h"
#include "settingsfile.h"
#include "wificonffile.h"

#include <QJsonObject>
#include <QStringList>
#include <algorithm>

using atlume::SettingsContent;
using atlume::WifiCredentials;
using fuzz::require;

namespace {

const QLatin1String kWifiSsid("wifi.ssid");
const QLatin1String kWifiPassword("wifi.password");
const QLatin1String kSoftApSsid("SSID");
const QLatin1String kSoftApPassword("Password");

QString stringMember(const QJsonObject &object, QLatin1String key)
{
    return object.value(key).toString();
}

// Qt 5 sorts member names that hold U+0000 one way when parsing and another
// when looking one up: such an object cannot find its own members, may keep a
// name twice, and differs from an equal copy. What is saved is what Qt holds,
// but comparing objects cannot judge it.
bool namesHoldNul(const QJsonObject &object)
{
    const QStringList names = object.keys();
    return std::any_of(names.begin(), names.end(),
                       [](const QString &name) { return name.contains(QChar(0)); });
}

bool same(const WifiCredentials &a, const WifiCredentials &b)
{
    return a.ssid == b.ssid && a.password == b.password;
}

void checkWifiConfig(const SettingsContent &before, const WifiCredentials &saved)
{
    const QJsonObject object = before.object;
    require(same(atlume::wifiCredentialsOf(before),
                 {stringMember(object, kWifiSsid), stringMember(object, kWifiPassword)}),
            "the credentials read are the file's string members");

    const std::optional<QByteArray> json = atlume::wifiConfigJson(before, saved);
    if (before.kind == SettingsContent::OtherJson) {
        require(!json, "a JSON array is left as it is");
        return;
    }
    require(json.has_value(), "any other file is replaced");
    const SettingsContent after = fuzz::parseSettings(*json);
    require(same(atlume::wifiCredentialsOf(after), saved), "the credentials saved read back");
    if (namesHoldNul(object))
        return;
    QJsonObject expected = object;
    expected.insert(kWifiSsid, saved.ssid);
    expected.insert(kWifiPassword, saved.password);
    require(after.kind == SettingsContent::Object && after.object == expected,
            "saving keeps every other member");
}

void checkSoftApConfig(const SettingsContent &before, const WifiCredentials &saved)
{
    const WifiCredentials members{stringMember(before.object, kSoftApSsid),
                                  stringMember(before.object, kSoftApPassword)};
    const bool isPair = !members.ssid.isEmpty() && !members.password.isEmpty();
    require(same(atlume::softApCredentialsOf(before), isPair ? members : WifiCredentials()),
            "the softAP credentials read are both members or nothing");

    const SettingsContent after = fuzz::parseSettings(atlume::softApConfigJson(saved));
    const QJsonObject expected{{kSoftApSsid, saved.ssid}, {kSoftApPassword, saved.password}};
    require(after.kind == SettingsContent::Object && after.object == expected,
            "the softAP file holds exactly the two members saved");
    const bool savedPair = !saved.ssid.isEmpty() && !saved.password.isEmpty();
    require(same(atlume::softApCredentialsOf(after), savedPair ? saved : WifiCredentials()),
            "the softAP credentials saved read back as a pair");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::Input input(data, size);
    const WifiCredentials credentials = fuzz::takeCredentials(input);
    const SettingsContent before = fuzz::parseSettings(input.rest());
    checkWifiConfig(before, credentials);
    checkSoftApConfig(before, credentials);
    return 0;
}
