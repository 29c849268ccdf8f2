#include "hexrows.h"

namespace atlume {

namespace {
constexpr int kPairWidth = 3; // two digits and a blank
constexpr int kHexWidth = HexRows::kBytesPerRow * kPairWidth - 1;
constexpr char kDigits[] = "0123456789ABCDEF";
constexpr char kFirstPrintable = 0x20;
constexpr char kLastPrintable = 0x7e;
} // namespace

QString HexRows::format(const QByteArray &bytes)
{
    QString row(kHexWidth + 2 + bytes.size(), QLatin1Char(' '));
    QChar *out = row.data();
    QChar *text = out + kHexWidth + 2;
    for (int i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes.at(i));
        out[i * kPairWidth] = QLatin1Char(kDigits[byte >> 4]);
        out[i * kPairWidth + 1] = QLatin1Char(kDigits[byte & 0x0f]);
        const char c = bytes.at(i);
        text[i] = QLatin1Char(c >= kFirstPrintable && c <= kLastPrintable ? c : '.');
    }
    return row;
}

QVector<HexRows::Row> HexRows::feed(const QByteArray &bytes, const QString &stamp)
{
    QVector<Row> rows;
    int from = 0;
    int lineFeed = int(bytes.indexOf('\n'));
    while (from < bytes.size()) {
        if (open.bytes.isEmpty())
            open.stamp = stamp;
        // Looked for again only once passed: a long read without line feeds
        // is searched once, not once a row.
        if (lineFeed != -1 && lineFeed < from)
            lineFeed = int(bytes.indexOf('\n', from));
        const int room = kBytesPerRow - int(open.bytes.size());
        const bool ends = lineFeed != -1 && lineFeed - from < room;
        const int take = ends ? lineFeed - from + 1 : qMin(room, int(bytes.size()) - from);
        open.bytes.append(bytes.constData() + from, take);
        from += take;
        if (ends || open.bytes.size() == kBytesPerRow)
            rows.append(endRow());
    }
    return rows;
}

HexRows::Row HexRows::endRow()
{
    Row row = open;
    open = Row();
    return row;
}

} // namespace atlume
