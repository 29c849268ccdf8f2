#pragma once

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <QtTest>
#include <functional>

// Runs action on the dialog once its exec() is running; a dialog still open
// after ten seconds is ended so that a fault fails the test instead of hanging it.
inline void whenShown(QDialog &dialog, std::function<void(QDialog *)> action)
{
    QTimer::singleShot(0, &dialog, [action] {
        auto *modal = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        QVERIFY(modal);
        action(modal);
    });
    QTimer::singleShot(10000, &dialog, [&dialog] { dialog.done(-1); });
}

// Runs action on the next modal dialog as soon as it is up: the caller then
// opens the dialog, whose exec() returns once the action has closed it.
template <class Action> void whenModalShown(Action action)
{
    auto *poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, action] {
        QWidget *dialog = QApplication::activeModalWidget();
        if (!dialog || !dialog->isVisible())
            return;
        poll->stop();
        poll->deleteLater();
        action(dialog);
    });
    poll->start(5);
}
