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
    activateBar();
    // Chosen from the context menu, the request arrives while the menu still
    // holds the keyboard, and its closing hands focus back to where it was
    // before; take it once that is over.
    if (QApplication::activePopupWidget())
        QTimer::singleShot(0, this, &ConsoleFind::activateBar);
}

void ConsoleFind::activateBar()
{
    if (bar && bar->isVisible())
        bar->activate();
}
