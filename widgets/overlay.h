#pragma once

#include <QAbstractScrollArea>
#include <QWidget>

// Small widgets that float over a view's text, kept a few pixels in from one
// of its corners. They get the window's background and a frame, so the text
// under them never shows through.
namespace atlume::overlay {

constexpr int kMarginPx = 6;

inline void setUp(QWidget *overlay)
{
    overlay->setBackgroundRole(QPalette::Window);
    overlay->setAutoFillBackground(true);
}

inline void place(QWidget *overlay, const QAbstractScrollArea *view, Qt::Corner corner)
{
    const QRect area = view->viewport()->geometry();
    const QSize size = overlay->sizeHint();
    const bool right = corner == Qt::TopRightCorner || corner == Qt::BottomRightCorner;
    const bool bottom = corner == Qt::BottomLeftCorner || corner == Qt::BottomRightCorner;
    const int x = right ? area.right() - size.width() - kMarginPx : area.left() + kMarginPx;
    const int y = bottom ? area.bottom() - size.height() - kMarginPx : area.top() + kMarginPx;
    overlay->setGeometry(x, y, size.width(), size.height());
    overlay->raise();
}

} // namespace atlume::overlay
