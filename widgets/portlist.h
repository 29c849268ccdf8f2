#pragma once

#include "userchoices.h"

#include <QElapsedTimer>
#include <QObject>
#include <QStringList>
#include <QTimer>

class QListWidget;
class QMenu;

// The list of serial ports, where a port becomes the window's working port
// only by the user's choice: keyboard focus entering the list never chooses
// one by itself. Each port's tool tip says what the system knows of it. Its
// context menu offers to rescan by itself whenever the set of ports changes
// (自动刷新) and to open the port again when it comes back after it was lost
// (自动重连); the window does the rescanning and opening, asked by signals.
class PortList : public QObject {
    Q_OBJECT

public:
    // Watches the list; the port list is a child of it.
    explicit PortList(QListWidget *list);

    // Where the two choices are remembered.
    void useChoices(atlume::UserChoices *choices);

    bool autoRefresh() const { return refreshing; }
    void setAutoRefresh(bool on);
    bool autoReconnect() const { return reconnecting; }
    void setAutoReconnect(bool on);

    // The open port's device has gone: with 自动重连 on, the port is
    // watched for its return under the same name for a minute.
    void portLost(const QString &name);

    QMenu *createContextMenu();

signals:
    // The list should be rescanned as the scan button does.
    void rescanWanted();
    // The port lost came back and is selected again: it should be opened.
    void reopenWanted(const QString &name);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void refresh();
    void lookForLostPort();
    void stopWatching();
    void describePorts(int first, int last);

    QListWidget *list;
    atlume::UserChoices ownChoices;
    atlume::UserChoices *choices = &ownChoices;
    bool refreshing = false;
    bool reconnecting = false;
    QTimer refreshTimer;
    QTimer lostPortTimer;
    // The port lost, whether it has been seen gone since, and since when it is watched.
    QString lostPort;
    bool lostPortGone = false;
    QElapsedTimer lostFor;
};
