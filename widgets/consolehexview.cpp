#include "consolehexview.h"

#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextDocument>
#include <QTextEdit>

namespace {

QString shownRow(const atlume::HexRows::Row &row)
{
    return row.stamp + atlume::HexRows::format(row.bytes) + QLatin1Char('\n');
}

QTextCursor endOf(QTextDocument *document)
{
    QTextCursor end(document);
    end.movePosition(QTextCursor::End);
    return end;
}

} // namespace

ConsoleHexView::ConsoleHexView(QTextEdit *view) : view(view) {}

bool ConsoleHexView::openRowIsLast() const
{
    return rows.hasOpenRow() && !openRowStart.isNull() &&
           openRowStart.position() + openRowLength == endOf(view->document()).position();
}

ConsoleHexView::Shown ConsoleHexView::show(const QByteArray &bytes, const QString &stamp,
                                           const QTextCharFormat &format)
{
    Shown shown;
    QTextCursor end = endOf(view->document());
    end.beginEditBlock();
    if (openRowIsLast()) {
        end.setPosition(openRowStart.position(), QTextCursor::KeepAnchor);
        end.removeSelectedText();
        shown.addedLines = -1;
    } else {
        shown.finishedRows = endRow();
    }
    QString text;
    const QVector<atlume::HexRows::Row> finished = rows.feed(bytes, stamp);
    for (const atlume::HexRows::Row &row : finished)
        text += shownRow(row);
    shown.finishedRows += text;
    const QString open = rows.hasOpenRow() ? shownRow(rows.openRow()) : QString();
    text += open;
    // Rows begin lines of their own, also after a paragraph of the window's
    // that did not end its line.
    if (!end.block().text().isEmpty())
        end.insertBlock(end.blockFormat(), format);
    end.insertText(text, format);
    end.endEditBlock();

    openRowLength = int(open.size());
    openRowStart = end;
    openRowStart.setPosition(end.position() - openRowLength);
    shown.addedLines += int(finished.size()) + (open.isEmpty() ? 0 : 1);
    return shown;
}

QString ConsoleHexView::endRow()
{
    openRowStart = QTextCursor();
    openRowLength = 0;
    return rows.hasOpenRow() ? shownRow(rows.endRow()) : QString();
}
