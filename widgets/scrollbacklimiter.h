#pragma once

#include <QObject>
#include <QString>
#include <QtGlobal>

class QTextDocument;
class QTextEdit;

// Keeps a console's scrollback bounded, however long the session runs: when
// the laid-out height, the text or the line count passes its bound (Qt's text
// layout fails near 2^31 / 100 pixels), the oldest lines go in one large step,
// and the first line then says how many have gone.
class ScrollbackLimiter : public QObject {
    Q_OBJECT

public:
    // The bounds on what the console keeps; the defaults leave a long
    // scrollback after a drop and keep a drop short.
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
    void consoleChanged();
    bool isOverLimits() const;
    bool startsWithMarker() const;
    void dropOldest();

    QTextDocument *document;
    Limits bounds;
    qint64 dropped = 0;
    bool editing = false;
};
