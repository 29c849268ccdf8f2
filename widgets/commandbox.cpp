#include "commandbox.h"

#include "commandhistory.h"
#include "overlay.h"
#include "userchoices.h"

#include <QActionGroup>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTextBlock>

namespace {

using atlume::at::LineEnding;

const QString kHexSendKey = QStringLiteral("hexSend");
const QString kLineEndingKey = QStringLiteral("lineEnding");
const QString kShowSentKey = QStringLiteral("showSent");

struct EndingName {
    LineEnding ending;
    const char *key; // in the settings file
    const char *label;
};
const EndingName kEndings[] = {
    {LineEnding::CrLf, "CRLF", "CR LF"},
    {LineEnding::Lf, "LF", "LF"},
    {LineEnding::Cr, "CR", "CR"},
    {LineEnding::None, "none", QT_TRANSLATE_NOOP("CommandBox", "无")},
};

} // namespace

CommandBox::KeyAction CommandBox::keyAction(const QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return KeyAction::None;
    const auto *key = static_cast<const QKeyEvent *>(event);
    if (key->key() != Qt::Key_Return)
        return KeyAction::None;
    return key->modifiers() == Qt::AltModifier ? KeyAction::LineBreak : KeyAction::Send;
}

CommandBox::CommandBox(QPlainTextEdit *box, atlume::UserChoices *choices)
    : QObject(box), box(box), choices(choices), sent(new CommandHistory(box))
{
    box->installEventFilter(this);
    connect(box, &QPlainTextEdit::textChanged, this, &CommandBox::hideHint);
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

std::optional<CommandBox::Outgoing> CommandBox::outgoing()
{
    Outgoing out;
    if (hexSend()) {
        const atlume::HexBytes parsed = atlume::parseHexBytes(text());
        if (!parsed.isValid()) {
            showHexProblem(parsed);
            return std::nullopt;
        }
        hideHint();
        out.bytes = parsed.bytes;
        out.shown = atlume::hexPairs(parsed.bytes);
        return out;
    }
    out.line = atlume::at::commandFromBox(text());
    out.ending = lineEnding();
    out.bytes = atlume::at::wireLine(out.line, out.ending);
    out.shown = out.line;
    return out;
}

bool CommandBox::hexSend() const
{
    return choices->flag(kHexSendKey);
}

void CommandBox::setHexSend(bool on)
{
    choices->setFlag(kHexSendKey, on);
    if (!on)
        hideHint();
}

LineEnding CommandBox::lineEnding() const
{
    const QString key = choices->text(kLineEndingKey);
    for (const EndingName &name : kEndings) {
        if (key == QLatin1String(name.key))
            return name.ending;
    }
    return LineEnding::CrLf;
}

void CommandBox::setLineEnding(LineEnding ending)
{
    for (const EndingName &name : kEndings) {
        if (name.ending == ending)
            choices->setText(kLineEndingKey, QLatin1String(name.key));
    }
}

bool CommandBox::showsSent() const
{
    return choices->flag(kShowSentKey);
}

void CommandBox::setShowsSent(bool on)
{
    choices->setFlag(kShowSentKey, on);
}

QMenu *CommandBox::createContextMenu(const QPoint &position)
{
    QMenu *menu = box->createStandardContextMenu(position);
    menu->addSeparator();

    QAction *hex = menu->addAction(tr("十六进制发送"));
    hex->setObjectName(QStringLiteral("commandBoxHexAction"));
    hex->setCheckable(true);
    hex->setChecked(hexSend());
    connect(hex, &QAction::toggled, this, &CommandBox::setHexSend);

    QMenu *endings = menu->addMenu(tr("行尾"));
    endings->setObjectName(QStringLiteral("commandBoxLineEndingMenu"));
    auto *group = new QActionGroup(endings);
    for (const EndingName &name : kEndings) {
        QAction *choice = endings->addAction(tr(name.label));
        choice->setCheckable(true);
        choice->setChecked(lineEnding() == name.ending);
        group->addAction(choice);
        const LineEnding ending = name.ending;
        connect(choice, &QAction::triggered, this, [this, ending] { setLineEnding(ending); });
    }

    QAction *echo = menu->addAction(tr("显示发送内容"));
    echo->setObjectName(QStringLiteral("commandBoxShowSentAction"));
    echo->setCheckable(true);
    echo->setChecked(showsSent());
    connect(echo, &QAction::toggled, this, &CommandBox::setShowsSent);

    QAction *periodic = menu->addAction(tr("定时发送…"));
    periodic->setObjectName(QStringLiteral("commandBoxPeriodicAction"));
    connect(periodic, &QAction::triggered, this, &CommandBox::periodicSendRequested);

    QAction *quick = menu->addAction(tr("快捷指令"));
    quick->setObjectName(QStringLiteral("commandBoxQuickCommandsAction"));
    quick->setCheckable(true);
    quick->setChecked(quickShown);
    connect(quick, &QAction::toggled, this, &CommandBox::quickCommandsToggled);
    return menu;
}

bool CommandBox::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == box && event->type() == QEvent::ContextMenu) {
        const auto *request = static_cast<QContextMenuEvent *>(event);
        QMenu *menu = createContextMenu(request->pos());
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(request->globalPos());
        return true;
    }
    if (watched == box && event->type() == QEvent::Resize && hint && hint->isVisible())
        atlume::overlay::place(hint, box, Qt::BottomRightCorner);
    return QObject::eventFilter(watched, event);
}

void CommandBox::showHexProblem(const atlume::HexBytes &parsed)
{
    if (!hint) {
        hint = new QLabel(box);
        hint->setObjectName(QStringLiteral("commandBoxHint"));
        hint->setFrameShape(QFrame::StyledPanel);
        hint->setMargin(2);
        atlume::overlay::setUp(hint);
    }
    const QString text = this->text();
    if (parsed.problem == atlume::HexBytes::Problem::Empty) {
        hint->setText(tr("没有要发送的字节"));
    } else {
        const QString character = text.mid(parsed.position, 1);
        hint->setText(
            parsed.problem == atlume::HexBytes::Problem::LoneDigit
                ? tr("第 %1 个字符“%2”少了配对的另一位十六进制数字")
                      .arg(parsed.position + 1)
                      .arg(character)
                : tr("第 %1 个字符“%2”不是十六进制数字").arg(parsed.position + 1).arg(character));
        // The character at fault, selected, so the user sees where it is.
        QTextCursor at = box->textCursor();
        at.setPosition(parsed.position);
        at.setPosition(parsed.position + 1, QTextCursor::KeepAnchor);
        box->setTextCursor(at);
    }
    hint->adjustSize();
    hint->show();
    atlume::overlay::place(hint, box, Qt::BottomRightCorner);
}

void CommandBox::hideHint()
{
    if (hint)
        hint->hide();
}
