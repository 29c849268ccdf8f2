#pragma once

#include <QAbstractTextDocumentLayout>
#include <QBasicTimer>
#include <QFont>
#include <QList>
#include <QPointer>
#include <QSizeF>
#include <QTextOption>
#include <QVector>

class QTextBlockFormat;
class QTextEdit;
class QTextLayout;

// The console's document layout. Qt's own lays every paragraph out as it
// arrives, and breaking and shaping lines is most of what a busy module
// costs. This one lays a paragraph out only when it is drawn, hit-tested or
// measured for the view. Every other paragraph counts at the height it has:
// one line of its font when it is plain ASCII text that fits the width, what
// laying it out gave otherwise. Where both lay a paragraph out they give it
// the same place and the same lines, so the view scrolls and looks as with
// Qt's layout. Frames, tables, lists and space between paragraphs are left
// out: the console has none.
//
// A paragraph's height in pixels is kept as its line count, which the
// document sums in its tree of blocks, so a paragraph's top and the
// paragraph at a height are found without walking the document.
class ConsoleLayout : public QAbstractTextDocumentLayout {
    Q_OBJECT
    // Qt's text control reads and writes it by name.
    Q_PROPERTY(int cursorWidth READ cursorWidth WRITE setCursorWidth)

public:
    // Gives view's document this layout in place of Qt's, with Qt's picture
    // handler and the cursor width that the view chose.
    static ConsoleLayout *install(QTextEdit *view);

    explicit ConsoleLayout(QTextDocument *document);

    void draw(QPainter *painter, const PaintContext &context) override;
    int hitTest(const QPointF &point, Qt::HitTestAccuracy accuracy) const override;
    int pageCount() const override { return 1; }
    QSizeF documentSize() const override;
    QRectF frameBoundingRect(QTextFrame *frame) const override;
    QRectF blockBoundingRect(const QTextBlock &block) const override;

    int cursorWidth() const { return caretWidth; }
    void setCursorWidth(int width) { caretWidth = width; }

protected:
    void documentChanged(int from, int charsRemoved, int charsAdded) override;
    void timerEvent(QTimerEvent *event) override;

private:
    // What every paragraph's geometry depends on.
    struct Settings {
        qreal pageWidth = -1;
        QFont font;
        Qt::Alignment alignment;
        QTextOption::WrapMode wrapMode = QTextOption::NoWrap;
        QTextOption::Flags flags;
        Qt::LayoutDirection direction = Qt::LayoutDirectionAuto;
        qreal tabStop = 0;
        QList<QTextOption::Tab> tabs;
        bool designMetrics = false;
        qreal indentWidth = 0;
        int margins[4] = {}; // top, bottom, left, right, with border and padding
        qreal scale = 1;     // the view's dots per inch against the screen's
        bool sameBut(const Settings &other, bool exceptWidth) const;
    };
    // A character format's line, for paragraphs laid out without a layout.
    struct LineMetrics {
        bool known = false;
        bool plain = false;          // any printable ASCII makes the same line as none
        bool exact = false;          // and Qt breaks it into lines as this layout does
        qint64 step = 0, bottom = 0; // where a line puts the next one, and its own bottom
        qint64 ascent = 0, descent = 0, leading = 0, width = 0;
        qint64 minimumBearing = 0;
        // Of each printable ASCII character, from ' ', in 64ths of a pixel.
        QVector<qint64> advances;
        QVector<qint64> bearings;
    };
    // A block format's horizontal room.
    struct Inset {
        bool known = false;
        bool plain = false; // lines of the font's single height, nothing shown but the text
        bool wraps = true;
        qint64 leftMargin = 0, rightMargin = 0, indent = 0, extra = 0, textIndent = 0;
    };
    struct Measure {
        int lines = 0;
        qint64 widest = 0; // the widest line's natural width, with its inset
    };

    Settings currentSettings() const;
    void relayout(bool widthOnly);
    void takeIn(QTextBlock block, bool measureNow);
    void store(QTextBlock block, int height, int state);
    int plainHeight(const QTextBlock &block, int *reach, bool *severalLines);
    const LineMetrics &metrics(int index, const QTextCharFormat &format);
    const Inset &inset(const QTextBlock &block);
    qint64 lineRoom(const Inset &inset) const;
    int guessHeight(const QTextBlock &block);
    int layOut(QTextLayout *layout, const QTextBlock &block, Measure *measure);
    void measure(QTextBlock block);
    QTextLayout *laidOut(const QTextBlock &block);
    void noteWidth(qint64 reach);
    void corrected(const QTextBlock &block, int oldHeight);
    void reportCorrections();
    QTextBlock blockAt(qreal y) const;
    int top(const QTextBlock &block) const;
    qreal contentsWidth() const;
    void findWidest();
    void startSweep();
    void sweep();
    void reportSize();
    void drawBlock(QPainter *painter, const PaintContext &context, const QTextBlock &block,
                   QTextLayout *layout, const QRectF &clip) const;

    Settings settings;
    bool settled = false;
    QVector<LineMetrics> lineMetrics; // by character format index
    QVector<Inset> insets;            // by block format index
    int caretWidth = 1;
    qint64 widest = 0; // the widest paragraph wider than the page, with its inset
    QSizeF reportedSize;
    QPointer<QTextEdit> view;
    qreal changedFrom = -1; // top of what was corrected since it was last reported
    int shift = 0;          // how far corrections above the view moved it
    QBasicTimer reportTimer;
    QBasicTimer sweepTimer;
    int sweepFrom = -1; // the block to go on from, back towards the first; -1: the last
    bool sweepFound = false;
};
