#pragma once

#include <QMouseEvent>
#include <QPoint>

// Where a mouse event happened, in the receiving widget's coordinates, under
// either major version of Qt (Qt 6 deprecates localPos()).
inline QPoint mousePosition(const QMouseEvent *event)
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    return event->position().toPoint();
#else
    return event->localPos().toPoint();
#endif
}
