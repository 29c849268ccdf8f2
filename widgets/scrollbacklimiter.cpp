#include "scrollbacklimiter.h"

#include <QAbstractTextDocumentLayout>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

namespace {

// What is left after a drop, as a share of each bound. A drop costs about as
// much as the lines it removes (the console's layout leaves the lines it
// keeps alone), so dropping a twentieth at a time costs no more a line than
// larger drops, keeps each drop to a few milliseconds, during which nothing
// is painted, and keeps the scrollback near its bound.
constexpr qreal kKeptShare = 0.95;

// The first block whose top lies at or below y.
QTextBlock firstBlockFrom(QTextDocument *document, qreal y)
{
    QAbstractTextDocumentLayout *layout = document->documentLayout();
    int low = 0;
    int high = document->blockCount() - 1;
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if (layout->blockBoundingRect(document->findBlockByNumber(middle)).top() < y)
            low = middle + 1;
        else
            high = middle;
    }
    return document->findBlockByNumber(low);
}

// The first block that starts at or after position.
QTextBlock firstBlockAt(QTextDocument *document, int position)
{
    if (position <= 0)
        return document->firstBlock();
    QTextBlock block = document->findBlock(position);
    if (block.isValid() && block.position() < position)
        block = block.next();
    return block.isValid() ? block : document->lastBlock();
}

} // namespace

ScrollbackLimiter::ScrollbackLimiter(QTextEdit *console)
    : QObject(console), document(console->document())
{
    // textChanged rather than the document's contentsChanged: clear() reports
    // only the former.
    connect(console, &QTextEdit::textChanged, this, &ScrollbackLimiter::consoleChanged);
}

void ScrollbackLimiter::setLimits(const Limits &limits)
{
    bounds = limits;
    enforce();
}

QString ScrollbackLimiter::markerText(qint64 droppedLines)
{
    return tr("（较早的 %1 行已从显示中移除）").arg(droppedLines);
}

void ScrollbackLimiter::enforce()
{
    consoleChanged();
}

void ScrollbackLimiter::consoleChanged()
{
    if (editing)
        return;
    editing = true;
    // Emptying the console (its clear button, another port) starts the count again.
    if (document->isEmpty()) {
        dropped = 0;
    } else if (isOverLimits()) {
        dropOldest();
    }
    editing = false;
}

bool ScrollbackLimiter::isOverLimits() const
{
    return document->size().height() > bounds.height ||
           document->characterCount() > bounds.characters || document->blockCount() > bounds.lines;
}

bool ScrollbackLimiter::startsWithMarker() const
{
    return dropped > 0 && document->firstBlock().text() == markerText(dropped);
}

void ScrollbackLimiter::dropOldest()
{
    // The first line kept is the first one below the excess of every bound.
    const qreal excessHeight = document->size().height() - kKeptShare * bounds.height;
    const int excessCharacters = document->characterCount() - int(kKeptShare * bounds.characters);
    const int excessLines = document->blockCount() - int(kKeptShare * bounds.lines);
    QTextBlock keep = firstBlockFrom(document, excessHeight);
    for (const QTextBlock &other : {firstBlockAt(document, excessCharacters),
                                    document->findBlockByNumber(qMax(0, excessLines))}) {
        if (other.blockNumber() > keep.blockNumber())
            keep = other;
    }
    // The newest line always stays, whatever its size, and a drop that would
    // take nothing but the old marker is no drop.
    const QTextBlock last = document->lastBlock();
    const QTextBlock newest =
        last.length() == 1 && last.previous().isValid() ? last.previous() : last;
    if (keep.blockNumber() > newest.blockNumber())
        keep = newest;
    const int oldMarker = startsWithMarker() ? 1 : 0;
    if (keep.blockNumber() <= oldMarker)
        return;
    dropped += keep.blockNumber() - oldMarker;

    // One edit: Qt lays the document out once for the removal and the marker.
    // The marker has a plain format of its own rather than that of the line
    // it goes before, which may be a picture.
    const QTextBlockFormat keptBlockFormat = keep.blockFormat();
    const QTextCharFormat keptCharFormat = keep.charFormat();
    QTextCursor cursor(document);
    cursor.beginEditBlock();
    cursor.setPosition(keep.position(), QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    cursor.insertText(markerText(dropped), QTextCharFormat());
    cursor.insertBlock(keptBlockFormat, keptCharFormat);
    cursor.endEditBlock();
}
