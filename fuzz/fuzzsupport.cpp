#include "fuzzsupport.h"

#include <QVector>
#include <cstdio>
#include <cstdlib>
#include <sanitizer/lsan_interface.h>

namespace fuzz {

namespace {

// Bytes in a sequence that starts with lead, 0 for a byte that starts none.
int sequenceLength(uchar lead)
{
    if (lead < 0x80)
        return 1;
    if (lead >= 0xc2 && lead <= 0xdf)
        return 2;
    if (lead >= 0xe0 && lead <= 0xef)
        return 3;
    if (lead >= 0xf0 && lead <= 0xf4)
        return 4;
    return 0;
}

// The narrower second-byte ranges after E0, ED, F0 and F4 are what rule out
// overlong forms, encoded surrogates and code points past U+10FFFF.
bool fitsAfter(uchar lead, uchar second)
{
    const uchar low = lead == 0xe0 ? 0xa0 : lead == 0xf0 ? 0x90 : 0x80;
    const uchar high = lead == 0xed ? 0x9f : lead == 0xf4 ? 0x8f : 0xbf;
    return second >= low && second <= high;
}

} // namespace

void require(bool holds, const char *property)
{
    if (holds)
        return;
    std::fprintf(stderr, "property broken: %s\n", property);
    std::abort();
}

Input::Input(const uint8_t *data, size_t size)
    : bytes(reinterpret_cast<const char *>(data), int(size))
{
}

int Input::takeByte()
{
    return offset < bytes.size() ? uchar(bytes.at(offset++)) : 0;
}

QByteArray Input::take(int count)
{
    const QByteArray taken = bytes.mid(offset, count);
    offset += taken.size();
    return taken;
}

QByteArray Input::rest()
{
    return take(bytes.size() - offset);
}

int unfinishedUtf8Tail(const QByteArray &bytes)
{
    int i = 0;
    while (i < bytes.size()) {
        const uchar lead = bytes.at(i);
        const int length = sequenceLength(lead);
        if (length == 0)
            return -1;
        for (int k = 1; k < length; ++k) {
            if (i + k == bytes.size())
                return k;
            const uchar next = bytes.at(i + k);
            if (k == 1 ? !fitsAfter(lead, next) : (next & 0xc0) != 0x80)
                return -1;
        }
        i += length;
    }
    return 0;
}

QString fromUtf16Bytes(const QByteArray &bytes)
{
    return QString(reinterpret_cast<const QChar *>(bytes.constData()), bytes.size() / 2);
}

QByteArray utf8Of(const QString &text)
{
    QByteArray utf8;
    const QVector<uint> codePoints = text.toUcs4();
    for (uint c : codePoints) {
        if (c < 0x80) {
            utf8 += char(c);
            continue;
        }
        const int continuations = c < 0x800 ? 1 : c < 0x10000 ? 2 : 3;
        const uchar leadMarks[] = {0, 0xc0, 0xe0, 0xf0};
        utf8 += char(leadMarks[continuations] | (c >> (6 * continuations)));
        for (int k = continuations - 1; k >= 0; --k)
            utf8 += char(0x80 | ((c >> (6 * k)) & 0x3f));
    }
    return utf8;
}

bool hasLoneSurrogate(const QString &text)
{
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
        else if (c.isSurrogate())
            return true;
    }
    return false;
}

atlume::SettingsContent parseSettings(const QByteArray &bytes)
{
    const __lsan::ScopedDisabler qtLeaksJson;
    return atlume::parseSettings(bytes);
}

atlume::PortConfValues valuesOf(const atlume::PortConf &conf)
{
    atlume::PortConfValues values;
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

bool readsAs(const atlume::PortConf &conf, const atlume::PortConfValues &values)
{
    return conf.productId == values.productId && conf.deviceName == values.deviceName &&
           conf.deviceSecret == values.deviceSecret && conf.baudRate == values.baudRate &&
           conf.dataBits == values.dataBits && conf.flowControl == values.flowControl &&
           conf.parity == values.parity && conf.stopBits == values.stopBits;
}

atlume::WifiCredentials takeCredentials(Input &input)
{
    const int header = input.takeByte();
    const QByteArray bytes = input.take(header & 0x7f);
    const QString text = header & 0x80 ? fromUtf16Bytes(bytes) : QString::fromUtf8(bytes);
    return {text.left(text.size() / 2), text.mid(text.size() / 2)};
}

bool nestsShallowly(const QByteArray &json)
{
    constexpr int kMaxBrackets = 100;
    return json.count('[') + json.count('{') <= kMaxBrackets;
}

SplitText takeSplitText(Input &input)
{
    const int choice = input.takeByte();
    const QByteArray bytes = input.rest();
    SplitText text;
    text.whole = choice & 1 ? fromUtf16Bytes(bytes) : QString::fromUtf8(bytes);
    const int split = (choice >> 1) % (text.whole.size() + 1);
    text.front = text.whole.left(split);
    text.back = text.whole.mid(split);
    text.spareBits = choice >> 6;
    return text;
}

} // namespace fuzz
