#include "commandhistory.h"

#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTextCursor>

CommandHistory::CommandHistory(QPlainTextEdit *box) : QObject(box), box(box)
{
    box->installEventFilter(this);
}

void CommandHistory::add(const QString &command)
{
    if (sent.isEmpty() || sent.last() != command)
        sent.append(command);
    while (sent.size() > kMaxCommands)
        sent.removeFirst();
    current = sent.size();
    draft.clear();
}

bool CommandHistory::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != box || event->type() != QEvent::KeyPress)
        return false;
    const auto *key = static_cast<QKeyEvent *>(event);
    if (key->modifiers() != Qt::NoModifier && key->modifiers() != Qt::KeypadModifier)
        return false;
    // Only from the first or the last line: moving between the lines of a
    // command that spans several stays the box's own.
    QTextCursor cursor = box->textCursor();
    if (key->key() == Qt::Key_Up && !cursor.movePosition(QTextCursor::Up))
        return recall(-1);
    if (key->key() == Qt::Key_Down && !cursor.movePosition(QTextCursor::Down))
        return recall(+1);
    return false;
}

bool CommandHistory::recall(int step)
{
    const int next = current + step;
    if (next < 0 || next > sent.size())
        return false;
    if (current == sent.size())
        draft = box->toPlainText();
    current = next;
    box->setPlainText(current == sent.size() ? draft : sent.at(current));
    box->moveCursor(QTextCursor::End);
    return true;
}
