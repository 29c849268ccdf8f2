// The simulated module's input framing: the same frames however the bytes
// are cut into reads.

#include "inputframer.h"

#include <QtTest>

using atlume::InputFramer;

namespace {

// Frames as text, "line:" or "message:" before the bytes. A line "N=<n>"
// asks for a message of n bytes, as a long publish's header does.
QByteArrayList frameAll(const QList<QByteArray> &reads)
{
    InputFramer framer;
    QByteArrayList frames;
    for (const QByteArray &read : reads) {
        framer.append(read);
        while (const auto frame = framer.next()) {
            frames << (frame->message ? "message:" : "line:") + frame->bytes;
            if (!frame->message && frame->bytes.startsWith("N="))
                framer.expectMessage(frame->bytes.mid(2).toLongLong());
        }
    }
    return frames;
}

} // namespace

class TestInputFramer : public QObject {
    Q_OBJECT

private slots:
    void framesAlikeWhereverTheReadsEnd_data();
    void framesAlikeWhereverTheReadsEnd();
};

void TestInputFramer::framesAlikeWhereverTheReadsEnd_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArrayList>("frames");

    QTest::newRow("lines end at CR LF only") << QByteArray("AT\r\nA\rB\nC\r\n\r\nAT")
                                             << QByteArrayList{"line:AT", "line:A\rB\nC", "line:"};
    QTest::newRow("message, then its CR LF")
        << QByteArray("N=5\r\na\r\nbc\r\nAT\r\n")
        << QByteArrayList{"line:N=5", "message:a\r\nbc", "line:AT"};
    QTest::newRow("message without a CR LF")
        << QByteArray("N=2\r\nhiAT\r\n") << QByteArrayList{"line:N=2", "message:hi", "line:AT"};
    QTest::newRow("lone CR after a message")
        << QByteArray("N=1\r\nx\rAT\r\n") << QByteArrayList{"line:N=1", "message:x", "line:\rAT"};
    QTest::newRow("count too large takes the next line's bytes")
        << QByteArray("N=8\r\nhello\r\nAT\r\n")
        << QByteArrayList{"line:N=8", "message:hello\r\nA", "line:T"};
    QTest::newRow("empty message")
        << QByteArray("N=0\r\n\r\nAT\r\n") << QByteArrayList{"line:N=0", "message:", "line:AT"};
    QTest::newRow("message still arriving")
        << QByteArray("N=9\r\nabc") << QByteArrayList{"line:N=9"};
}

void TestInputFramer::framesAlikeWhereverTheReadsEnd()
{
    QFETCH(QByteArray, input);
    QFETCH(QByteArrayList, frames);

    for (int cut = 0; cut <= input.size(); ++cut)
        QCOMPARE(frameAll({input.left(cut), input.mid(cut)}), frames);
    QList<QByteArray> bytes;
    for (const char byte : input)
        bytes << QByteArray(1, byte);
    QCOMPARE(frameAll(bytes), frames);
}

QTEST_GUILESS_MAIN(TestInputFramer)
#include "tst_inputframer.moc"
