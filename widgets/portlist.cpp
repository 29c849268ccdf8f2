#include "portlist.h"

#include <QEvent>
#include <QListWidget>

PortList::PortList(QListWidget *list) : QObject(list), list(list)
{
    list->installEventFilter(this);
}

bool PortList::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != list || event->type() != QEvent::FocusIn || list->currentItem())
        return QObject::eventFilter(watched, event);
    // Given focus without a current row, the list makes its first row
    // current, which would switch the working port although nobody chose
    // it. Let the list take focus with its signals blocked, then undo that.
    const QSignalBlocker blocker(list);
    static_cast<QObject *>(list)->event(event);
    list->setCurrentItem(nullptr);
    return true;
}
