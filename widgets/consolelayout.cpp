#include "consolelayout.h"

#include "asciilinebreaks.h"

#include <QElapsedTimer>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPaintDevice>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextFrame>
#include <QTextLayout>
#include <QTextList>
#include <QTimerEvent>
#include <QVarLengthArray>
#include <QtMath>

#include <algorithm>
#include <climits>

namespace {

// What a paragraph's user state says of its height: Qt's -1 for a paragraph
// this layout has not seen yet, -2 for a guess, and otherwise that the height
// is known, the state being twice the width the paragraph reaches to, in
// pixels, plus one when it has more than one line.
constexpr int kUnseen = -1;
constexpr int kGuessed = -2;
int knownState(qint64 reach, bool severalLines)
{
    return int(qMin<qint64>(reach, INT_MAX / 2)) * 2 + (severalLines ? 1 : 0);
}

// Qt places text in 64ths of a pixel and truncates to them.
qint64 fixed(qreal value)
{
    return qint64(value * 64);
}
qreal real(qint64 value)
{
    return qreal(value) / 64;
}
int ceilPixels(qint64 value)
{
    return int((value + 63) / 64);
}

// No page width: lines as long as Qt's text layout takes them.
constexpr qreal kUnbounded = qreal(INT_MAX);
// Kerning can make a line a little longer than its characters' advances.
constexpr qreal kAdvanceSlack = 1.02;
constexpr qreal kSlackPx = 2;
// Pieces of the background work, so that the view answers in between.
constexpr int kSweepSliceMs = 5;
constexpr qreal kEverything = 1e9;

const QString &printableAscii()
{
    static const QString text = [] {
        QString ascii;
        for (char c = ' '; c <= '~'; ++c)
            ascii += QLatin1Char(c);
        return ascii;
    }();
    return text;
}

// The screen's dots per inch, which Qt's document layout scales lengths in
// points against.
int screenDpi()
{
    if (QCoreApplication::testAttribute(Qt::AA_Use96Dpi))
        return 96;
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        return qRound(screen->logicalDotsPerInchY());
    return 100;
}

// How far one line takes the next down, and where it sits, as Qt's document
// layout has it for the paragraph's line height.
struct LineStep {
    qint64 height = 0;
    qint64 bottom = 0;
    qint64 adjustment = 0;
};
LineStep lineStep(const QTextBlockFormat &format, const QTextLine &line, qreal scale)
{
    LineStep step;
    const qreal raw = qCeil(line.ascent() + line.descent() + line.leading());
    step.height = fixed(format.lineHeight(raw, scale));
    step.bottom = fixed(format.lineHeight(line.height(), scale));
    const int type = format.lineHeightType();
    if (type == QTextBlockFormat::FixedHeight)
        step.adjustment =
            fixed(line.ascent() + qMax(line.leading(), qreal(0))) - (step.height * 4) / 5;
    else if (type == QTextBlockFormat::MinimumHeight)
        step.adjustment = fixed(line.height()) - step.height;
    return step;
}

} // namespace

ConsoleLayout *ConsoleLayout::install(QTextEdit *view)
{
    QTextDocument *document = view->document();
    QAbstractTextDocumentLayout *qts = document->documentLayout();
    auto *layout = new ConsoleLayout(document);
    layout->view = view;
    layout->setPaintDevice(qts->paintDevice());
    bool known = false;
    const int width = qts->property("cursorWidth").toInt(&known);
    layout->setCursorWidth(known ? width : 1);
    // Qt's picture handler finds pictures as the view does; it goes with
    // Qt's layout unless it moves over first.
    const QTextObjectInterface *pictures = qts->handlerForObject(QTextFormat::ImageObject);
    const QObjectList children = qts->children();
    for (QObject *child : children) {
        if (pictures && qobject_cast<QTextObjectInterface *>(child) == pictures) {
            child->setParent(layout);
            layout->registerHandler(QTextFormat::ImageObject, child);
        }
    }
    document->setDocumentLayout(layout);
    return layout;
}

ConsoleLayout::ConsoleLayout(QTextDocument *document) : QAbstractTextDocumentLayout(document) {}

bool ConsoleLayout::Settings::sameBut(const Settings &other, bool exceptWidth) const
{
    return (exceptWidth || pageWidth == other.pageWidth) && font == other.font &&
           alignment == other.alignment && wrapMode == other.wrapMode && flags == other.flags &&
           direction == other.direction && tabStop == other.tabStop && tabs == other.tabs &&
           designMetrics == other.designMetrics && indentWidth == other.indentWidth &&
           std::equal(margins, margins + 4, other.margins) && scale == other.scale;
}

ConsoleLayout::Settings ConsoleLayout::currentSettings() const
{
    const QTextDocument *doc = document();
    Settings now;
    now.pageWidth = doc->pageSize().width();
    now.font = doc->defaultFont();
    const QTextOption option = doc->defaultTextOption();
    now.alignment = option.alignment();
    now.wrapMode = option.wrapMode();
    now.flags = option.flags();
    now.direction = option.textDirection();
    now.tabStop = option.tabStopDistance();
    now.tabs = option.tabs();
    now.designMetrics = option.useDesignMetrics();
    now.indentWidth = doc->indentWidth();
    if (const QPaintDevice *device = paintDevice())
        now.scale = qreal(device->logicalDpiY()) / screenDpi();
    const QTextFrameFormat frame = doc->rootFrame()->frameFormat();
    const auto pixels = [&](qreal length) { return qRound(length * now.scale); };
    const int around = pixels(frame.border()) + pixels(frame.padding());
    now.margins[0] = pixels(frame.topMargin()) + around;
    now.margins[1] = pixels(frame.bottomMargin()) + around;
    now.margins[2] = pixels(frame.leftMargin()) + around;
    now.margins[3] = pixels(frame.rightMargin()) + around;
    return now;
}

qreal ConsoleLayout::contentsWidth() const
{
    if (settings.pageWidth <= 0)
        return kUnbounded;
    return settings.pageWidth - settings.margins[2] - settings.margins[3];
}

QSizeF ConsoleLayout::documentSize() const
{
    const qreal width = qMax(contentsWidth() == kUnbounded ? 0 : contentsWidth(), real(widest)) +
                        settings.margins[2] + settings.margins[3];
    return QSizeF(width,
                  settings.margins[0] + qreal(document()->lineCount()) + settings.margins[1]);
}

QRectF ConsoleLayout::frameBoundingRect(QTextFrame *frame) const
{
    if (frame != document()->rootFrame())
        return QRectF();
    return QRectF(QPointF(0, 0), documentSize());
}

int ConsoleLayout::top(const QTextBlock &block) const
{
    return settings.margins[0] + block.firstLineNumber();
}

void ConsoleLayout::documentChanged(int from, int charsRemoved, int charsAdded)
{
    QTextDocument *doc = document();
    // Emptied: Qt numbers the formats anew.
    if (doc->characterCount() == 1 && charsRemoved > 0) {
        lineMetrics.clear();
        insets.clear();
    }
    // Qt reports a change of the page, the font, the options or the margins
    // as a change of the whole text, which for all but the margins it is not.
    const bool textChanged =
        !(from == 0 && charsRemoved == 0 && charsAdded == doc->characterCount());
    bool changed = false;
    bool widthOnly = false;
    if (!settled || (from == 0 && charsAdded >= doc->characterCount() - 1)) {
        const Settings now = currentSettings();
        changed = !settled || !now.sameBut(settings, false);
        widthOnly = settled && changed && now.sameBut(settings, true);
        settled = true;
        settings = now;
    }
    qreal changeTop = 0;
    if (changed)
        relayout(widthOnly);
    if (textChanged) {
        QTextBlock block = doc->findBlock(from);
        const QTextBlock last = doc->findBlock(qMax(from, from + charsAdded - 1));
        if (!changed)
            changeTop = top(block);
        for (;; block = block.next()) {
            takeIn(block, true);
            if (block == last || !block.next().isValid())
                break;
        }
        // A paragraph split in two leaves its second half in a new block
        // after the change.
        const QTextBlock after = block.next();
        if (after.isValid() && after.userState() == kUnseen)
            takeIn(after, true);
        if (charsRemoved > 0 && widest > 0)
            findWidest();
    }
    if (changed || textChanged) {
        reportSize();
        emit update(QRectF(0, changeTop, kEverything, kEverything));
    }
}

void ConsoleLayout::relayout(bool widthOnly)
{
    insets.clear();
    if (!widthOnly)
        lineMetrics.clear();
    const qreal room = contentsWidth();
    bool guessed = false;
    for (QTextBlock block = document()->firstBlock(); block.isValid(); block = block.next()) {
        const int state = block.userState();
        if (!widthOnly || state == kUnseen) {
            takeIn(block, false);
        } else {
            block.clearLayout();
            // One line that still fits keeps its height; the rest may wrap anew.
            if (state >= 0 && (state & 1) == 0 && state / 2 <= room)
                continue;
            block.setUserState(kGuessed);
        }
        guessed = guessed || block.userState() == kGuessed;
    }
    findWidest();
    if (guessed)
        startSweep();
}

void ConsoleLayout::store(QTextBlock block, int height, int state)
{
    if (block.lineCount() != height)
        block.setLineCount(height);
    block.setUserState(state);
}

void ConsoleLayout::takeIn(QTextBlock block, bool measureNow)
{
    block.clearLayout();
    if (!block.isVisible()) {
        store(block, 0, knownState(0, false));
        return;
    }
    int reach = 0;
    bool severalLines = false;
    const int height = plainHeight(block, &reach, &severalLines);
    if (height > 0) {
        store(block, height, knownState(reach, severalLines));
    } else if (measureNow) {
        measure(block);
    } else {
        store(block, block.userState() == kUnseen ? guessHeight(block) : block.lineCount(),
              kGuessed);
    }
}

const ConsoleLayout::Inset &ConsoleLayout::inset(const QTextBlock &block)
{
    const int index = block.blockFormatIndex();
    if (index >= insets.size())
        insets.resize(index + 1);
    Inset &inset = insets[index];
    if (inset.known)
        return inset;
    inset.known = true;
    const QTextBlockFormat format = block.blockFormat();
    qreal indent = format.indent();
    if (const QTextList *list = qobject_cast<QTextList *>(document()->objectForFormat(format)))
        indent += list->format().indent();
    const qint64 indentFixed =
        qIsNull(indent) ? 0 : fixed(indent * settings.scale * settings.indentWidth);
    qint64 extra = 0;
    if (settings.flags & QTextOption::AddSpaceForLineAndParagraphSeparators)
        extra = fixed(QFontMetricsF(block.charFormat().font()).horizontalAdvance(QChar(0x21B5)));
    inset.leftMargin = fixed(format.leftMargin());
    inset.rightMargin = fixed(format.rightMargin());
    inset.indent = indentFixed;
    inset.extra = extra;
    inset.textIndent = fixed(format.textIndent());
    // Options that add to what a line holds or shows make no paragraph plain.
    constexpr QTextOption::Flags kShowing =
        QTextOption::IncludeTrailingSpaces | QTextOption::ShowTabsAndSpaces |
        QTextOption::ShowLineAndParagraphSeparators | QTextOption::ShowDocumentTerminator |
        QTextOption::AddSpaceForLineAndParagraphSeparators;
    inset.plain =
        format.lineHeightType() == QTextBlockFormat::SingleHeight && !(settings.flags & kShowing);
    inset.wraps = !format.nonBreakableLines() && settings.pageWidth >= 0 &&
                  settings.wrapMode != QTextOption::NoWrap &&
                  settings.wrapMode != QTextOption::ManualWrap;
    return inset;
}

qint64 ConsoleLayout::lineRoom(const Inset &inset) const
{
    return fixed(contentsWidth()) - inset.leftMargin - inset.rightMargin - inset.indent -
           inset.extra - inset.textIndent;
}

const ConsoleLayout::LineMetrics &ConsoleLayout::metrics(int index, const QTextCharFormat &format)
{
    if (index >= lineMetrics.size())
        lineMetrics.resize(index + 1);
    LineMetrics &metrics = lineMetrics[index];
    if (metrics.known)
        return metrics;
    metrics.known = true;
    const QFont font = format.font();
    QTextOption option;
    option.setUseDesignMetrics(settings.designMetrics);
    option.setWrapMode(QTextOption::NoWrap);
    const auto lineOf = [&](const QString &text, LineMetrics *into) {
        QTextLayout layout(text, font, paintDevice());
        layout.setTextOption(option);
        layout.beginLayout();
        QTextLine line = layout.createLine();
        line.setLeadingIncluded(true);
        line.setLineWidth(kUnbounded);
        layout.endLayout();
        const LineStep step = lineStep(QTextBlockFormat(), line, 1);
        into->step = step.height;
        into->bottom = step.bottom;
        into->ascent = fixed(line.ascent());
        into->descent = fixed(line.descent());
        into->leading = fixed(line.leading());
        into->width = fixed(line.naturalTextWidth());
    };
    LineMetrics ascii;
    lineOf(printableAscii(), &ascii);
    lineOf(QString(), &metrics);
    const QTextCharFormat::VerticalAlignment alignment = format.verticalAlignment();
    metrics.plain = format.objectType() == QTextFormat::NoObject &&
                    alignment != QTextCharFormat::AlignSuperScript &&
                    alignment != QTextCharFormat::AlignSubScript &&
                    format.fontCapitalization() == QFont::MixedCase && ascii.step == metrics.step &&
                    ascii.bottom == metrics.bottom && ascii.ascent == metrics.ascent &&
                    ascii.descent == metrics.descent && ascii.leading == metrics.leading;
    if (!metrics.plain)
        return metrics;
    // The glyphs' advances and their ink past them, as Qt's text layout
    // takes them when it shapes nothing.
    const QFontMetricsF glyphs(font, paintDevice());
    const QString &characters = printableAscii();
    metrics.advances.resize(characters.size());
    metrics.bearings.resize(characters.size());
    qint64 sum = 0;
    for (int i = 0; i < characters.size(); ++i) {
        metrics.advances[i] = fixed(glyphs.horizontalAdvance(characters.at(i)));
        metrics.bearings[i] = qMin<qint64>(fixed(glyphs.rightBearing(characters.at(i))), 0);
        sum += metrics.advances[i];
    }
    metrics.minimumBearing = qMin<qint64>(fixed(glyphs.minRightBearing()), 0);
    // Qt advances such a font glyph by glyph, without kerning: it breaks
    // its lines as the line breaker below does, which the whole set of
    // characters laid out in one line confirms.
    metrics.exact = (font.styleStrategy() & QFont::PreferNoShaping) && !settings.designMetrics &&
                    qFuzzyIsNull(font.wordSpacing()) &&
                    (qFuzzyIsNull(font.letterSpacing()) ||
                     (font.letterSpacingType() == QFont::PercentageSpacing &&
                      qFuzzyCompare(font.letterSpacing(), 100))) &&
                    ascii.width == sum - metrics.bearings.last();
    return metrics;
}

namespace {

// A paragraph of printable ASCII for the line breaker: each character's
// advance and the ink of its glyph past it, and where Unicode lets a line
// break before it.
struct PlainText {
    const QString &text;
    QVarLengthArray<qint64, 256> advances;
    QVarLengthArray<qint64, 256> bearings;
    QVarLengthArray<bool, 256> breaks;
    qint64 minimumBearing;
};

// Qt's right bearing sentinel, QFixed(1).
constexpr qint64 kNoBearing = 64;

struct Filled {
    int next;         // where the next line starts, after this one's trailing spaces
    qint64 textWidth; // as QTextLine::naturalTextWidth() has it
};

// One line from position from, filled as QTextLine::layout_helper fills it
// for text in one font that needs no shaping: words up to the width, or
// single characters when breakAnywhere; spaces hang past the end.
Filled fillLine(const PlainText &p, int from, qint64 width, bool breakAnywhere)
{
    const int size = int(p.text.size());
    int length = 0;
    qint64 textWidth = 0;
    int wordLength = 0;
    qint64 wordWidth = 0;
    int spaceLength = 0;
    qint64 spaceWidth = 0;
    qint64 rightBearing = kNoBearing;
    int previousGlyph = -1;
    bool whiteSpace = true;
    const auto bearing = [&] { return rightBearing == kNoBearing ? 0 : -rightBearing; };
    const auto newWidth = [&] { return textWidth + wordWidth + spaceWidth + bearing(); };
    const auto fullOtherwiseExtend = [&] {
        if (length > 0 && newWidth() > width)
            return true;
        length += wordLength + spaceLength;
        textWidth += wordWidth + spaceWidth;
        wordLength = spaceLength = 0;
        wordWidth = spaceWidth = 0;
        return false;
    };
    int pos = from;
    bool found = false;
    while (pos < size && !found) {
        rightBearing = kNoBearing;
        if (p.text.at(pos) == QLatin1Char(' ')) {
            whiteSpace = true;
            while (pos < size && p.text.at(pos) == QLatin1Char(' ')) {
                ++spaceLength;
                spaceWidth += p.advances[pos++];
            }
            if (spaceWidth > width) {
                spaceWidth = width;
                found = true;
            }
            continue;
        }
        whiteSpace = false;
        previousGlyph = pos - 1;
        do {
            ++wordLength;
            wordWidth += p.advances[pos++];
        } while (pos < size && p.text.at(pos) != QLatin1Char(' ') && !p.breaks[pos] &&
                 !breakAnywhere);
        const qint64 previousBearing = rightBearing;
        if (newWidth() - p.minimumBearing > width)
            rightBearing = p.bearings[pos - 1];
        if (fullOtherwiseExtend()) {
            if (previousBearing != kNoBearing)
                rightBearing = previousBearing;
            else if (previousGlyph >= 0)
                rightBearing = p.bearings[previousGlyph];
            found = true;
        }
    }
    if (!found)
        fullOtherwiseExtend();
    if (rightBearing == kNoBearing && !whiteSpace && pos > 0)
        rightBearing = p.bearings[pos - 1];
    textWidth += bearing();
    if (length == 0) {
        length = wordLength;
        textWidth += wordWidth;
    }
    return {from + length + spaceLength, textWidth};
}

// The number of lines Qt breaks the text into, wrapping at word boundaries
// or, for a line whose first word is too long, anywhere; -1 where Qt's
// document layout would lay a line out again, which this does not follow.
int lineCount(const PlainText &p, qint64 firstWidth, qint64 width)
{
    int lines = 0;
    int from = 0;
    do {
        const qint64 room = lines == 0 ? firstWidth : width;
        Filled line = fillLine(p, from, room, false);
        if (line.textWidth > room)
            line = fillLine(p, from, room, true);
        if (line.textWidth > room || line.next <= from)
            return -1;
        from = line.next;
        ++lines;
    } while (from < p.text.size());
    return lines;
}

} // namespace

// The height of a paragraph of printable ASCII in fonts that all make the
// same line, where its lines are known without laying it out: what laying
// it out would give. -1 for any other paragraph.
int ConsoleLayout::plainHeight(const QTextBlock &block, int *reach, bool *severalLines)
{
    const Inset &room = inset(block);
    if (!room.plain)
        return -1;
    const LineMetrics *line = nullptr;
    bool exact = true;
    qint64 minimumBearing = 0;
    qint64 advance = 0;
    struct Run {
        int metrics;
        QString text;
    };
    QVarLengthArray<Run, 2> runs;
    for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        const int index = fragment.charFormatIndex();
        // Building the format is most of what finding its metrics costs.
        const LineMetrics &metrics = index < lineMetrics.size() && lineMetrics.at(index).known
                                         ? lineMetrics.at(index)
                                         : this->metrics(index, fragment.charFormat());
        line = &lineMetrics[runs.isEmpty() ? index : runs.first().metrics];
        if (!metrics.plain || metrics.step != line->step || metrics.bottom != line->bottom ||
            metrics.ascent != line->ascent || metrics.descent != line->descent ||
            metrics.leading != line->leading)
            return -1;
        runs.append({index, fragment.text()});
        for (const QChar c : runs.last().text) {
            const int glyph = c.unicode() - ' ';
            if (glyph < 0 || glyph >= metrics.advances.size())
                return -1;
            advance += metrics.advances.at(glyph);
        }
        exact = exact && metrics.exact;
        minimumBearing = qMin(minimumBearing, metrics.minimumBearing);
    }
    // An empty paragraph's line is its own format's.
    if (!line)
        line = &metrics(block.charFormatIndex(), block.charFormat());
    const qint64 firstRoom = lineRoom(room);
    const qint64 width = exact ? advance - minimumBearing
                               : fixed(real(advance - minimumBearing) * kAdvanceSlack + kSlackPx);
    if (width <= firstRoom || !room.wraps) {
        *reach = ceilPixels(fixed(contentsWidth()) - firstRoom + width);
        return ceilPixels(qMax(line->step, line->bottom));
    }
    // The line breaker follows Qt's default wrapping only.
    if (!exact || settings.wrapMode != QTextOption::WrapAtWordBoundaryOrAnywhere)
        return -1;
    const QString text = runs.size() == 1 ? runs.first().text : block.text();
    PlainText plain{text, {}, {}, {}, minimumBearing};
    plain.advances.reserve(text.size());
    plain.bearings.reserve(text.size());
    for (const Run &run : runs) {
        const LineMetrics &metrics = lineMetrics.at(run.metrics);
        for (const QChar c : run.text) {
            plain.advances.append(metrics.advances.at(c.unicode() - ' '));
            plain.bearings.append(metrics.bearings.at(c.unicode() - ' '));
        }
    }
    plain.breaks.resize(text.size() + 1);
    atlume::findAsciiLineBreaks(text, plain.breaks.data());
    const int lines = lineCount(plain, firstRoom, firstRoom + room.textIndent);
    if (lines < 0)
        return -1;
    *reach = ceilPixels(fixed(contentsWidth()));
    *severalLines = lines > 1;
    return ceilPixels(qMax(lines * line->step, (lines - 1) * line->step + line->bottom));
}

int ConsoleLayout::guessHeight(const QTextBlock &block)
{
    const LineMetrics &line = metrics(block.charFormatIndex(), block.charFormat());
    return qMax(1, ceilPixels(qMax(line.step, line.bottom)));
}

// Lays block out as Qt's document layout lays out a paragraph of its root
// frame, with the lines placed from the paragraph's top left corner, and
// returns its height.
int ConsoleLayout::layOut(QTextLayout *layout, const QTextBlock &block, Measure *measure)
{
    const QTextBlockFormat format = block.blockFormat();
    const Qt::LayoutDirection direction = block.textDirection();
    QTextOption option = document()->defaultTextOption();
    option.setTextDirection(direction);
    option.setTabs(format.tabPositions());
    Qt::Alignment alignment = option.alignment();
    if (format.hasProperty(QTextFormat::BlockAlignment))
        alignment = format.alignment();
    option.setAlignment(QStyle::visualAlignment(direction, alignment));
    if (format.nonBreakableLines() || settings.pageWidth < 0)
        option.setWrapMode(QTextOption::ManualWrap);
    layout->setTextOption(option);
    const bool wordOrAnywhere = option.wrapMode() == QTextOption::WrapAtWordBoundaryOrAnywhere;

    const Inset &room = inset(block);
    const bool leftToRight = direction != Qt::RightToLeft;
    // The indent goes to the side the text starts from, the extra room to the other.
    const qint64 leftInset = room.leftMargin + (leftToRight ? room.indent : room.extra);
    const qint64 rightInset = room.rightMargin + (leftToRight ? room.extra : room.indent);
    const qint64 xLeft = fixed(settings.margins[2]);
    const qint64 left0 = xLeft + leftInset;
    const qint64 right0 = xLeft + fixed(contentsWidth()) - rightInset;
    const qreal scale = settings.scale;

    qint64 y = 0;
    qint64 bottom = 0;
    measure->lines = 0;
    measure->widest = 0;
    bool firstLine = true;
    layout->beginLayout();
    for (QTextLine line = layout->createLine(); line.isValid(); line = layout->createLine()) {
        line.setLeadingIncluded(true);
        qint64 left = left0;
        qint64 right = right0;
        if (firstLine) {
            if (leftToRight)
                left += room.textIndent;
            else
                right -= room.textIndent;
            firstLine = false;
        }
        line.setLineWidth(real(right - left));
        if (fixed(line.naturalTextWidth()) > right - left) {
            line.setLineWidth(real(right - left));
            if (fixed(line.naturalTextWidth()) > right - left) {
                // As Qt does for a word longer than the line, the wrap
                // mode it leaves behind included.
                if (wordOrAnywhere) {
                    option.setWrapMode(QTextOption::WrapAnywhere);
                    layout->setTextOption(option);
                }
                line.setLineWidth(qMax(line.naturalTextWidth(), real(right - left)));
                if (wordOrAnywhere) {
                    option.setWrapMode(QTextOption::WordWrap);
                    layout->setTextOption(option);
                }
            }
        }
        const LineStep step = lineStep(format, line, scale);
        line.setPosition(QPointF(real(left - xLeft), real(y - step.adjustment)));
        bottom = y + step.bottom;
        y += step.height;
        ++measure->lines;
        measure->widest =
            qMax(measure->widest, fixed(line.x() + line.naturalTextWidth()) + rightInset);
    }
    layout->endLayout();
    return ceilPixels(qMax(y, bottom));
}

void ConsoleLayout::measure(QTextBlock block)
{
    // A layout of its own: one kept in the block would stay for good.
    QTextLayout scratch(block);
    Measure size;
    const int height = layOut(&scratch, block, &size);
    store(block, height, knownState(ceilPixels(size.widest), size.lines > 1));
    noteWidth(size.widest);
}

QTextLayout *ConsoleLayout::laidOut(const QTextBlock &block)
{
    QTextLayout *layout = block.layout();
    if (layout->lineCount() == 0) {
        Measure size;
        const int oldHeight = block.lineCount();
        const int height = layOut(layout, block, &size);
        store(block, height, knownState(ceilPixels(size.widest), size.lines > 1));
        noteWidth(size.widest);
        if (height != oldHeight)
            corrected(block, oldHeight);
    }
    layout->setPosition(QPointF(settings.margins[2], top(block)));
    return layout;
}

// A paragraph wider than the page widens the document, as in Qt's layout.
void ConsoleLayout::noteWidth(qint64 reach)
{
    if (reach > fixed(contentsWidth()))
        widest = qMax(widest, reach);
}

void ConsoleLayout::corrected(const QTextBlock &block, int oldHeight)
{
    const qreal from = top(block);
    changedFrom = changedFrom < 0 ? from : qMin(changedFrom, from);
    // A paragraph above the view moves what the view shows; the view goes
    // with it, as at the end of the console, so that it keeps its place.
    if (view && from + oldHeight <= view->verticalScrollBar()->value() + shift)
        shift += block.lineCount() - oldHeight;
    // Reported once the drawing or the question at hand is done.
    if (!reportTimer.isActive())
        reportTimer.start(0, this);
}

void ConsoleLayout::reportCorrections()
{
    reportTimer.stop();
    const qreal from = changedFrom;
    changedFrom = -1;
    reportSize();
    if (view && shift != 0) {
        QScrollBar *bar = view->verticalScrollBar();
        bar->setValue(bar->value() + shift);
    }
    shift = 0;
    if (from >= 0)
        emit update(QRectF(0, from, kEverything, kEverything));
}

void ConsoleLayout::findWidest()
{
    const qint64 room = fixed(contentsWidth());
    widest = 0;
    for (QTextBlock block = document()->firstBlock(); block.isValid(); block = block.next()) {
        const int state = block.userState();
        if (state >= 0)
            widest = qMax(widest, fixed(state / 2));
    }
    if (widest <= room)
        widest = 0;
}

void ConsoleLayout::reportSize()
{
    const QSizeF size = documentSize();
    if (size == reportedSize)
        return;
    reportedSize = size;
    emit documentSizeChanged(size);
}

void ConsoleLayout::startSweep()
{
    sweepFrom = -1;
    sweepFound = false;
    if (!sweepTimer.isActive())
        sweepTimer.start(0, this);
}

// Measures the paragraphs whose height is still a guess, a few milliseconds
// at a time and the newest first, until one pass over the document finds none.
void ConsoleLayout::sweep()
{
    QElapsedTimer clock;
    clock.start();
    QTextDocument *doc = document();
    QTextBlock block = sweepFrom < 0
                           ? doc->lastBlock()
                           : doc->findBlockByNumber(qMin(sweepFrom, doc->blockCount() - 1));
    for (; block.isValid(); block = block.previous()) {
        if (block.userState() == kGuessed) {
            const int oldHeight = block.lineCount();
            takeIn(block, true);
            sweepFound = true;
            if (block.lineCount() != oldHeight)
                corrected(block, oldHeight);
        }
        if (clock.elapsed() >= kSweepSliceMs) {
            sweepFrom = block.blockNumber() - 1;
            break;
        }
    }
    if (!block.isValid()) {
        // Paragraphs removed meanwhile may have moved some past the pass.
        sweepFrom = -1;
        if (!sweepFound)
            sweepTimer.stop();
        sweepFound = false;
    }
    if (changedFrom >= 0)
        reportCorrections();
}

void ConsoleLayout::timerEvent(QTimerEvent *event)
{
    if (event->timerId() == sweepTimer.timerId())
        sweep();
    else if (event->timerId() == reportTimer.timerId())
        reportCorrections();
    else
        QAbstractTextDocumentLayout::timerEvent(event);
}

// The first paragraph whose bottom is at or below y; invalid below the last.
QTextBlock ConsoleLayout::blockAt(qreal y) const
{
    const QTextDocument *doc = document();
    const qreal inside = y - settings.margins[0];
    if (inside <= 0) {
        QTextBlock first = doc->firstBlock();
        while (first.isValid() && first.lineCount() == 0)
            first = first.next();
        return first;
    }
    const qint64 line = qint64(qCeil(inside)) - 1;
    if (line >= doc->lineCount())
        return QTextBlock();
    return doc->findBlockByLineNumber(int(line));
}

QRectF ConsoleLayout::blockBoundingRect(const QTextBlock &block) const
{
    if (!block.isValid() || !block.isVisible())
        return QRectF();
    // Qt's text cursor asks for this to have the paragraph laid out.
    const QTextLayout *layout = const_cast<ConsoleLayout *>(this)->laidOut(block);
    QRectF rect = layout->boundingRect();
    rect.moveTopLeft(layout->position());
    return rect;
}

int ConsoleLayout::hitTest(const QPointF &point, Qt::HitTestAccuracy accuracy) const
{
    auto *self = const_cast<ConsoleLayout *>(this);
    const int last = document()->characterCount() - 1;
    QTextBlock block = blockAt(point.y());
    QTextLayout *layout = nullptr;
    // Laying a paragraph out can change its height, and with it the
    // paragraph at the point.
    while (block.isValid()) {
        const int height = block.lineCount();
        layout = self->laidOut(block);
        if (block.lineCount() == height)
            break;
        block = blockAt(point.y());
    }
    if (!block.isValid())
        return accuracy == Qt::ExactHit ? -1 : last;

    // What Qt's document layout makes of a point in a paragraph.
    QRectF text = layout->boundingRect();
    text.translate(layout->position());
    int position = block.position();
    bool exact = false;
    if (point.y() < text.top()) {
    } else if (point.y() > text.bottom()) {
        position += block.length();
    } else {
        const QPointF at = point - layout->position();
        int offset = 0;
        for (int i = 0; i < layout->lineCount(); ++i) {
            const QTextLine line = layout->lineAt(i);
            const QRectF lineRect = line.naturalTextRect();
            if (lineRect.top() > at.y()) {
                offset = qMin(offset, line.textStart());
            } else if (lineRect.bottom() <= at.y()) {
                offset = qMax(offset, line.textStart() + line.textLength());
            } else {
                exact = lineRect.left() <= at.x() && lineRect.right() >= at.x();
                offset = line.xToCursor(at.x(), accuracy == Qt::ExactHit
                                                    ? QTextLine::CursorOnCharacter
                                                    : QTextLine::CursorBetweenCharacters);
                break;
            }
        }
        position += offset;
    }
    if (accuracy == Qt::ExactHit && !exact)
        return -1;
    return qBound(0, position, last);
}

void ConsoleLayout::draw(QPainter *painter, const PaintContext &context)
{
    const QSizeF size = documentSize();
    // Qt draws within the root frame, less its side margins.
    const QRectF area(settings.margins[2], 0,
                      size.width() - settings.margins[2] - settings.margins[3], size.height());
    const bool clipped = context.clip.isValid();
    const QRectF clip = clipped ? (context.clip & area) : area;
    const qreal bottom = clipped ? context.clip.bottom() : size.height();
    QTextBlock block = clipped ? blockAt(context.clip.top()) : document()->firstBlock();
    for (; block.isValid(); block = block.next()) {
        if (!block.isVisible())
            continue;
        if (top(block) > bottom)
            break;
        drawBlock(painter, context, block, laidOut(block), clip);
    }
}

void ConsoleLayout::drawBlock(QPainter *painter, const PaintContext &context,
                              const QTextBlock &block, QTextLayout *layout,
                              const QRectF &clip) const
{
    QRectF rect = layout->boundingRect();
    rect.translate(layout->position());
    if (context.clip.isValid() &&
        (rect.bottom() < context.clip.y() || rect.top() > context.clip.bottom()))
        return;

    const QTextBlockFormat format = block.blockFormat();
    const QBrush background = format.background();
    if (background != Qt::NoBrush) {
        QRectF fill = rect;
        if (settings.pageWidth <= 0)
            fill.setRight(documentSize().width() - settings.margins[3]);
        painter->save();
        painter->setBrushOrigin(rect.topLeft());
        painter->fillRect(fill, background);
        painter->restore();
    }

    QVector<QTextLayout::FormatRange> selections;
    const int start = block.position();
    const int length = block.length();
    for (const Selection &range : context.selections) {
        const int selectionStart = range.cursor.selectionStart() - start;
        const int selectionEnd = range.cursor.selectionEnd() - start;
        if (selectionStart < length && selectionEnd > 0 && selectionEnd > selectionStart) {
            QTextLayout::FormatRange selected;
            selected.start = selectionStart;
            selected.length = selectionEnd - selectionStart;
            selected.format = range.format;
            selections.append(selected);
        } else if (!range.cursor.hasSelection() &&
                   range.format.hasProperty(QTextFormat::FullWidthSelection) &&
                   block.contains(range.cursor.position())) {
            // A full width selection needs only a position, for its line.
            const QTextLine line = layout->lineForTextPosition(range.cursor.position() - start);
            QTextLayout::FormatRange selected;
            selected.start = line.textStart();
            selected.length = line.textLength();
            if (selected.start + selected.length == length - 1)
                ++selected.length;
            selected.format = range.format;
            selections.append(selected);
        }
    }

    const QPen pen = painter->pen();
    painter->setPen(context.palette.color(QPalette::Text));
    layout->draw(painter, QPointF(), selections, clip);
    int cursor = context.cursorPosition;
    if ((cursor >= start && cursor < start + length) ||
        (cursor < -1 && !layout->preeditAreaText().isEmpty())) {
        cursor = cursor < -1 ? layout->preeditAreaPosition() - (cursor + 2) : cursor - start;
        layout->drawCursor(painter, QPointF(), cursor, caretWidth);
    }
    painter->setPen(pen);
}
