#include "consolefollower.h"

#include "overlay.h"

#include <QAbstractTextDocumentLayout>
#include <QEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>

namespace {
// Scrolling to the cursor at the end leaves the view a few pixels above the
// scroll bar's maximum; within this the view counts as at the bottom.
constexpr int kBottomSlackPx = 8;
} // namespace

ConsoleFollower::ConsoleFollower(QTextEdit *view)
    : QObject(view), view(view), indicator(new QPushButton(view))
{
    connect(view->verticalScrollBar(), &QScrollBar::valueChanged, this,
            &ConsoleFollower::userMovedView);
    connect(view, &QTextEdit::selectionChanged, this, &ConsoleFollower::userMovedView);
    connect(view->document(), &QTextDocument::contentsChange, this,
            &ConsoleFollower::noteContentsChange);
    view->installEventFilter(this);

    indicator->setObjectName(QStringLiteral("consoleNewLinesIndicator"));
    indicator->setCursor(Qt::PointingHandCursor);
    indicator->setFocusPolicy(Qt::NoFocus);
    atlume::overlay::setUp(indicator);
    indicator->hide();
    connect(indicator, &QPushButton::clicked, this, &ConsoleFollower::followEnd);
}

bool ConsoleFollower::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == view && event->type() == QEvent::Resize && indicator->isVisible())
        atlume::overlay::place(indicator, view, Qt::BottomRightCorner);
    return QObject::eventFilter(watched, event);
}

bool ConsoleFollower::atBottom() const
{
    const QScrollBar *bar = view->verticalScrollBar();
    return bar->value() >= bar->maximum() - kBottomSlackPx;
}

void ConsoleFollower::beginInsert()
{
    // Whether to follow was decided when the user last moved the view or the
    // selection, not from the scroll range now: Qt grows the range ahead of
    // the layout, from an estimate, so an end just scrolled to can look far
    // above the maximum until the layout catches up. Text added at the end
    // moves neither the view nor the line at its top, which is found once
    // after the user has moved the view: finding it is a search from the
    // document's start.
    if (!following && viewTopStale)
        rememberViewTop();
    inserting = true;
}

void ConsoleFollower::endInsert(int lines)
{
    inserting = false;
    if (following)
        return;
    unseen += lines;
    updateIndicator();
}

void ConsoleFollower::keepView()
{
    if (following)
        view->moveCursor(QTextCursor::End, QTextCursor::MoveAnchor);
    else if (viewTopDropped)
        restoreViewTop();
}

void ConsoleFollower::followEnd()
{
    following = true;
    view->moveCursor(QTextCursor::End, QTextCursor::MoveAnchor);
    view->verticalScrollBar()->setValue(view->verticalScrollBar()->maximum());
    unseen = 0;
    updateIndicator();
}

void ConsoleFollower::userMovedView()
{
    if (inserting)
        return;
    following = atBottom() && !view->textCursor().hasSelection();
    if (following) {
        unseen = 0;
        updateIndicator();
    } else {
        viewTopStale = true;
    }
}

void ConsoleFollower::rememberViewTop()
{
    viewTop = view->cursorForPosition(QPoint(0, 0));
    viewTop.movePosition(QTextCursor::StartOfBlock);
    viewTopPosition = viewTop.position();
    const QRectF block = view->document()->documentLayout()->blockBoundingRect(viewTop.block());
    viewTopOffset = view->verticalScrollBar()->value() - int(block.top());
    viewTopDropped = false;
    viewTopStale = false;
}

void ConsoleFollower::noteContentsChange(int position, int charsRemoved, int charsAdded)
{
    Q_UNUSED(charsAdded)
    if (following || viewTop.isNull() || charsRemoved == 0 || position > viewTopPosition)
        return;
    // Text removed above the top of the view, by the scrollback limiter: the
    // view goes with its lines, or to the oldest line kept when they went too.
    if (position + charsRemoved > viewTopPosition)
        viewTopOffset = 0;
    viewTopDropped = true;
}

void ConsoleFollower::restoreViewTop()
{
    viewTopDropped = false;
    if (viewTop.isNull())
        return;
    const QRectF block = view->document()->documentLayout()->blockBoundingRect(viewTop.block());
    const bool wasInserting = inserting;
    inserting = true;
    view->verticalScrollBar()->setValue(int(block.top()) + viewTopOffset);
    inserting = wasInserting;
    viewTopPosition = viewTop.position();
}

void ConsoleFollower::updateIndicator()
{
    const bool show = !following && unseen > 0;
    if (show)
        indicator->setText(tr("↓ %1 行新消息").arg(unseen));
    if (show != indicator->isVisible())
        indicator->setVisible(show);
    if (show)
        atlume::overlay::place(indicator, view, Qt::BottomRightCorner);
}
