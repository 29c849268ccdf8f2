#include "consolefindbar.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

ConsoleFindBar::ConsoleFindBar(QWidget *parent)
    : QFrame(parent), field(new QLineEdit(this)), status(new QLabel(this))
{
    setObjectName(QStringLiteral("consoleFindBar"));
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    field->setObjectName(QStringLiteral("consoleFindField"));
    field->setPlaceholderText(tr("查找"));
    field->setClearButtonEnabled(true);
    field->installEventFilter(this);
    status->setObjectName(QStringLiteral("consoleFindStatus"));
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->addWidget(field);
    layout->addWidget(status);
    // Typing starts over from the current place rather than from the last match.
    connect(field, &QLineEdit::textEdited, this, [this] { setNoMatch(false); });
}

void ConsoleFindBar::activate()
{
    field->setFocus(Qt::ShortcutFocusReason);
    field->selectAll();
}

void ConsoleFindBar::setNoMatch(bool noMatch)
{
    status->setText(noMatch ? tr("无匹配") : QString());
}

bool ConsoleFindBar::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != field || event->type() != QEvent::KeyPress)
        return QFrame::eventFilter(watched, event);
    const auto *key = static_cast<QKeyEvent *>(event);
    const bool backward = key->modifiers().testFlag(Qt::ShiftModifier);
    switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_F3:
        emit findRequested(field->text(), backward);
        return true;
    case Qt::Key_Escape:
        hide();
        emit closed();
        return true;
    default:
        return QFrame::eventFilter(watched, event);
    }
}
