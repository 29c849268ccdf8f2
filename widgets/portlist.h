#pragma once

#include <QObject>

class QListWidget;

// The list of serial ports, where a port becomes the window's working port
// only by the user's choice: keyboard focus entering the list never chooses
// one by itself.
class PortList : public QObject {
    Q_OBJECT

public:
    // Watches the list; the port list is a child of it.
    explicit PortList(QListWidget *list);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QListWidget *list;
};
