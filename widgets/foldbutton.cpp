#include "foldbutton.h"

#include "mouseposition.h"

#include <QCoreApplication>
#include <QScrollBar>
#include <QTextEdit>
#include <QToolButton>

namespace {
constexpr int kZoneWidth = 13;
constexpr int kZoneHalfHeight = 50;
constexpr int kZoneHeight = 100;
constexpr int kFontPointSize = 16;

// The hover zone over the console, which is also the button's geometry.
QRect consoleZone(const QWidget *console)
{
    return QRect(console->width() - kZoneWidth, console->height() / 2 - kZoneHalfHeight, kZoneWidth,
                 kZoneHeight);
}

// The same strip in the console's vertical scroll bar's own coordinates.
QRect scrollBarZone(const QWidget *bar)
{
    return QRect(0, bar->height() / 2 - kZoneHalfHeight, kZoneWidth, kZoneHeight);
}
} // namespace

FoldButton::FoldButton(QTextEdit *console, QWidget *area)
    : QObject(console), console(console), area(area), toolButton(new QToolButton(console))
{
    toolButton->setFont(QFont(QStringLiteral("NSimSun"), kFontPointSize));
    // Leaving the button must hide it, and not every style sends hover-leave events.
    toolButton->setAttribute(Qt::WA_Hover);
    toolButton->hide();
}

bool FoldButton::filter(QObject *watched, QEvent *event)
{
    if (watched == console->verticalScrollBar())
        return scrollBarMoved(event);
    if (watched == console->viewport())
        viewportMoved(event);
    else if (watched == toolButton && event->type() == QEvent::HoverLeave)
        hideButton();
    else if (watched == area)
        toolButton->hide();
    return false;
}

bool FoldButton::scrollBarMoved(QEvent *event)
{
    if (event->type() != QEvent::MouseMove)
        return false;
    const auto *move = static_cast<QMouseEvent *>(event);
    QScrollBar *bar = console->verticalScrollBar();
    // A drag of the scroll bar must go on, whatever it passes over.
    if (move->buttons() != Qt::NoButton || !scrollBarZone(bar).contains(mousePosition(move)))
        return false;
    bar->hide();
    toolButton->setGeometry(consoleZone(console));
    toolButton->show();
    return true;
}

void FoldButton::viewportMoved(QEvent *event)
{
    if (event->type() != QEvent::MouseMove)
        return;
    const auto *move = static_cast<QMouseEvent *>(event);
    const QRect zone = consoleZone(console);
    if (!zone.contains(mousePosition(move))) {
        hideButton();
        return;
    }
    toolButton->setGeometry(zone);
    // The window's texts: they are looked up where the window looks its own up.
    if (area->isHidden()) {
        toolButton->setText(QStringLiteral("▶"));
        toolButton->setToolTip(QCoreApplication::translate("MainWindow", " 打开扩展区域"));
    } else {
        toolButton->setText(QStringLiteral("◀"));
        toolButton->setToolTip(QCoreApplication::translate("MainWindow", " 关闭扩展区域"));
    }
    toolButton->show();
}

void FoldButton::hideButton()
{
    console->verticalScrollBar()->show();
    toolButton->hide();
}
