// The console's bounded scrollback: what a drop keeps, what its marker says,
// and that the console still looks as Qt would have drawn it.

#include "scrollbacklimiter.h"

#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextImageFormat>
#include <QtTest>

namespace {

// Inserts lines at the end as the receive path does, a few per read, and
// returns the paragraphs that it added. With picture, each line follows a
// picture inserted as the SmartConfig guide inserts its own: the line break
// after the picture carries the picture's format.
QStringList insertLines(QTextEdit &console, int count, bool picture)
{
    constexpr int kLinesPerRead = 7;
    QStringList added;
    for (int line = 0; line < count; line += kLinesPerRead) {
        QTextCursor end(console.document());
        end.movePosition(QTextCursor::End);
        end.beginEditBlock();
        for (int i = line; i < qMin(line + kLinesPerRead, count); ++i) {
            if (picture) {
                QTextImageFormat image;
                image.setName(QStringLiteral("guide.png"));
                end.insertImage(image);
                end.insertText(QStringLiteral("\r\n"));
                added << QString(QChar::ObjectReplacementCharacter);
            }
            end.insertText(QStringLiteral("line %1\r\n").arg(i), QTextCharFormat());
            added << QStringLiteral("line %1").arg(i);
        }
        end.endEditBlock();
    }
    return added;
}

QStringList blockTexts(const QTextDocument *document)
{
    QStringList texts;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next())
        texts << block.text();
    return texts;
}

bool holdsPicture(const QTextBlock &block)
{
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        if (it.fragment().charFormat().isImageFormat())
            return true;
    }
    return false;
}

} // namespace

class TestScrollbackLimiter : public QObject {
    Q_OBJECT

private slots:
    void dropKeepsNewestLinesWithMarker_data();
    void dropKeepsNewestLinesWithMarker();
    void directionIsTheOneQtWouldFind();
};

void TestScrollbackLimiter::dropKeepsNewestLinesWithMarker_data()
{
    QTest::addColumn<qreal>("height");
    QTest::addColumn<int>("characters");
    QTest::addColumn<int>("lines");
    QTest::addColumn<bool>("picture");

    constexpr int kNoBound = 1000000000;
    QTest::newRow("by text") << qreal(kNoBound) << 2000 << kNoBound << false;
    QTest::newRow("by height") << qreal(1500) << kNoBound << kNoBound << false;
    QTest::newRow("by lines") << qreal(kNoBound) << kNoBound << 100 << false;
    QTest::newRow("lines with pictures") << qreal(kNoBound) << 1000 << kNoBound << true;
}

void TestScrollbackLimiter::dropKeepsNewestLinesWithMarker()
{
    QFETCH(qreal, height);
    QFETCH(int, characters);
    QFETCH(int, lines);
    QFETCH(bool, picture);

    QTextBrowser console;
    console.resize(400, 300);
    console.show();
    auto *limiter = new ScrollbackLimiter(&console);
    limiter->setLimits({height, characters, lines});

    // Twice: clearing the console starts the count again.
    for (int round = 0; round < 2; ++round) {
        console.clear();
        QCOMPARE(limiter->droppedLines(), 0);
        const QStringList added = insertLines(console, 600, picture) + QStringList{QString()};

        const QTextDocument *document = console.document();
        QVERIFY(document->size().height() <= height);
        QVERIFY(document->characterCount() <= characters);
        QVERIFY(document->blockCount() <= lines);
        const QStringList texts = blockTexts(document);
        const qint64 dropped = limiter->droppedLines();
        QVERIFY(dropped > 0);
        QCOMPARE(texts.first(), QStringLiteral("（较早的 %1 行已从显示中移除）").arg(dropped));
        // Then every paragraph not dropped, whole and in order, up to the
        // empty one after the last CR LF.
        QCOMPARE(texts.mid(1), added.mid(int(dropped)));
        // The marker is text, even when the line it precedes began with a picture.
        QVERIFY(!holdsPicture(document->firstBlock()));
    }
}

void TestScrollbackLimiter::directionIsTheOneQtWouldFind()
{
    const QStringList lines{QStringLiteral("OK"),
                            QString::fromUtf8("مرحبا بالعالم"),
                            QString::fromUtf8("123 שלום 456"),
                            QStringLiteral("+++ 42"),
                            QString::fromUtf8("(abc) مرحبا"),
                            QString()};
    QTextBrowser limited;
    new ScrollbackLimiter(&limited);
    QTextBrowser plain;
    for (QTextEdit *console :
         {static_cast<QTextEdit *>(&limited), static_cast<QTextEdit *>(&plain)}) {
        QTextCursor end(console->document());
        end.insertText(lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
        // append() copies the last paragraph's format into the new one.
        console->append(lines.at(1));
        console->append(QStringLiteral("\"\"\""));
    }

    QTextBlock mine = limited.document()->begin();
    QTextBlock qts = plain.document()->begin();
    for (; qts.isValid(); mine = mine.next(), qts = qts.next()) {
        QVERIFY(mine.isValid());
        QCOMPARE(mine.text(), qts.text());
        QCOMPARE(mine.textDirection(), qts.textDirection());
    }
    QVERIFY(!mine.isValid());
}

QTEST_MAIN(TestScrollbackLimiter)
#include "tst_scrollbacklimiter.moc"
