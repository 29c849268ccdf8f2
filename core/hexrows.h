#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>

namespace atlume {

// The received bytes as rows of a hex dump: up to 16 bytes a row, in
// upper-case hex pairs, then the same bytes as characters. A row also ends
// after a line feed, so that rows follow the module's lines. The last row
// stays open until it is full or ends; it grows as bytes arrive.
class HexRows {
public:
    static constexpr int kBytesPerRow = 16;

    struct Row {
        QString stamp; // when its first byte arrived; empty without timestamps
        QByteArray bytes;
    };

    // One row as shown, without stamp or line break: the pairs separated by
    // one blank and padded to the width of a full row, two blanks, then the
    // bytes as characters, printable ASCII as itself and any other byte as a dot.
    static QString format(const QByteArray &bytes);

    // Takes one read's bytes, which arrived at stamp, and returns the rows
    // they complete, the open row's first.
    QVector<Row> feed(const QByteArray &bytes, const QString &stamp);

    bool hasOpenRow() const { return !open.bytes.isEmpty(); }
    const Row &openRow() const { return open; }
    // Ends the open row where it is; the next byte begins a new one.
    Row endRow();

private:
    Row open;
};

} // namespace atlume
