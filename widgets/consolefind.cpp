#include "consolefind.h"

#include "consolefindbar.h"
#include "overlay.h"

#include <QApplication>
#include <QEvent>
#include <QShortcut>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>

ConsoleFind::ConsoleFind(QTextEdit *view) : QObject(view), view(view)
{
    view->installEventFilter(this);
    // Anywhere in the window, the command box included; a dialog is a window
    // of its own and keeps its Ctrl+F.
    auto *shortcut = new QShortcut(QKeySequence::Find, view);
    shortcut->setContext(Qt::WindowShortcut);
    connect(shortcut, &QShortcut::activated, this, &ConsoleFind::showBar);
}

bool ConsoleFind::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == view && event->type() == QEvent::Resize && bar && bar->isVisible())
        atlume::overlay::place(bar, view, Qt::TopRightCorner);
    return QObject::eventFilter(watched, event);
}

bool ConsoleFind::find(const QString &text, bool backward)
{
    if (text.isEmpty())
        return false;
    // One pass over the raw text, whose positions are the document's, costs
    // far less than QTextDocument::find, which copies every line it passes.
    const QString raw = view->document()->toRawText();
    const QTextCursor current = view->textCursor();
    int at = -1;
    if (backward) {
        const int before = current.selectionStart() - 1;
        if (before >= 0)
            at = raw.lastIndexOf(text, before, Qt::CaseInsensitive);
        if (at < 0)
            at = raw.lastIndexOf(text, -1, Qt::CaseInsensitive);
    } else {
        at = raw.indexOf(text, current.selectionEnd(), Qt::CaseInsensitive);
        if (at < 0)
            at = raw.indexOf(text, 0, Qt::CaseInsensitive);
    }
    if (at < 0)
        return false;
    QTextCursor found(view->document());
    found.setPosition(at);
    found.setPosition(at + text.size(), QTextCursor::KeepAnchor);
    view->setTextCursor(found);
    view->ensureCursorVisible();
    return true;
}

void ConsoleFind::showBar()
{
    if (!bar) {
        bar = new ConsoleFindBar(view);
        atlume::overlay::setUp(bar);
        connect(bar, &ConsoleFindBar::findRequested, this,
                [this](const QString &text, bool backward) {
                    bar->setNoMatch(!find(text, backward));
                    // The bar was sized without the status; make room for it.
                    atlume::overlay::place(bar, view, Qt::TopRightCorner);
                });
        connect(bar, &ConsoleFindBar::closed, view, [this] { view->setFocus(); });
    }
    bar->show();
    atlume::overlay::place(bar, view, Qt::TopRightCorner);
    bar->activate();
    // Chosen from the context menu, the request comes as the menu closes. A
    // system that had not yet made the menu the active window does so now,
    // after the menu has gone, and leaves the window without the keyboard.
    // That news comes after the timers of the turn of the event loop in which
    // it arrives, hence two turns before looking.
    QTimer::singleShot(0, bar, [this] { QTimer::singleShot(0, bar, [this] { takeKeyboard(); }); });
}

void ConsoleFind::takeKeyboard()
{
    QWidget *window = view->window();
    // Another window of the program that is shown, a dialog say, keeps it.
    const QWidget *active = QApplication::activeWindow();
    if (!bar->isVisible() || window->isActiveWindow() || (active && active->isVisible()))
        return;
    window->activateWindow();
    bar->activate();
}
