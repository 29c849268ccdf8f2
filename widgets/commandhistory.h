#pragma once

#include <QObject>
#include <QStringList>

class QPlainTextEdit;

// The commands sent from a command box in this session. Up on the box's
// first line brings back the one before, Down on its last line the one
// after, and past the newest what was being typed. A recalled command is a
// copy: editing it leaves the history as it was.
class CommandHistory : public QObject {
    Q_OBJECT

public:
    static constexpr int kMaxCommands = 100;

    // Watches the box; the history is a child of it.
    explicit CommandHistory(QPlainTextEdit *box);

    void add(const QString &command);
    QStringList commands() const { return sent; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool recall(int step);

    QPlainTextEdit *box;
    QStringList sent;
    // An index into sent, or sent.size() for the text being typed.
    int current = 0;
    QString draft;
};
