#pragma once

#include <QObject>
#include <QString>

class CommandHistory;
class QEvent;
class QPlainTextEdit;

// The command box under the console: what Return does in it, the test for a
// box that holds nothing to send, and the commands sent from it this session.
class CommandBox : public QObject {
    Q_OBJECT

public:
    // What a key press in the box asks for: Return sends, Alt+Return breaks
    // the line, anything else (the keypad's Enter included) is the box's own.
    enum class KeyAction { None, Send, LineBreak };
    static KeyAction keyAction(const QEvent *event);

    // Watches the box; the command box is a child of it.
    explicit CommandBox(QPlainTextEdit *box);

    QString text() const;
    // A box that is empty or holds only white space is emptied and given the
    // keyboard, and there is nothing to send: true then.
    bool clearIfBlank();
    // Remembers a command sent from the box, for Up and Down to bring back.
    void remember(const QString &command);

    CommandHistory *history() const { return sent; }

private:
    QPlainTextEdit *box;
    CommandHistory *sent;
};
