// The console's files: the log, appended to read by read, and what Save as
// writes, both their owner's alone when they are new.
#include "consolelog.h"
#include "testsupport.h"

class TestConsoleLog : public QObject {
    Q_OBJECT

private slots:
    void newFilesAreOwnerOnlyAndOldOnesKeepTheirMode_data();
    void newFilesAreOwnerOnlyAndOldOnesKeepTheirMode();
    void stopsWhenTheFileCanNoLongerBeWritten_data();
    void stopsWhenTheFileCanNoLongerBeWritten();
};

namespace {
const QFileDevice::Permissions kWorldReadable = QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                QFileDevice::ReadGroup | QFileDevice::ReadOther;
} // namespace

void TestConsoleLog::newFilesAreOwnerOnlyAndOldOnesKeepTheirMode_data()
{
    QTest::addColumn<bool>("log");
    QTest::addColumn<bool>("existing");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("new log") << true << false << QByteArray("one\ntwo\n");
    QTest::newRow("log appended to") << true << true << QByteArray("old\none\ntwo\n");
    QTest::newRow("new save") << false << false << QByteArray("one\ntwo\n");
    QTest::newRow("save replaces") << false << true << QByteArray("one\ntwo\n");
}

void TestConsoleLog::newFilesAreOwnerOnlyAndOldOnesKeepTheirMode()
{
    QFETCH(bool, log);
    QFETCH(bool, existing);
    QFETCH(QByteArray, expected);
    TempWorkDir work;
    const QString path = work.filePath(QStringLiteral("console.txt"));
    if (existing) {
        QVERIFY(writeWholeFile(path, "old\n"));
        QVERIFY(QFile::setPermissions(path, kWorldReadable));
    }
    if (log) {
        atlume::ConsoleLog file;
        QVERIFY(file.start(path));
        QVERIFY(file.write(QStringLiteral("one\n")));
        QVERIFY(file.write(QStringLiteral("two\n")));
    } else {
        QString error;
        QVERIFY2(atlume::saveConsoleText(path, QStringLiteral("one\ntwo\n"), &error),
                 qPrintable(error));
    }
    QCOMPARE(readWholeFile(path), expected);
    if (existing)
        QCOMPARE(QFile::permissions(path) & ~QFileDevice::Permissions(0x0700), kWorldReadable);
    else
        QVERIFY(isOwnerOnly(path));
}

void TestConsoleLog::stopsWhenTheFileCanNoLongerBeWritten_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("remove");
    QTest::addColumn<int>("failure");
    QTest::newRow("disk full") << QStringLiteral("/dev/full") << false
                               << int(atlume::ConsoleLog::Failure::CannotWrite);
    QTest::newRow("file removed") << QString() << true << int(atlume::ConsoleLog::Failure::Removed);
}

void TestConsoleLog::stopsWhenTheFileCanNoLongerBeWritten()
{
    QFETCH(QString, path);
    QFETCH(bool, remove);
    QFETCH(int, failure);
    TempWorkDir work;
    if (path.isEmpty())
        path = work.filePath(QStringLiteral("session.log"));
    atlume::ConsoleLog log;
    QVERIFY(log.start(path));
    QCOMPARE(log.path(), path);
    if (remove)
        QVERIFY(QFile::remove(path));
    QVERIFY(!log.write(QStringLiteral("line\n")));
    QCOMPARE(int(log.failure()), failure);
    QVERIFY(!log.isOpen());
    QVERIFY(log.path().isEmpty());
    // Closed: nothing more goes anywhere, and a removed file is not made again.
    QVERIFY(!log.write(QStringLiteral("more\n")));
    QCOMPARE(QFile::exists(path), !remove);
}

QTEST_GUILESS_MAIN(TestConsoleLog)
#include "tst_consolelog.moc"
