#include "portconf.h"

#include "settingsfile.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QJsonValue>
#include <QLatin1String>
#include <cmath>
#include <limits>

namespace atlume {

namespace {

const QLatin1String kProductId("ProductID");
const QLatin1String kDeviceName("DeviceName");
const QLatin1String kDeviceSecret("DeviceSecret");
const QLatin1String kBaudRate("BaudRate");
const QLatin1String kDataBits("DataBits");
const QLatin1String kFlowControl("FlowControl");
const QLatin1String kParity("Parity");
const QLatin1String kStopBits("StopBits");

constexpr int kBaudRates[] = {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};
constexpr int kParities[] = {0, 2, 3, 4, 5};

// Stored files have always turned a fractional number into 0, and 0 is a
// valid flow control and parity, so that stays. A whole number beyond int has
// no int form at all: it is refused here rather than cast, since a cast would
// be undefined and could wrap into an accepted value.
std::optional<int> integerMember(const QJsonObject &object, QLatin1String key)
{
    const QJsonValue value = object.value(key);
    if (!value.isDouble())
        return std::nullopt;
    const double number = value.toDouble();
    if (!std::isfinite(number))
        return std::nullopt;
    if (std::trunc(number) != number)
        return 0;
    if (number < std::numeric_limits<int>::min() || number > std::numeric_limits<int>::max())
        return std::nullopt;
    return static_cast<int>(number);
}

template <std::size_t N> bool isOneOf(int value, const int (&accepted)[N])
{
    for (int candidate : accepted) {
        if (candidate == value)
            return true;
    }
    return false;
}

std::optional<int> memberIf(const QJsonObject &object, QLatin1String key, bool (*accepts)(int))
{
    const std::optional<int> value = integerMember(object, key);
    if (value && accepts(*value))
        return value;
    return std::nullopt;
}

} // namespace

QString portConfPath(const QString &portName)
{
    return QStringLiteral("./conf/portConf/") + portName + QStringLiteral("_CONF.json");
}

PortConf readPortConf(const QString &path)
{
    const std::optional<QJsonObject> object = readSettingsObject(path);
    return object ? portConfOf(*object) : PortConf();
}

PortConf portConfOf(const QJsonObject &object)
{
    PortConf conf;
    conf.productId = stringMember(object, kProductId);
    conf.deviceName = stringMember(object, kDeviceName);
    conf.deviceSecret = stringMember(object, kDeviceSecret);
    conf.baudRate = memberIf(object, kBaudRate, [](int v) { return isOneOf(v, kBaudRates); });
    conf.dataBits = memberIf(object, kDataBits, [](int v) { return v >= 5 && v <= 8; });
    conf.flowControl = memberIf(object, kFlowControl, [](int v) { return v >= 0 && v <= 2; });
    conf.parity = memberIf(object, kParity, [](int v) { return isOneOf(v, kParities); });
    conf.stopBits = memberIf(object, kStopBits, [](int v) { return v >= 1 && v <= 3; });
    return conf;
}

QByteArray portConfJson(const PortConfValues &values)
{
    QJsonObject object;
    object.insert(kProductId, values.productId);
    object.insert(kDeviceName, values.deviceName);
    object.insert(kDeviceSecret, values.deviceSecret);
    object.insert(kBaudRate, values.baudRate);
    object.insert(kDataBits, values.dataBits);
    object.insert(kFlowControl, values.flowControl);
    object.insert(kParity, values.parity);
    object.insert(kStopBits, values.stopBits);
    return QJsonDocument(object).toJson(QJsonDocument::Indented);
}

bool writePortConf(const QString &path, const PortConfValues &values)
{
    return writeSettingsFile(path, portConfJson(values));
}

} // namespace atlume
