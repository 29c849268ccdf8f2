#pragma once

#include <QObject>
#include <QString>

class ConsoleFindBar;
class QTextEdit;

// Finding text in the console: a field over its top right corner that Ctrl+F
// opens from anywhere in the console's window, and the search itself.
class ConsoleFind : public QObject {
    Q_OBJECT

public:
    // Watches the view; the finder is a child of it.
    explicit ConsoleFind(QTextEdit *view);

    // Selects the next (or previous) match of text, case-insensitively,
    // wrapping around; false when there is none.
    bool find(const QString &text, bool backward = false);
    // Shows the field and gives it the keyboard, however it was asked for.
    void showBar();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void takeKeyboard();

    QTextEdit *view;
    ConsoleFindBar *bar = nullptr;
};
