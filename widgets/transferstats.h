#pragma once

#include <QObject>
#include <QTimer>

class QAction;
class QLabel;
class QStatusBar;

namespace atlume {
class UserChoices;
}

// The bytes read from and written to the port since it was opened, shown in
// the window's status bar while the user asks for them (the console's menu
// offers the switch, which is remembered).
class TransferStats : public QObject {
    Q_OBJECT

public:
    TransferStats(QStatusBar *bar, atlume::UserChoices *choices);

    void reset();
    void addReceived(qint64 bytes);
    void addSent(qint64 bytes);
    qint64 received() const { return in; }
    qint64 sent() const { return out; }

    bool isShown() const;
    void setShown(bool shown);
    // The switch, for a menu: checkable and kept in step.
    QAction *toggleAction() const { return toggle; }

private:
    void changed();
    void refresh();

    QStatusBar *bar;
    atlume::UserChoices *choices;
    QAction *toggle;
    QLabel *label = nullptr;
    QTimer refreshTimer;
    qint64 in = 0;
    qint64 out = 0;
};
