#pragma once

#include <QObject>
#include <QTextCursor>

class QPushButton;
class QTextEdit;

// Whether the console follows its end. It does while the user is at the
// bottom and has nothing selected; once the user scrolls up or selects, the
// view stays on the lines the user looks at, new lines arrive below, and an
// indicator in the corner counts them. Clicking it, scrolling back to the
// bottom or following again on purpose (a sent command) ends that.
class ConsoleFollower : public QObject {
    Q_OBJECT

public:
    // Watches the view; the follower is a child of it.
    explicit ConsoleFollower(QTextEdit *view);

    // Around every insertion at the end: lines counts what it added.
    void beginInsert();
    void endInsert(int lines);

    // Called on every change of the view's text: keeps the end in view while
    // following, and the user's view where it was otherwise.
    void keepView();
    // Jumps to the end and follows it again.
    void followEnd();
    bool isFollowing() const { return following; }
    int unseenLines() const { return unseen; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool atBottom() const;
    void userMovedView();
    void rememberViewTop();
    void restoreViewTop();
    void noteContentsChange(int position, int charsRemoved, int charsAdded);
    void updateIndicator();

    QTextEdit *view;
    QPushButton *indicator;
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
};
