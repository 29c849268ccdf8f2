#pragma once

#include "consolefind.h"
#include "consolefollower.h"
#include "consolelog.h"
#include "consolemenu.h"
#include "userchoices.h"

#include <QObject>
#include <QString>
#include <QVector>
#include <memory>

class ConsoleHexView;
class QAction;
class QMenu;
class QTextEdit;
class QTime;
class ScrollbackLimiter;
namespace atlume::replycolours {
struct Run;
}

// The terminal's console: everything shown in the window's text view goes
// through here. It shows the module's lines and the window's own paragraphs
// as plain text, stamped when timestamps are on and written to the log when
// one runs. Beside it: the follower keeps the user's view, the scrollback
// limiter bounds what is kept, the finder finds and the menu offers it all.
class Console : public QObject {
    Q_OBJECT

public:
    // Attaches to the view; the console is a child of it.
    explicit Console(QTextEdit *view);
    ~Console() override;

    // Where the console's choices are remembered (timestamps); the console
    // only reads and writes them there.
    void useChoices(atlume::UserChoices *choices);
    // The port whose lines arrive from now on: names the default log file,
    // and a running log notes the change.
    void setPortName(const QString &name);
    QString portName() const { return port; }

    // Called once a read, before its lines are shown: the lines of one read
    // share one timestamp, and the view is painted at most every few ms.
    void beginRead();
    // Every byte of a read, after beginRead and before its lines: the hex
    // view shows these, and no lines, from the next read on.
    void showReceivedBytes(const QByteArray &bytes);
    // Complete lines of the module, each ending with its line break.
    void showReceived(const QString &lines);
    // One of the window's own paragraphs, at the end and never as markup.
    void appendParagraph(const QString &text);
    // A picture on a line of its own; a log names its file.
    void appendPicture(const QString &path);
    // A line just written to the port, as "→ " and the line without its
    // ending, on a line of its own and in a colour of its own.
    void showSent(const QString &line);

    void keepView() { follower->keepView(); }
    void followEnd() { follower->followEnd(); }
    bool isFollowing() const { return follower->isFollowing(); }
    int unseenLines() const { return follower->unseenLines(); }

    bool timestampsShown() const { return timestamps; }
    void setTimestampsShown(bool shown);
    bool hexShown() const { return hex; }
    void setHexShown(bool shown);
    bool repliesHighlighted() const { return highlighted; }
    void setRepliesHighlighted(bool on);

    // Appends every line shown from now on to path. False, with one console
    // line saying why, when the file cannot be opened.
    bool startLog(const QString &path);
    void stopLog();
    QString logPath() const { return log.path(); }
    // Writes what the console shows into path in one step.
    bool saveTo(const QString &path);

    bool find(const QString &text, bool backward = false) { return finder->find(text, backward); }
    void showFindBar() { finder->showBar(); }

    ScrollbackLimiter *limiter() const { return scrollback; }
    QMenu *createContextMenu(const QPoint &position) { return menu->create(position); }
    // An entry of someone else's for the context menu, after the console's own.
    void addMenuAction(QAction *action) { menu->addAction(action); }

    static QString timestampText(const QTime &time);

private:
    void insertAtEnd(const QVector<atlume::replycolours::Run> &runs, bool ownLine, int lines);
    void writeLog(const QString &text);
    void holdPainting();
    QString currentStamp() const;

    QTextEdit *view;
    ScrollbackLimiter *scrollback;
    ConsoleFollower *follower;
    ConsoleFind *finder;
    ConsoleMenu *menu;
    atlume::UserChoices ownChoices;
    atlume::UserChoices *choices = &ownChoices;
    QString port;

    bool timestamps = false;
    bool hex = false;
    bool highlighted = false;
    QString readStamp;
    // The hex view's choice as it was when the read began.
    bool hexRead = false;
    std::unique_ptr<ConsoleHexView> hexView;
    atlume::ConsoleLog log;
};
