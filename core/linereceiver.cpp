#include "linereceiver.h"

#include <QTextCodec>

namespace atlume {

namespace {

QTextDecoder *makeUtf8Decoder()
{
    // Without IgnoreHeader the decoder takes a U+FEFF that happens to arrive
    // first in a read (or first after a split character) for a byte-order
    // mark and drops it. A serial stream has no header: every character counts.
    return QTextCodec::codecForName("UTF-8")->makeDecoder(QTextCodec::IgnoreHeader);
}

} // namespace

LineReceiver::LineReceiver(int maxHeld) : decoder(makeUtf8Decoder()), maxHeld(qMax(2, maxHeld)) {}

LineReceiver::~LineReceiver() = default;

QStringList LineReceiver::feed(const QByteArray &chunk)
{
    if (chunk.isEmpty())
        return QStringList();
    QString text = decoder->toUnicode(chunk);
    text.remove(QChar(0));
    if (text.isEmpty())
        return QStringList();

    // The CR of a CR LF may be the last character of the previous chunk, so
    // an LF at the very start of the new text still looks one step back.
    const int searchFrom = buffer.size();
    if (buffer.isEmpty())
        buffer = text;
    else
        buffer.append(text);
    return takePieces(searchFrom);
}

QStringList LineReceiver::takePieces(int searchFrom)
{
    QStringList pieces;
    int lineStart = 0;
    int lf = buffer.indexOf(QLatin1Char('\n'), searchFrom);
    for (;;) {
        while (lf != -1 && (lf == lineStart || buffer.at(lf - 1) != QLatin1Char('\r')))
            lf = buffer.indexOf(QLatin1Char('\n'), lf + 1);
        // Held text reaches the bound one character before a line of the
        // bound's length would end, so such a line still arrives whole.
        const int end = lf == -1 ? buffer.size() : lf + 1;
        if (lf != -1 && end - lineStart <= maxHeld) {
            pieces.append(buffer.mid(lineStart, end - lineStart));
            lineStart = end;
            lf = buffer.indexOf(QLatin1Char('\n'), lineStart);
        } else if (end - lineStart >= maxHeld) {
            const int cut = cutPosition(lineStart);
            pieces.append(buffer.mid(lineStart, cut - lineStart));
            lineStart = cut;
        } else {
            break;
        }
    }
    if (lineStart == buffer.size())
        buffer.clear();
    else if (lineStart > 0)
        buffer.remove(0, lineStart);
    return pieces;
}

bool LineReceiver::isLine(const QString &piece)
{
    return piece.endsWith(QLatin1String("\r\n"));
}

int LineReceiver::cutPosition(int lineStart) const
{
    // Never between the two halves of a surrogate pair: each piece is shown
    // on its own, and half a character would show as two broken ones.
    const int cut = lineStart + maxHeld;
    return buffer.at(cut - 1).isHighSurrogate() ? cut - 1 : cut;
}

void LineReceiver::reset()
{
    buffer.clear();
    decoder.reset(makeUtf8Decoder());
}

} // namespace atlume
