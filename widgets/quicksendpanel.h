#pragma once

#include "quickcommands.h"

#include <QDockWidget>
#include <QTimer>
#include <functional>

class QCheckBox;
class QPushButton;
class QTableView;
class QuickCommandsModel;

// The quick-commands panel: named commands the user sends with one click,
// or in sequence, each followed by its own delay, once or in a loop until
// stopped. The list lives in a file that is written, in one step, only once
// the user changes the list; until there is one, the panel offers a starter
// set of the module's own commands.
class QuickSendPanel : public QDockWidget {
    Q_OBJECT

public:
    // Sends one command; false when it could not be sent, which stops a
    // sequence (the sender says why).
    using Sender = std::function<bool(const atlume::QuickCommand &)>;

    QuickSendPanel(const QString &path, Sender sender, QWidget *parent);

    // Reads the list from its file (or offers the starter set).
    void load();

    void sendSelected();
    void startSequence();
    void stopSequence();
    bool isSequenceRunning() const { return running; }
    QuickCommandsModel *model() const { return commands; }

signals:
    // The file could not be read or held no list: the panel starts empty and
    // leaves the file alone until the user saves a new list.
    void fileRefused(const QString &reason);

private:
    void save();
    void sendNext();
    void addCommand();
    void removeSelected();
    void moveSelected(int by);
    void updateButtons();
    int selectedRow() const;

    QString path;
    Sender sender;
    QuickCommandsModel *commands;
    QTableView *table;
    QPushButton *sendButton;
    QPushButton *sequenceButton;
    QPushButton *stopButton;
    QCheckBox *loopBox;
    QTimer nextTimer;
    QVector<atlume::QuickCommand> sequence;
    int next = 0;
    bool running = false;
};
