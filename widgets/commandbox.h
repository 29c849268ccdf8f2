#pragma once

#include "atcommands.h"
#include "hexbytes.h"

#include <QObject>
#include <QString>
#include <optional>

class CommandHistory;
class QEvent;
class QLabel;
class QMenu;
class QPlainTextEdit;

namespace atlume {
class UserChoices;
}

// The command box under the console: what Return does in it, the test for a
// box that holds nothing to send, the commands sent from it this session, and
// how it sends (text with the chosen line ending, or bytes written in hex),
// which its context menu offers beside the echo of what is sent, periodic
// sending and the quick commands.
class CommandBox : public QObject {
    Q_OBJECT

public:
    // What a key press in the box asks for: Return sends, Alt+Return breaks
    // the line, anything else (the keypad's Enter included) is the box's own.
    enum class KeyAction { None, Send, LineBreak };
    static KeyAction keyAction(const QEvent *event);

    // What the box sends, as it sends it now.
    struct Outgoing {
        QByteArray bytes; // on the wire
        QString shown;    // as the console shows it sent
        QString line;     // the text line without its ending; empty for hex
        atlume::at::LineEnding ending = atlume::at::LineEnding::CrLf;
    };

    // Watches the box; the command box is a child of it. Its choices are
    // remembered in choices.
    CommandBox(QPlainTextEdit *box, atlume::UserChoices *choices);

    QString text() const;
    // A box that is empty or holds only white space is emptied and given the
    // keyboard, and there is nothing to send: true then.
    bool clearIfBlank();
    // Remembers a command sent from the box, for Up and Down to bring back.
    void remember(const QString &command);
    CommandHistory *history() const { return sent; }

    // The box's content as it would go out now; nothing when it holds bytes
    // in hex that are not, which the box then shows beside itself.
    std::optional<Outgoing> outgoing();

    bool hexSend() const;
    void setHexSend(bool on);
    atlume::at::LineEnding lineEnding() const;
    void setLineEnding(atlume::at::LineEnding ending);
    bool showsSent() const;
    void setShowsSent(bool on);
    void setQuickCommandsShown(bool shown) { quickShown = shown; }

    QMenu *createContextMenu(const QPoint &position);

signals:
    void periodicSendRequested();
    void quickCommandsToggled(bool shown);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showHexProblem(const atlume::HexBytes &parsed);
    void hideHint();

    QPlainTextEdit *box;
    atlume::UserChoices *choices;
    CommandHistory *sent;
    QLabel *hint = nullptr;
    bool quickShown = false;
};
