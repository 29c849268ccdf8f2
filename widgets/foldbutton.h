#pragma once

#include <QObject>

class QEvent;
class QTextEdit;
class QToolButton;

// The small button on the console's right edge that folds the extension
// area away and back. It shows only while the pointer is over a strip at the
// middle of that edge, where it covers the console's scroll bar, and it says
// which way a click folds.
class FoldButton : public QObject {
    Q_OBJECT

public:
    // The button is a child of the console; area is the extension area.
    FoldButton(QTextEdit *console, QWidget *area);

    QToolButton *button() const { return toolButton; }

    // One event of the console's viewport or scroll bar, of the button or of
    // the area, as the window's event filter sees it: true when it is
    // consumed, which only a move over the scroll bar's strip is.
    bool filter(QObject *watched, QEvent *event);

private:
    bool scrollBarMoved(QEvent *event);
    void viewportMoved(QEvent *event);
    void hideButton();

    QTextEdit *console;
    QWidget *area;
    QToolButton *toolButton;
};
