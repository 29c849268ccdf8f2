#include "commandbox.h"

#include "atcommands.h"
#include "commandhistory.h"

#include <QKeyEvent>
#include <QPlainTextEdit>

CommandBox::KeyAction CommandBox::keyAction(const QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return KeyAction::None;
    const auto *key = static_cast<const QKeyEvent *>(event);
    if (key->key() != Qt::Key_Return)
        return KeyAction::None;
    return key->modifiers() == Qt::AltModifier ? KeyAction::LineBreak : KeyAction::Send;
}

CommandBox::CommandBox(QPlainTextEdit *box) : QObject(box), box(box), sent(new CommandHistory(box))
{
}

QString CommandBox::text() const
{
    return box->document()->toPlainText();
}

bool CommandBox::clearIfBlank()
{
    if (!atlume::at::isBlank(text()))
        return false;
    box->clear();
    box->setFocus(Qt::MouseFocusReason);
    return true;
}

void CommandBox::remember(const QString &command)
{
    sent->add(command);
}
