// The console's own layout against Qt's: the same document in two views, one
// laid out by each, must look, scroll and answer clicks alike, also where the
// console's layout has not laid a paragraph out yet.
#include "asciilinebreaks.h"
#include "console.h"
#include "consolelayout.h"
#include "scrollbacklimiter.h"
#include "testsupport.h"

#include <QAbstractTextDocumentLayout>
#include <QImage>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextBoundaryFinder>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextImageFormat>
#include <QtTest>

namespace {

enum class Text { Lines, Wrapped, Module, Mixed };
enum class Step { None, End, Middle, Resize, Select, KeysAndWheel };

// A picture of the given size in folder, by its path.
QString picture(const TempWorkDir &folder, int width, int height)
{
    const QString path = folder.filePath(QStringLiteral("%1x%2.png").arg(width).arg(height));
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::darkGreen);
    return image.save(path) ? path : QString();
}

void insertPicture(QTextCursor &end, const QString &path, const QString &after = QString())
{
    QTextImageFormat image;
    image.setName(path);
    end.insertImage(image);
    end.insertText(after + QStringLiteral("\r\n"));
}

void fill(QTextEdit &view, Text text, const TempWorkDir &folder)
{
    QTextCursor end(view.document());
    const auto lines = [&](int count) {
        for (int i = 0; i < count; ++i)
            end.insertText(QStringLiteral("+KQMQTTSUB:0,\"sensor/%1\",\"ok\"\r\n").arg(i));
    };
    switch (text) {
    case Text::Lines:
        lines(3000);
        break;
    case Text::Wrapped:
        lines(20);
        end.insertText(QStringLiteral("words that wrap ").repeated(40) + QStringLiteral("\r\n"));
        end.insertText(QString(500, QLatin1Char('x')) + QStringLiteral("\r\n"));
        end.insertText(QStringLiteral("a\tb\tc\r\n"));
        // Wider than the view: the document widens, as the scroll bar shows,
        // and Qt breaks the paragraph's next lines by words alone.
        insertPicture(end, picture(folder, 400, 30), QString(300, QLatin1Char('y')));
        lines(20);
        break;
    case Text::Module: {
        // What a module sends, in the format the console gives it: lines of
        // any length, of words, spaces and punctuation, most never drawn.
        QTextCharFormat unshaped;
        unshaped.setFontStyleStrategy(QFont::PreferNoShaping);
        const QStringList pieces{
            " ", "   ", "-",  "/",  "(7)",   "\"",         ",",           ".",
            ":", "=",   "42", "OK", "value", "+KQMQTTSUB", "WIFI GOT IP", QString(70, 'o')};
        QRandomGenerator random(25);
        for (int i = 0; i < 2000; ++i) {
            QString line;
            for (int words = random.bounded(30); words > 0; --words)
                line += pieces.at(random.bounded(pieces.size()));
            end.insertText(line + QStringLiteral("\r\n"), unshaped);
        }
        break;
    }
    case Text::Mixed: {
        lines(5);
        insertPicture(end, picture(folder, 60, 40));
        end.insertText(QString::fromUtf8("  请使用小程序扫描下面的二维码。\r\nمرحبا بالعالم\r\n"));
        QTextCharFormat red;
        red.setForeground(Qt::red);
        end.insertText(QStringLiteral("[12:00:00.000] "));
        end.insertText(QStringLiteral("coloured\r\n"), red);
        lines(5);
        break;
    }
    }
}

void step(QTextEdit &view, Step what)
{
    QScrollBar *bar = view.verticalScrollBar();
    switch (what) {
    case Step::None:
        break;
    case Step::End:
        bar->setValue(bar->maximum());
        break;
    case Step::Middle:
        bar->setValue(bar->maximum() / 2);
        break;
    case Step::Resize:
        view.resize(230, view.height());
        break;
    case Step::Select: {
        QTextCursor selection(view.document()->findBlockByNumber(3));
        selection.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor, 5);
        selection.movePosition(QTextCursor::Down, QTextCursor::KeepAnchor, 4);
        view.setTextCursor(selection);
        break;
    }
    case Step::KeysAndWheel:
        QTest::keyClick(&view, Qt::Key_PageDown);
        QTest::keyClick(&view, Qt::Key_Down);
        QWheelEvent wheel(QPointF(50, 50), QPointF(view.viewport()->mapToGlobal(QPoint(50, 50))),
                          QPoint(), QPoint(0, -240), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(view.viewport(), &wheel);
        break;
    }
}

// What a module sends, as the console receives it: lines of 60 to 140
// characters that wrap in a narrow view, numbered from from.
QString moduleLines(int from, int count)
{
    QString lines;
    for (int i = from; i < from + count; ++i)
        lines += QStringLiteral("+KQMQTTSUBDATA:\"dev/%1\",0,\"%2\"\r\n")
                     .arg(i)
                     .arg(QString(40 + i % 80, QLatin1Char('a' + i % 26)));
    return lines;
}

// Where the paragraph holding position is, in the view's own coordinates.
QRect shownAt(const QTextEdit &view, int position)
{
    const QTextBlock block = view.document()->findBlock(position);
    const QRectF rect = view.document()->documentLayout()->blockBoundingRect(block);
    return rect.translated(0, -view.verticalScrollBar()->value()).toRect();
}

} // namespace

Q_DECLARE_METATYPE(Text)
Q_DECLARE_METATYPE(Step)

class TestConsoleLayout : public QObject {
    Q_OBJECT

private slots:
    void looksAndAnswersAsQtsLayout_data();
    void looksAndAnswersAsQtsLayout();
    void breaksAsciiWhereQtDoes();
    void followsAndFindsLinesNeverLaidOut();
    void scrollbackHeightIsTheLayouts();
};

void TestConsoleLayout::looksAndAnswersAsQtsLayout_data()
{
    QTest::addColumn<Text>("text");
    QTest::addColumn<Step>("what");
    QTest::newRow("lines, end in view") << Text::Lines << Step::End;
    QTest::newRow("lines never laid out, middle in view") << Text::Lines << Step::Middle;
    QTest::newRow("keys and wheel") << Text::Lines << Step::KeysAndWheel;
    QTest::newRow("wrapped at the view's width") << Text::Wrapped << Step::None;
    QTest::newRow("wrapped anew after a resize") << Text::Wrapped << Step::Resize;
    QTest::newRow("selection across wrapped lines") << Text::Wrapped << Step::Select;
    QTest::newRow("module lines, middle in view") << Text::Module << Step::Middle;
    QTest::newRow("module lines after a resize") << Text::Module << Step::Resize;
    QTest::newRow("picture, directions, fonts, colours") << Text::Mixed << Step::None;
}

void TestConsoleLayout::looksAndAnswersAsQtsLayout()
{
    QFETCH(Text, text);
    QFETCH(Step, what);
    TempWorkDir work;

    QTextBrowser mine;
    QTextBrowser qts;
    ConsoleLayout::install(&mine);
    for (QTextBrowser *view : {&mine, &qts}) {
        view->resize(320, 200);
        view->show();
        QVERIFY(QTest::qWaitForWindowExposed(view));
        fill(*view, text, work);
    }
    // Hundreds of lines below the view's end, never drawn or asked about.
    const QTextBlock middle = mine.document()->findBlockByNumber(1500);
    if (middle.isValid())
        QCOMPARE(middle.layout()->lineCount(), 0);
    // Qt's layout finishes in steps, growing its scroll range as it goes.
    QTRY_COMPARE(mine.verticalScrollBar()->maximum(), qts.verticalScrollBar()->maximum());
    for (QTextBrowser *view : {&mine, &qts})
        step(*view, what);
    QTRY_COMPARE(mine.verticalScrollBar()->maximum(), qts.verticalScrollBar()->maximum());
    QCOMPARE(mine.verticalScrollBar()->value(), qts.verticalScrollBar()->value());
    QCOMPARE(mine.horizontalScrollBar()->maximum(), qts.horizontalScrollBar()->maximum());
    QCOMPARE(mine.document()->size(), qts.document()->size());

    QCOMPARE(mine.viewport()->grab().toImage(), qts.viewport()->grab().toImage());
    const QPointF scrolled(0, mine.verticalScrollBar()->value());
    for (qreal y = -2; y < mine.viewport()->height() + 6; y += 2.5) {
        for (const qreal x : {0.0, 9.0, 60.5, 200.0, 330.0}) {
            for (const Qt::HitTestAccuracy accuracy : {Qt::FuzzyHit, Qt::ExactHit}) {
                const QPointF point = QPointF(x, y) + scrolled;
                QCOMPARE(mine.document()->documentLayout()->hitTest(point, accuracy),
                         qts.document()->documentLayout()->hitTest(point, accuracy));
            }
        }
    }
    QTextBlock theirs = qts.document()->firstBlock();
    for (QTextBlock block = mine.document()->firstBlock(); block.isValid();
         block = block.next(), theirs = theirs.next()) {
        if (block.blockNumber() % 97 == 0 || block.blockNumber() < 60)
            QCOMPARE(mine.document()->documentLayout()->blockBoundingRect(block),
                     qts.document()->documentLayout()->blockBoundingRect(theirs));
    }
}

void TestConsoleLayout::breaksAsciiWhereQtDoes()
{
    // Numbers, punctuation and spaces, in runs likely to make and unmake
    // numbers, and any printable ASCII.
    const QString likely = QStringLiteral("0123456789 .,:;/-+$%\\()[]{}<=>~!?\"'|ab");
    QRandomGenerator random(14);
    for (int round = 0; round < 20000; ++round) {
        QString text;
        for (int length = 1 + random.bounded(24); length > 0; --length)
            text += round % 2 ? likely.at(random.bounded(likely.size()))
                              : QChar(' ' + random.bounded(95));
        QVarLengthArray<bool, 32> breaks(text.size() + 1);
        atlume::findAsciiLineBreaks(text, breaks.data());
        QTextBoundaryFinder qts(QTextBoundaryFinder::Line, text);
        for (int i = 1; i <= text.size(); ++i) {
            qts.setPosition(i);
            if (breaks[i] != qts.isAtBoundary())
                QFAIL(qPrintable(QStringLiteral("\"%1\" at %2").arg(text).arg(i)));
        }
    }
}

void TestConsoleLayout::followsAndFindsLinesNeverLaidOut()
{
    QTextBrowser view;
    view.resize(320, 200);
    auto *console = new Console(&view);
    QObject::connect(&view, &QTextEdit::textChanged, console, &Console::keepView);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    for (int from = 0; from < 3000; from += 100) {
        console->beginRead();
        console->showReceived(moduleLines(from, 100));
    }
    // The last line ends at the bottom of the view.
    const QTextBlock last = view.document()->lastBlock().previous();
    QVERIFY(last.text().startsWith(QStringLiteral("+KQMQTTSUBDATA:\"dev/2999\"")));
    // Scrolled to the cursor at the end, a few pixels above the maximum.
    QTRY_VERIFY(view.verticalScrollBar()->value() >= view.verticalScrollBar()->maximum() - 8);
    const QRect end = shownAt(view, last.position());
    QVERIFY(end.top() >= 0);
    QVERIFY(end.bottom() <= view.viewport()->height());

    // A line near the top, never drawn, is found and shown whole.
    const QTextBlock wanted = view.document()->findBlockByNumber(3);
    QCOMPARE(wanted.layout()->lineCount(), 0);
    QVERIFY(console->find(QStringLiteral("\"dev/3\"")));
    QCOMPARE(view.textCursor().block(), wanted);
    const QRect found = shownAt(view, wanted.position());
    QVERIFY(found.top() >= 0);
    QVERIFY(found.bottom() <= view.viewport()->height());
    QCOMPARE(view.cursorForPosition(found.center()).block(), wanted);
}

void TestConsoleLayout::scrollbackHeightIsTheLayouts()
{
    constexpr qreal kHeight = 40000;
    QTextBrowser view;
    view.resize(320, 200);
    auto *console = new Console(&view);
    console->limiter()->setLimits({kHeight, 1 << 30, 1 << 30});
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    for (int from = 0; from < 3000; from += 100)
        console->showReceived(moduleLines(from, 100));

    // Qt's own layout of what the console kept is no taller than the bound.
    QTextBrowser qts;
    qts.resize(view.size());
    qts.show();
    QVERIFY(QTest::qWaitForWindowExposed(&qts));
    qts.setDocument(view.document()->clone(&qts));
    QVERIFY(console->limiter()->droppedLines() > 0);
    QCOMPARE(view.document()->firstBlock().text(),
             ScrollbackLimiter::markerText(console->limiter()->droppedLines()));
    QTRY_COMPARE(qts.document()->size(), view.document()->size());
    QVERIFY(view.document()->size().height() <= kHeight);
}

QTEST_MAIN(TestConsoleLayout)
#include "tst_consolelayout.moc"
