// Reads the fuzzer's bytes as a per-port settings file, in memory, then
// writes what it read and reads that again.
#include "portconf.h"
#include "fuzzsupport.h"
#include "settingsfile.h"

#include <algorithm>

using atlume::PortConf;
using atlume::PortConfValues;
using fuzz::readsAs;
using fuzz::require;
using fuzz::valuesOf;

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
    const QByteArray content = fileContent(data, size);
    const PortConf read = atlume::portConfOf(fuzz::parseSettings(content).object);
    checkRanges(read);
    const PortConfValues values = valuesOf(read);
    const atlume::SettingsContent written = fuzz::parseSettings(atlume::portConfJson(values));
    require(written.kind == atlume::SettingsContent::Object, "the values read are written as JSON");
    require(readsAs(atlume::portConfOf(written.object), values),
            "the values written read back the same");
    return 0;
}
