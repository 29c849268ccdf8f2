#pragma once

#include <QObject>
#include <functional>

class QCompleter;
class QModelIndex;
class QPlainTextEdit;
class QStandardItemModel;

// Ctrl+Space in the command box: a list of the module's AT commands that
// begin with what is typed on the current line, each with what it does.
// Choosing one puts it in place of what was typed, with its parameters as
// placeholders and the first of them selected for typing over. Nothing pops
// up unless asked.
class CommandCompleter : public QObject {
    Q_OBJECT

public:
    // Offers the list in box while wanted() holds (the box takes AT commands);
    // the completer is a child of the box.
    CommandCompleter(QPlainTextEdit *box, std::function<bool()> wanted);

    QCompleter *completer() const { return commands; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void open();
    void narrow();
    bool offer();
    void insert(const QString &command);
    QString typed() const;

    QPlainTextEdit *box;
    std::function<bool()> wanted;
    QStandardItemModel *table;
    QCompleter *commands;
};
