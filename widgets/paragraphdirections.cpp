#include "paragraphdirections.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextOption>

namespace {

// Qt's rule for a paragraph whose direction is not set: its first strong
// character decides, and a paragraph without one runs left to right. Of
// ASCII, only the letters are strong, and they run left to right, which keeps
// the usual console line quick.
bool beginsRightToLeft(const QString &text)
{
    for (int i = 0; i < text.size(); ++i) {
        uint code = text.at(i).unicode();
        if (code < 0x80) {
            if ((code | 0x20) >= 'a' && (code | 0x20) <= 'z')
                return false;
            continue;
        }
        if (QChar::isHighSurrogate(code) && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            code = QChar::surrogateToUcs4(ushort(code), text.at(++i).unicode());
        switch (QChar::direction(code)) {
        case QChar::DirL:
            return false;
        case QChar::DirR:
        case QChar::DirAL:
            return true;
        default:
            break;
        }
    }
    return false;
}

} // namespace

ParagraphDirections::ParagraphDirections(QTextDocument *document) : document(document)
{
    // Every paragraph now runs left to right unless mark() says otherwise.
    QTextOption option = document->defaultTextOption();
    option.setTextDirection(Qt::LeftToRight);
    document->setDefaultTextOption(option);
}

void ParagraphDirections::noteChange(int position, int charsAdded)
{
    changedFrom = changedFrom < 0 ? position : qMin(changedFrom, position);
    changedTo = qMax(changedTo, position + charsAdded);
}

void ParagraphDirections::mark()
{
    if (changedFrom < 0)
        return;
    // Blocks, not a cursor: a cursor placed in a paragraph makes Qt work out
    // and keep that paragraph's character attributes, a lot of memory for a
    // long line.
    const int end = document->characterCount() - 1;
    QTextBlock block = document->findBlock(qMin(changedFrom, end));
    const QTextBlock last = document->findBlock(qMin(changedTo, end));
    changedFrom = changedTo = -1;
    for (; block.isValid(); block = block.next()) {
        const bool rightToLeft = beginsRightToLeft(block.text());
        // Until a paragraph has been marked, none can have taken the mark
        // over from the paragraph it was split from.
        const bool marked =
            markedRightToLeft && block.blockFormat().layoutDirection() == Qt::RightToLeft;
        if (rightToLeft != marked) {
            QTextBlockFormat direction;
            direction.setLayoutDirection(rightToLeft ? Qt::RightToLeft : Qt::LayoutDirectionAuto);
            QTextCursor(block).mergeBlockFormat(direction);
            markedRightToLeft = markedRightToLeft || rightToLeft;
        }
        if (block == last)
            break;
    }
}
