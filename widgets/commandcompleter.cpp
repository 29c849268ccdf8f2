#include "commandcompleter.h"

#include "atcommandtable.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QCoreApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QTextBlock>
#include <QTreeView>

namespace {
// Room for the columns' margins beside the widest texts.
constexpr int kPopupMarginPx = 24;
} // namespace

CommandCompleter::CommandCompleter(QPlainTextEdit *box, std::function<bool()> wanted)
    : QObject(box), box(box), wanted(std::move(wanted)), table(new QStandardItemModel(this)),
      commands(new QCompleter(this))
{
    for (const atlume::at::CommandInfo &info : atlume::at::commandTable()) {
        table->appendRow({new QStandardItem(atlume::at::commandTemplate(info)),
                          new QStandardItem(QCoreApplication::translate(
                              atlume::at::kDescriptionContext, info.description))});
    }
    auto *popup = new QTreeView;
    popup->setObjectName(QStringLiteral("commandCompletionList"));
    popup->setHeaderHidden(true);
    popup->setRootIsDecorated(false);
    popup->setUniformRowHeights(true);
    popup->setSelectionBehavior(QAbstractItemView::SelectRows);
    commands->setModel(table);
    commands->setPopup(popup);
    commands->setCaseSensitivity(Qt::CaseInsensitive);
    commands->setCompletionMode(QCompleter::PopupCompletion);
    commands->setWidget(box);
    // Before the completer's own filter, which would hand Return to the box.
    popup->installEventFilter(this);
    box->installEventFilter(this);
    connect(commands, qOverload<const QString &>(&QCompleter::activated), this,
            &CommandCompleter::insert);
    connect(box, &QPlainTextEdit::textChanged, this, &CommandCompleter::narrow);
}

bool CommandCompleter::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    const auto *key = static_cast<const QKeyEvent *>(event);
    if (watched == box && key->key() == Qt::Key_Space && key->modifiers() == Qt::ControlModifier &&
        wanted()) {
        open();
        return true;
    }
    QAbstractItemView *popup = commands->popup();
    const bool choose =
        key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter || key->key() == Qt::Key_Tab;
    if (watched == popup && choose && popup->currentIndex().isValid()) {
        const QModelIndex chosen = popup->currentIndex();
        popup->hide();
        insert(chosen.sibling(chosen.row(), 0).data().toString());
        return true;
    }
    return QObject::eventFilter(watched, event);
}

QString CommandCompleter::typed() const
{
    const QTextCursor cursor = box->textCursor();
    return cursor.block().text().left(cursor.positionInBlock()).trimmed();
}

void CommandCompleter::open()
{
    if (!offer())
        return;
    auto *popup = static_cast<QTreeView *>(commands->popup());
    popup->resizeColumnToContents(0);
    popup->resizeColumnToContents(1);
    QRect place = box->cursorRect();
    place.setWidth(popup->columnWidth(0) + popup->columnWidth(1) +
                   popup->verticalScrollBar()->sizeHint().width() + kPopupMarginPx);
    commands->complete(place);
    popup->setCurrentIndex(commands->completionModel()->index(0, 0));
}

// As the user types on with the list open, it keeps only what still fits.
void CommandCompleter::narrow()
{
    QAbstractItemView *popup = commands->popup();
    if (!popup->isVisible())
        return;
    if (!offer()) {
        popup->hide();
        return;
    }
    popup->setCurrentIndex(commands->completionModel()->index(0, 0));
}

bool CommandCompleter::offer()
{
    commands->setCompletionPrefix(typed());
    return commands->completionCount() > 0;
}

void CommandCompleter::insert(const QString &command)
{
    QTextCursor cursor = box->textCursor();
    const QString line = cursor.block().text().left(cursor.positionInBlock());
    // What was typed is replaced, the blanks before it kept.
    int lead = 0;
    while (lead < line.size() && line.at(lead).isSpace())
        ++lead;
    const int start = cursor.block().position() + lead;
    const int end = cursor.position();
    cursor.setPosition(start);
    cursor.setPosition(end, QTextCursor::KeepAnchor);
    cursor.insertText(command);
    const int open = int(command.indexOf(QLatin1Char('<')));
    const int close = open == -1 ? -1 : int(command.indexOf(QLatin1Char('>'), open));
    if (close != -1) {
        cursor.setPosition(start + open);
        cursor.setPosition(start + close + 1, QTextCursor::KeepAnchor);
    }
    box->setTextCursor(cursor);
    box->setFocus();
}
