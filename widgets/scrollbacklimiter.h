#pragma once

#include <QObject>
#include <QString>
#include <QtGlobal>

class QTextDocument;
class QTextEdit;

// Keeps a console's scrollback bounded, however long the session runs.
//
// Qt's text layout breaks down once a document's laid-out height nears 2^31 /
// 100 pixels, and every line costs memory, so the console keeps only its most
// recent lines: when the laid-out height or the text size passes its bound,
// the oldest lines go in one large step, and the first line then says how many
// have gone. Removing from the top makes Qt lay out everything that is left
// again, so one large step now and then keeps the cost per line flat where a
// little on every insert would not.
//
// Most of that layout is Qt finding each line's writing direction again by
// scanning its text. The limiter fixes the direction once, when a line
// arrives, the way Qt would find it, so the console looks the same.
class ScrollbackLimiter : public QObject {
    Q_OBJECT

public:
    // The bounds on what the console keeps. The defaults: far below the
    // layout limit of about 21 million pixels; at the console's default font
    // and size (17 px a line) at least 115,000 lines of 45 characters stay
    // after a drop; and a drop, which costs about as much as the lines it
    // removes and keeps, stays well under 150 ms whatever the font.
    struct Limits {
        qreal height = 3.0e6; // laid-out pixels
        int characters = 8 * 1024 * 1024;
        int lines = 180000; // paragraphs of the document
    };

    // Watches the console; the limiter is a child of the console.
    explicit ScrollbackLimiter(QTextEdit *console);

    void setLimits(const Limits &limits);
    Limits limits() const { return bounds; }

    // Lines dropped since the console was last emptied.
    qint64 droppedLines() const { return dropped; }

    // The first line of a console that has dropped lines.
    static QString markerText(qint64 droppedLines);

public slots:
    // Drops the oldest lines if the document has outgrown a bound.
    void enforce();

private:
    void noteChange(int position, int charsRemoved, int charsAdded);
    void consoleChanged();
    void fixDirections();
    bool isOverLimits() const;
    bool startsWithMarker() const;
    void dropOldest();

    QTextDocument *document;
    Limits bounds;
    qint64 dropped = 0;
    bool editing = false;
    bool markedRightToLeft = false;
    // The span of text changed since the directions were last fixed.
    int changedFrom = -1;
    int changedTo = -1;
};
