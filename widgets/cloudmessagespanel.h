#pragma once

#include "cloudmessages.h"

#include <QObject>

class CloudMessageModel;
class QAction;
class QDockWidget;
class QMainWindow;
class QPlainTextEdit;
class QSortFilterProxyModel;
class QTableView;

// 云端消息: the messages the module reports from the cloud, collected from
// the start whether or not they are shown, in a panel docked to the window
// once the user asks for it: a table that can be filtered by topic and
// follows its end like the console, and the whole payload of the selected
// row, pretty-printed when it is JSON.
class CloudMessagesPanel : public QObject {
    Q_OBJECT

public:
    explicit CloudMessagesPanel(QMainWindow *window);

    // One read's bytes, as they came from the port.
    void take(const QByteArray &bytes);
    // Another port's bytes come next: half a message of the last one is no
    // beginning for them.
    void startOver() { reader.reset(); }

    // Shows and hides the panel; checked while it is shown.
    QAction *toggleAction() const { return toggle; }
    CloudMessageModel *model() const { return messages; }

    // The payload as the panel shows it whole: indented when it is a JSON
    // object or array, else its text.
    static QString payloadText(const QByteArray &payload);

private:
    void setShown(bool shown);
    void build();
    void showSelected();
    void copySelected();
    int selectedRow() const;
    bool atEnd() const;

    QMainWindow *window;
    atlume::CloudMessageReader reader;
    CloudMessageModel *messages;
    QAction *toggle;
    QDockWidget *dock = nullptr;
    QSortFilterProxyModel *filtered = nullptr;
    QTableView *table = nullptr;
    QPlainTextEdit *details = nullptr;
    bool following = true;
    int viewTop = 0;
};
