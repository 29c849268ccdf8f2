#include "hexbytes.h"

namespace atlume {

namespace {

bool isSeparator(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\r') ||
           c == QLatin1Char('\n') || c == QLatin1Char(',');
}

int hexValue(QChar c)
{
    const ushort u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

HexBytes fault(HexBytes::Problem problem, int position)
{
    HexBytes parsed;
    parsed.problem = problem;
    parsed.position = position;
    return parsed;
}

} // namespace

HexBytes parseHexBytes(const QString &text)
{
    HexBytes parsed;
    const int size = text.size();
    int at = 0;
    while (at < size) {
        if (isSeparator(text.at(at))) {
            ++at;
            continue;
        }
        // A 0x in front of a pair, not the pair 0 and whatever follows.
        if (text.at(at) == QLatin1Char('0') && at + 2 < size &&
            (text.at(at + 1) == QLatin1Char('x') || text.at(at + 1) == QLatin1Char('X')) &&
            hexValue(text.at(at + 2)) >= 0)
            at += 2;
        const int high = hexValue(text.at(at));
        if (high < 0)
            return fault(HexBytes::Problem::NotHexDigit, at);
        if (at + 1 >= size || isSeparator(text.at(at + 1)))
            return fault(HexBytes::Problem::LoneDigit, at);
        const int low = hexValue(text.at(at + 1));
        if (low < 0)
            return fault(HexBytes::Problem::NotHexDigit, at + 1);
        parsed.bytes.append(char(high * 16 + low));
        at += 2;
    }
    if (parsed.bytes.isEmpty())
        return fault(HexBytes::Problem::Empty, -1);
    return parsed;
}

QString hexPairs(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

} // namespace atlume
