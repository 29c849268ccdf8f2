#pragma once

#include <QList>
#include <QObject>
#include <QPoint>

class Console;
class QAction;
class QMenu;
class QTextEdit;

// The console's context menu: Qt's standard entries, then the console's own
// (timestamps, the hex view, highlighting, the log, save, find).
class ConsoleMenu : public QObject {
    Q_OBJECT

public:
    ConsoleMenu(Console *console, QTextEdit *view);

    QMenu *create(const QPoint &position);
    // Offered after the console's own entries, in every menu from now on.
    void addAction(QAction *action) { extra.append(action); }

private:
    void popUp(const QPoint &position);
    void chooseLogFile();
    void chooseSaveFile();

    Console *console;
    QTextEdit *view;
    QList<QAction *> extra;
};
