// Reads a per-port settings file made of the fuzzer's bytes, then writes what
// it read and reads that again.
#include "portconf.h"
#include "fuzzsupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <algorithm>

using atlume::PortConf;
using atlume::PortConfValues;
using fuzz::require;

namespace {

constexpr int kBaudRates[] = {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};
constexpr int kParities[] = {0, 2, 3, 4, 5};

template <typename T> bool isNoneOrIn(const std::optional<T> &value, int low, int high)
{
    return !value || (*value >= low && *value <= high);
}

template <std::size_t N> bool isNoneOrOneOf(const std::optional<int> &value, const int (&values)[N])
{
    return !value || std::find(std::begin(values), std::end(values), *value) != std::end(values);
}

void checkRanges(const PortConf &conf)
{
    require(isNoneOrOneOf(conf.baudRate, kBaudRates), "a baud rate read is one of the list");
    require(isNoneOrIn(conf.dataBits, 5, 8), "data bits read lie in 5 to 8");
    require(isNoneOrIn(conf.flowControl, 0, 2), "a flow control read lies in 0 to 2");
    require(isNoneOrOneOf(conf.parity, kParities), "a parity read is 0, 2, 3, 4 or 5");
    require(isNoneOrIn(conf.stopBits, 1, 3), "stop bits read lie in 1 to 3");
}

// What the window would save after loading conf: its defaults where the file
// gave nothing.
PortConfValues valuesOf(const PortConf &conf)
{
    PortConfValues values;
    values.productId = conf.productId.value_or(values.productId);
    values.deviceName = conf.deviceName.value_or(values.deviceName);
    values.deviceSecret = conf.deviceSecret.value_or(values.deviceSecret);
    values.baudRate = conf.baudRate.value_or(values.baudRate);
    values.dataBits = conf.dataBits.value_or(values.dataBits);
    values.flowControl = conf.flowControl.value_or(values.flowControl);
    values.parity = conf.parity.value_or(values.parity);
    values.stopBits = conf.stopBits.value_or(values.stopBits);
    return values;
}

bool readsAs(const PortConf &conf, const PortConfValues &values)
{
    return conf.productId == values.productId && conf.deviceName == values.deviceName &&
           conf.deviceSecret == values.deviceSecret && conf.baudRate == values.baudRate &&
           conf.dataBits == values.dataBits && conf.flowControl == values.flowControl &&
           conf.parity == values.parity && conf.stopBits == values.stopBits;
}

QByteArray contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A number close to where the accepted ranges end: small whole numbers, the
// neighbours of each baud rate, fractions, and whole numbers past int that a
// cast would wrap.
QByteArray numberNearTheEdges(int kind, int value)
{
    switch (kind % 4) {
    case 0:
        return QByteArray::number(value - 16);
    case 1:
        return QByteArray::number(kBaudRates[value % 8] + value / 8 % 3 - 1);
    case 2:
        return QByteArray::number(value / 4.0);
    default:
        return QByteArray::number((value % 5 - 2) * (Q_INT64_C(1) << 32) + value % 10);
    }
}

// Bytes of a file rarely spell a number beside its member's name, so an input
// that starts with kNumbersMark is no file but two bytes for each number of
// one.
constexpr int kNumbersMark = 1;

QByteArray fileContent(const uint8_t *data, size_t size)
{
    fuzz::Input input(data, size);
    if (size == 0 || input.takeByte() != kNumbersMark)
        return QByteArray(reinterpret_cast<const char *>(data), int(size));
    QByteArray json("{");
    for (const char *key : {"BaudRate", "DataBits", "FlowControl", "Parity", "StopBits"}) {
        const int kind = input.takeByte();
        json += QByteArray("\"") + key + "\": " + numberNearTheEdges(kind, input.takeByte()) + ",";
    }
    json.chop(1);
    return json + "}";
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QTemporaryDir dir;
    require(dir.isValid(), "a temporary directory can be made");
    const QByteArray content = fileContent(data, size);
    if (!fuzz::nestsShallowly(content))
        return -1;
    const QString path = dir.filePath(QStringLiteral("ttyUSB0_CONF.json"));
    QFile file(path);
    require(file.open(QIODevice::WriteOnly | QIODevice::Truncate), "the file can be written");
    file.write(content);
    file.close();

    const PortConf read = atlume::readPortConf(path);
    checkRanges(read);
    const PortConfValues values = valuesOf(read);
    require(atlume::writePortConf(path, values), "the values read can be written back");
    require(contentOf(path) == atlume::portConfJson(values), "the file holds the bytes promised");
    require(readsAs(atlume::readPortConf(path), values), "the values written read back the same");
    return 0;
}
