// The settings files through real files, for the reading and writing that
// the in-memory targets leave out: a file reads as its content does in
// memory, and after a save the file holds exactly the bytes promised.
#include "fuzzsupport.h"
#include "portconf.h"
#include "settingsfile.h"
#include "wificonffile.h"

#include <QFile>
#include <QTemporaryDir>

using atlume::WifiCredentials;
using fuzz::require;

namespace {

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

bool isOwnerOnly(const QString &path)
{
    return QFile::permissions(path) == (QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                        QFileDevice::ReadUser | QFileDevice::WriteUser);
}

bool same(const WifiCredentials &a, const WifiCredentials &b)
{
    return a.ssid == b.ssid && a.password == b.password;
}

void checkPortConf(const QString &path, const QByteArray &content)
{
    replaceFile(path, content);
    const atlume::PortConfValues values = fuzz::valuesOf(atlume::readPortConf(path));
    require(atlume::writePortConf(path, values), "the values read can be written back");
    require(contentOf(path) == atlume::portConfJson(values), "the file holds the bytes promised");
    require(isOwnerOnly(path), "the file is its owner's only");
    require(fuzz::readsAs(atlume::readPortConf(path), values),
            "the values written read back the same");
}

void checkWifiConfig(const QString &path, const QByteArray &content, const WifiCredentials &saved)
{
    replaceFile(path, content);
    const atlume::SettingsContent before = atlume::readSettingsContent(path);
    require(same(atlume::readWifiConfig(path), atlume::wifiCredentialsOf(before)),
            "the file reads as its content does");
    const std::optional<QByteArray> json = atlume::wifiConfigJson(before, saved);
    require(atlume::saveWifiConfig(path, saved) == json.has_value(),
            "the file is saved unless its content is to be left alone");
    require(contentOf(path) == json.value_or(content), "the file holds the bytes promised");
}

void checkSoftApConfig(const QString &path, const QByteArray &content, const WifiCredentials &saved)
{
    replaceFile(path, content);
    require(same(atlume::readSoftApConfig(path),
                 atlume::softApCredentialsOf(atlume::readSettingsContent(path))),
            "the softAP file reads as its content does");
    require(atlume::saveSoftApConfig(path, saved), "the softAP file is replaced");
    require(contentOf(path) == atlume::softApConfigJson(saved),
            "the softAP file holds the bytes promised");
    require(isOwnerOnly(path), "the softAP file is its owner's only");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QTemporaryDir dir;
    require(dir.isValid(), "a temporary directory can be made");
    fuzz::Input input(data, size);
    const WifiCredentials credentials = fuzz::takeCredentials(input);
    const QByteArray content = input.rest();
    if (!fuzz::nestsShallowly(content))
        return -1;

    checkPortConf(dir.filePath(QStringLiteral("ttyUSB0_CONF.json")), content);
    checkWifiConfig(dir.filePath(QStringLiteral("config.json")), content, credentials);
    checkSoftApConfig(dir.filePath(QStringLiteral("softAPConf.json")), content, credentials);
    return 0;
}
