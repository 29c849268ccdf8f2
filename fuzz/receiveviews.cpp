// Feeds one byte stream, as a module could send it, to the reader of the
// cloud's messages and to the hex rows, in chunks of a size the input
// chooses and all at once, and checks what comes out against the stream.
#include "cloudmessages.h"
#include "fuzzsupport.h"
#include "hexrows.h"

#include <QVector>

using atlume::CloudMessage;
using atlume::CloudMessageReader;
using atlume::HexRows;
using fuzz::require;

namespace {

constexpr int kMaxChunkSize = 64;
constexpr int kMaxQos = 99;
// Two hex digits and a blank for each of a full row's bytes, but the last
// blank, then two blanks before the characters.
constexpr int kHexWidth = HexRows::kBytesPerRow * 3 - 1 + 2;

QVector<CloudMessage> readInChunks(const QByteArray &stream, int chunkSize)
{
    CloudMessageReader reader;
    QVector<CloudMessage> messages;
    for (int at = 0; at < stream.size(); at += chunkSize)
        messages += reader.feed(stream.mid(at, chunkSize));
    return messages;
}

bool same(const QVector<CloudMessage> &a, const QVector<CloudMessage> &b)
{
    if (a.size() != b.size())
        return false;
    for (int i = 0; i < a.size(); ++i) {
        if (a.at(i).topic != b.at(i).topic || a.at(i).qos != b.at(i).qos ||
            a.at(i).payload != b.at(i).payload)
            return false;
    }
    return true;
}

void checkMessages(const QByteArray &stream, int chunkSize)
{
    const QVector<CloudMessage> whole = CloudMessageReader().feed(stream);
    require(same(whole, readInChunks(stream, chunkSize)), "the reads' cuts change no message");
    for (const CloudMessage &message : whole) {
        require(message.payload.size() <= CloudMessageReader::kMaxBytes,
                "a payload is kept up to the bound");
        require(message.qos >= -1 && message.qos <= kMaxQos, "a QoS is one or two digits");
    }
}

void checkRow(const QByteArray &bytes, bool open)
{
    require(!bytes.isEmpty() && bytes.size() <= HexRows::kBytesPerRow, "a row holds 1 to 16 bytes");
    const int lineFeed = int(bytes.indexOf('\n'));
    if (open) {
        require(lineFeed == -1 && bytes.size() < HexRows::kBytesPerRow,
                "the open row is neither full nor ended");
    } else {
        require(lineFeed == -1 || lineFeed == bytes.size() - 1, "a line feed ends its row");
        require(lineFeed != -1 || bytes.size() == HexRows::kBytesPerRow,
                "a row ends full or after a line feed");
    }
    const QString shown = HexRows::format(bytes);
    require(shown.size() == kHexWidth + bytes.size(), "a row's characters line up");
    for (const QChar c : shown)
        require(c.unicode() >= 0x20 && c.unicode() < 0x7f, "a row shows printable ASCII only");
}

void checkHexRows(const QByteArray &stream, int chunkSize)
{
    HexRows rows;
    QByteArray shown;
    for (int at = 0; at < stream.size(); at += chunkSize) {
        for (const HexRows::Row &row : rows.feed(stream.mid(at, chunkSize), QString())) {
            checkRow(row.bytes, false);
            shown += row.bytes;
        }
    }
    if (rows.hasOpenRow()) {
        checkRow(rows.openRow().bytes, true);
        shown += rows.openRow().bytes;
    }
    require(shown == stream, "the rows hold every byte, in order");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::Input input(data, size);
    const int chunkSize = 1 + input.takeByte() % kMaxChunkSize;
    const QByteArray stream = input.rest();
    checkMessages(stream, chunkSize);
    checkHexRows(stream, chunkSize);
    return 0;
}
