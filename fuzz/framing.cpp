// Feeds one byte stream to LineReceiver twice, split into chunks as the input
// chooses and all at once, with a bound small enough that short inputs reach
// it, and checks what comes out against the stream itself.
#include "fuzzsupport.h"
#include "linereceiver.h"

#include <QTextCodec>
#include <QVector>
#include <memory>

using atlume::LineReceiver;
using fuzz::require;

namespace {

constexpr int kMaxChunkSize = 20;
constexpr int kMaxChunkSizes = 8;
constexpr int kMaxSmallBound = 65;

struct Feeding {
    QStringList pieces;
    QString pending;
    bool cut = false;
};

void collect(LineReceiver &receiver, const QByteArray &chunk, int maxHeld, Feeding &feeding)
{
    for (const QString &piece : receiver.feed(chunk)) {
        feeding.pieces.append(piece);
        feeding.cut = feeding.cut || !LineReceiver::isLine(piece);
    }
    feeding.pending = receiver.pending();
    require(feeding.pending.size() < maxHeld, "held text stays below the bound");
}

Feeding feedInChunks(const QByteArray &stream, const QVector<int> &sizes, int maxHeld)
{
    LineReceiver receiver(maxHeld);
    Feeding feeding;
    int offset = 0;
    for (int i = 0; offset < stream.size(); ++i) {
        const int size = sizes.at(i % sizes.size());
        collect(receiver, stream.mid(offset, size), maxHeld, feeding);
        offset += size;
    }
    return feeding;
}

// The unit's decoding without its framing: one decoder, the whole stream.
QString decodedWhole(const QByteArray &stream)
{
    const std::unique_ptr<QTextDecoder> decoder(
        QTextCodec::codecForName("UTF-8")->makeDecoder(QTextCodec::IgnoreHeader));
    return decoder->toUnicode(stream).remove(QChar(0));
}

void checkPieceEnds(const QStringList &pieces, const QString &pending)
{
    for (const QString &piece : pieces) {
        const int crLf = piece.indexOf(QLatin1String("\r\n"));
        if (LineReceiver::isLine(piece))
            require(crLf == piece.size() - 2, "a line holds no CR LF before its end");
        else
            require(crLf == -1, "a piece cut at the bound holds no CR LF");
    }
    require(!pending.contains(QLatin1String("\r\n")), "held text holds no CR LF");
}

// Cuts come exactly at the bound, one short of it only so as not to split a
// surrogate pair, and a line no longer than the bound that begins where
// holding starts over is never cut.
void checkCuts(const Feeding &feeding, int maxHeld)
{
    const QString all = feeding.pieces.join(QString()) + feeding.pending;
    int offset = 0;
    int crLf = all.indexOf(QLatin1String("\r\n"));
    for (const QString &piece : feeding.pieces) {
        if (crLf != -1 && crLf < offset)
            crLf = all.indexOf(QLatin1String("\r\n"), offset);
        const int lineEnd = crLf + 2;
        if (crLf != -1 && lineEnd - offset <= maxHeld)
            require(piece.size() == lineEnd - offset, "a line within the bound arrives whole");
        offset += piece.size();
        require(!(all.at(offset - 1).isHighSurrogate() && offset < all.size() &&
                  all.at(offset).isLowSurrogate()),
                "no piece ends between the halves of a surrogate pair");
        if (LineReceiver::isLine(piece)) {
            require(piece.size() <= maxHeld, "no line is longer than the bound");
            continue;
        }
        const bool keepsPair =
            piece.size() == maxHeld - 1 && offset < all.size() && all.at(offset).isHighSurrogate();
        require(piece.size() == maxHeld || keepsPair, "a cut piece has the bound's length");
    }
}

QString asciiOf(const QString &text)
{
    QString ascii;
    for (QChar c : text) {
        if (c.unicode() < 0x80)
            ascii += c;
    }
    return ascii;
}

QString asciiOf(const QByteArray &bytes)
{
    QString ascii;
    for (char c : bytes) {
        if (c != 0 && uchar(c) < 0x80)
            ascii += QLatin1Char(c);
    }
    return ascii;
}

// The stream less its zero bytes, cut after every CR LF byte pair, with only
// the ASCII bytes of each line kept.
QStringList asciiLinesOf(QByteArray stream)
{
    stream.replace('\0', QByteArray());
    QStringList lines;
    int start = 0;
    for (int end = stream.indexOf("\r\n"); end != -1; end = stream.indexOf("\r\n", start)) {
        lines.append(asciiOf(stream.mid(start, end + 2 - start)));
        start = end + 2;
    }
    return lines;
}

// Bytes that are not UTF-8 may turn into a different number of U+FFFD when a
// broken sequence is cut across reads than when it is read whole, so texts
// can differ between splits. Line boundaries cannot: CR, LF and every other
// ASCII byte decode to themselves whatever the split, and a CR LF in the text
// comes only from a CR byte and an LF byte that are adjacent once the zero
// bytes are gone. So any feeding that made no cut hands out one line per such
// byte pair, holding the ASCII bytes between the pairs. Once a cut happened,
// the bound counts characters, U+FFFD included, and only the whole text
// keeps its ASCII bytes.
void checkBoundaries(const Feeding &feeding, const QByteArray &stream)
{
    const QString all = feeding.pieces.join(QString()) + feeding.pending;
    require(asciiOf(all) == asciiOf(stream), "every ASCII byte but zero arrives, in order");
    if (feeding.cut)
        return;
    QStringList lines;
    for (const QString &piece : feeding.pieces)
        lines.append(asciiOf(piece));
    require(lines == asciiLinesOf(stream), "one line per CR LF byte pair, at the same place");
}

void checkFeeding(const Feeding &feeding, const QByteArray &stream, int maxHeld)
{
    checkPieceEnds(feeding.pieces, feeding.pending);
    checkCuts(feeding, maxHeld);
    checkBoundaries(feeding, stream);
}

// One chunk size per byte, an empty chunk now and then; no sizes at all, or
// only empty ones, means one byte at a time.
QVector<int> chunkSizes(fuzz::Input &input)
{
    QVector<int> sizes;
    const int count = input.takeByte() % kMaxChunkSizes;
    int total = 0;
    for (int i = 0; i < count; ++i) {
        sizes.append(input.takeByte() % (kMaxChunkSize + 1));
        total += sizes.last();
    }
    if (total == 0)
        sizes.append(1);
    return sizes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::Input input(data, size);
    const int boundChoice = input.takeByte();
    const int maxHeld = boundChoice % 4 == 0 ? LineReceiver::kDefaultMaxHeld
                                             : 2 + (boundChoice >> 2) % (kMaxSmallBound - 1);
    const QVector<int> sizes = chunkSizes(input);
    const QByteArray stream = input.rest();

    const Feeding split = feedInChunks(stream, sizes, maxHeld);
    checkFeeding(split, stream, maxHeld);
    Feeding whole;
    LineReceiver receiver(maxHeld);
    collect(receiver, stream, maxHeld, whole);
    checkFeeding(whole, stream, maxHeld);

    const QString decoded = decodedWhole(stream);
    require(whole.pieces.join(QString()) + whole.pending == decoded,
            "read at once, the pieces and the held text are the decoded stream");
    if (fuzz::unfinishedUtf8Tail(stream) >= 0)
        require(split.pieces.join(QString()) + split.pending == decoded,
                "for UTF-8, any split gives the text of the stream read at once");
    return 0;
}
