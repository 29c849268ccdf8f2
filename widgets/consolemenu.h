#pragma once

#include <QObject>
#include <QPoint>

class Console;
class QMenu;
class QTextEdit;

// The console's context menu: Qt's standard entries, then the console's own
// (timestamps, the log, save, find).
class ConsoleMenu : public QObject {
    Q_OBJECT

public:
    ConsoleMenu(Console *console, QTextEdit *view);

    QMenu *create(const QPoint &position);

private:
    void popUp(const QPoint &position);
    void chooseLogFile();
    void chooseSaveFile();

    Console *console;
    QTextEdit *view;
};
