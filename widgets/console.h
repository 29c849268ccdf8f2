#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTextCursor>

class QAction;
class QFile;
class QMenu;
class QPushButton;
class QTextEdit;
class QTime;
class ConsoleFindBar;
class ScrollbackLimiter;

// The terminal's console: everything shown in the window's text view goes
// through here. It shows the module's lines and the window's own paragraphs
// as plain text, keeps the scrollback bounded, follows the end while the user
// is at the bottom and has nothing selected, and offers timestamps, a log
// file, find and save from the view's context menu.
class Console : public QObject {
    Q_OBJECT

public:
    // Attaches to the view; the console is a child of it.
    explicit Console(QTextEdit *view);
    ~Console() override;

    // Where the timestamp choice is remembered. Read now; written only when
    // the user changes the choice.
    void setSettingsPath(const QString &path);
    // The port whose lines arrive from now on: names the default log file,
    // and a running log notes the change.
    void setPortName(const QString &name);

    // Called once a read, before its lines are shown: the lines of one read
    // share one timestamp, and the view is painted at most every few ms.
    void beginRead();
    // Complete lines of the module, each ending with its line break.
    void showReceived(const QString &lines);
    // One of the window's own paragraphs, at the end and never as markup.
    void appendParagraph(const QString &text);
    // A picture on a line of its own; a log names its file.
    void appendPicture(const QString &path);

    // Called on every change of the view's text: keeps the end in view while
    // following, and the user's view where it was otherwise.
    void keepView();
    // Jumps to the end and follows it again.
    void followEnd();
    bool isFollowing() const { return following; }
    int unseenLines() const { return unseen; }

    bool timestampsShown() const { return timestamps; }
    void setTimestampsShown(bool shown);

    // Appends every line shown from now on to path. False, with one console
    // line saying why, when the file cannot be opened.
    bool startLog(const QString &path);
    void stopLog();
    QString logPath() const;
    // Writes what the console shows into path in one step.
    bool saveTo(const QString &path);

    // Selects the next (or previous) match of text, case-insensitively,
    // wrapping around; false when there is none.
    bool find(const QString &text, bool backward = false);
    void showFindBar();

    ScrollbackLimiter *limiter() const { return scrollback; }
    // The context menu: Qt's standard entries, then the console's own.
    QMenu *createContextMenu(const QPoint &position);

    static QString timestampText(const QTime &time);

private:
    bool atBottom() const;
    void prepareInsert();
    void finishInsert(int lines);
    void userMovedView();
    void rememberViewTop();
    void restoreViewTop();
    void noteContentsChange(int position, int charsRemoved, int charsAdded);
    void updateIndicator();
    void placeOverlays();
    void showContextMenu(const QPoint &position);
    void chooseLogFile();
    void chooseSaveFile();
    void writeLogLines(const QString &text);
    void flushLog();
    void logFailed(const QString &reason);
    void holdPainting();
    QString currentStamp() const;
    bool eventFilter(QObject *watched, QEvent *event) override;

    QTextEdit *view;
    ScrollbackLimiter *scrollback;
    QPushButton *indicator;
    ConsoleFindBar *findBar = nullptr;
    QString settingsPath;
    QString portName;

    bool following = true;
    bool inserting = false;
    int unseen = 0;
    // The first line at the top of the view while not following, and how far
    // into it the view starts.
    QTextCursor viewTop;
    int viewTopPosition = 0;
    int viewTopOffset = 0;
    bool viewTopDropped = false;
    bool viewTopStale = false;

    bool timestamps = false;
    QString readStamp;

    QFile *log = nullptr;
};
