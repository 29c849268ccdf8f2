#include "settingsfile.h"
#include "testsupport.h"

#include <QFileInfo>

class TestSettingsFile : public QObject {
    Q_OBJECT

private slots:
    void writesTheBytesOwnerOnly_data();
    void writesTheBytesOwnerOnly();
    void failureLeavesTheOldFileAlone_data();
    void failureLeavesTheOldFileAlone();
};

void TestSettingsFile::writesTheBytesOwnerOnly_data()
{
    QTest::addColumn<bool>("existing");
    QTest::addColumn<int>("oldPermissions");

    const QFileDevice::Permissions worldReadable = QFileDevice::ReadOwner |
                                                   QFileDevice::WriteOwner |
                                                   QFileDevice::ReadGroup | QFileDevice::ReadOther;
    const QFileDevice::Permissions everything = worldReadable | QFileDevice::WriteGroup |
                                                QFileDevice::WriteOther | QFileDevice::ExeOwner |
                                                QFileDevice::ExeGroup | QFileDevice::ExeOther;
    QTest::newRow("new file") << false << 0;
    QTest::newRow("replaces a 0644 file") << true << int(worldReadable);
    QTest::newRow("replaces a 0777 file") << true << int(everything);
}

void TestSettingsFile::writesTheBytesOwnerOnly()
{
    QFETCH(bool, existing);
    QFETCH(int, oldPermissions);
    TempWorkDir work;
    const QString path = QStringLiteral("conf/settings.json");
    if (existing) {
        QVERIFY(writeWholeFile(path, "old content that is longer than the new one\n"));
        QVERIFY(QFile::setPermissions(path, QFileDevice::Permissions(oldPermissions)));
    }

    const QByteArray bytes("{\n    \"k\": \"\xe4\xb8\xad\"\n}\n");
    QVERIFY(atlume::writeSettingsFile(path, bytes));

    QCOMPARE(readWholeFile(path), bytes);
    QVERIFY2(isOwnerOnly(path), qPrintable(QString::number(QFile::permissions(path), 16)));
    // No temporary file is left beside it.
    QCOMPARE(QDir(QStringLiteral("conf")).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("settings.json")});
}

void TestSettingsFile::failureLeavesTheOldFileAlone_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("oldFile");

    QTest::newRow("directory missing") << QStringLiteral("missing/settings.json") << false;
    // The name fits, but the temporary name beside it (name + ".XXXXXX") is
    // too long for the file system, so writing fails even for root.
    QTest::newRow("no room for the temporary file")
        << QStringLiteral("conf/") + QString(250, QLatin1Char('s')) << true;
    QTest::newRow("path is a directory") << QStringLiteral("conf/adir") << false;
}

void TestSettingsFile::failureLeavesTheOldFileAlone()
{
    QFETCH(QString, path);
    QFETCH(bool, oldFile);
    TempWorkDir work;
    QDir().mkpath(QStringLiteral("conf/adir"));
    const QByteArray old("{\"old\": true}\n");
    if (oldFile)
        QVERIFY(writeWholeFile(path, old));

    QVERIFY(!atlume::writeSettingsFile(path, "new"));

    if (oldFile)
        QCOMPARE(readWholeFile(path), old);
    else
        QVERIFY(!QFileInfo(path).isFile());
    QVERIFY(QFileInfo(QStringLiteral("conf/adir")).isDir());
}

QTEST_GUILESS_MAIN(TestSettingsFile)
#include "tst_settingsfile.moc"
