#include "testsupport.h"
#include "wificonffile.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace {

// Columns shared by the reading tests: file content (a null array for no
// file) and what it yields.
void readingColumns()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("ssid");
    QTest::addColumn<QString>("password");
}

} // namespace

class TestWifiConfFile : public QObject {
    Q_OBJECT

private slots:
    void keepsBothFilesInConf();
    void readsWifiConfig_data();
    void readsWifiConfig();
    void savesWifiConfig_data();
    void savesWifiConfig();
    void savedWifiConfigLayout();
    void leavesAnArrayAlone_data();
    void leavesAnArrayAlone();
    void readsSoftApConfigOnlyAsAPair_data();
    void readsSoftApConfigOnlyAsAPair();
    void savesExactlyTheTwoSoftApMembers();
    void savedFilesAreOwnerOnly();
    void keepsALeadingByteOrderMark();
    void missingDirectoryFailsQuietly();
};

void TestWifiConfFile::keepsBothFilesInConf()
{
    QCOMPARE(atlume::wifiConfigPath(), QStringLiteral("./conf/config.json"));
    QCOMPARE(atlume::softApConfigPath(), QStringLiteral("./conf/softAPConf.json"));
}

void TestWifiConfFile::readsWifiConfig_data()
{
    readingColumns();
    QTest::newRow("missing") << QByteArray() << ""
                             << "";
    QTest::newRow("empty") << QByteArray("") << ""
                           << "";
    QTest::newRow("not JSON") << QByteArray("wifi.ssid=home") << ""
                              << "";
    QTest::newRow("array") << QByteArray("[{\"wifi.ssid\": \"home\"}]") << ""
                           << "";
    QTest::newRow("both") << QByteArray(
                                 "{\"wifi.password\": \"secret12\", \"wifi.ssid\": \"home\"}")
                          << "home"
                          << "secret12";
    QTest::newRow("CR LF and more members")
        << QByteArray(
               "{\r\n \"x\": 1,\r\n \"wifi.ssid\": \"家\",\r\n \"wifi.password\": \" p \"\r\n}\r\n")
        << "家"
        << " p ";
    QTest::newRow("ssid a number")
        << QByteArray("{\"wifi.ssid\": 123, \"wifi.password\": \"pw\"}") << ""
        << "pw";
    QTest::newRow("password not a string")
        << QByteArray("{\"wifi.ssid\": \"net\", \"wifi.password\": true}") << "net"
        << "";
    QTest::newRow("null members") << QByteArray("{\"wifi.ssid\": null, \"wifi.password\": null}")
                                  << ""
                                  << "";
    QTest::newRow("nested, not flat")
        << QByteArray("{\"wifi\": {\"ssid\": \"net\", \"password\": \"pw\"}}") << ""
        << "";
    QTest::newRow("other case") << QByteArray("{\"WIFI.SSID\": \"net\"}") << ""
                                << "";
}

void TestWifiConfFile::readsWifiConfig()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, ssid);
    QFETCH(QString, password);
    TempWorkDir work;
    if (!content.isNull())
        QVERIFY(writeWholeFile(atlume::wifiConfigPath(), content));

    const atlume::WifiCredentials read = atlume::readWifiConfig(atlume::wifiConfigPath());

    QCOMPARE(read.ssid, ssid);
    QCOMPARE(read.password, password);
}

void TestWifiConfFile::savesWifiConfig_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QByteArray>("expected"); // the object the file holds afterwards

    const QByteArray justTheTwo("{\"wifi.password\": \"pass word\", \"wifi.ssid\": \"net\"}");
    QTest::newRow("missing") << QByteArray() << justTheTwo;
    QTest::newRow("empty") << QByteArray("") << justTheTwo;
    QTest::newRow("not JSON") << QByteArray("{oops") << justTheTwo;
    QTest::newRow("JSON null") << QByteArray("null") << justTheTwo;
    QTest::newRow("empty object") << QByteArray("{}") << justTheTwo;
    QTest::newRow("old values replaced")
        << QByteArray("{\"wifi.ssid\": 5, \"wifi.password\": \"old\"}") << justTheTwo;
    QTest::newRow("other members kept")
        << QByteArray("{\"a\": {\"b\": [1, 2.5, null]}, \"wifi.ssid\": \"old\", \"z\": \"中\"}")
        << QByteArray("{\"a\": {\"b\": [1, 2.5, null]}, \"wifi.password\": \"pass word\","
                      " \"wifi.ssid\": \"net\", \"z\": \"中\"}");
}

void TestWifiConfFile::savesWifiConfig()
{
    QFETCH(QByteArray, content);
    QFETCH(QByteArray, expected);
    TempWorkDir work;
    const QString path = atlume::wifiConfigPath();
    if (!content.isNull())
        QVERIFY(writeWholeFile(path, content));

    QVERIFY(atlume::saveWifiConfig(path, {QStringLiteral("net"), QStringLiteral("pass word")}));

    const QJsonDocument expectedDocument = QJsonDocument::fromJson(expected);
    QVERIFY(expectedDocument.isObject());
    QCOMPARE(readWholeFile(path), expectedDocument.toJson(QJsonDocument::Indented));
}

void TestWifiConfFile::savedWifiConfigLayout()
{
    TempWorkDir work;
    QVERIFY(atlume::saveWifiConfig(atlume::wifiConfigPath(),
                                   {QStringLiteral("net \"1\""), QStringLiteral("        ")}));
    QCOMPARE(readWholeFile(atlume::wifiConfigPath()),
             QByteArray("{\n    \"wifi.password\": \"        \",\n"
                        "    \"wifi.ssid\": \"net \\\"1\\\"\"\n}\n"));
}

void TestWifiConfFile::leavesAnArrayAlone_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("array") << QByteArray("[\"wifi.ssid\", 1]\n");
    QTest::newRow("empty array") << QByteArray("[]");
}

void TestWifiConfFile::leavesAnArrayAlone()
{
    QFETCH(QByteArray, content);
    TempWorkDir work;
    const QString path = atlume::wifiConfigPath();
    QVERIFY(writeWholeFile(path, content));

    QVERIFY(!atlume::saveWifiConfig(path, {QStringLiteral("net"), QStringLiteral("password")}));

    QCOMPARE(readWholeFile(path), content);
}

void TestWifiConfFile::readsSoftApConfigOnlyAsAPair_data()
{
    readingColumns();
    QTest::newRow("missing") << QByteArray() << ""
                             << "";
    QTest::newRow("not JSON") << QByteArray("SSID: ap") << ""
                              << "";
    QTest::newRow("array") << QByteArray("[{\"SSID\": \"ap1\", \"Password\": \"12345678\"}]") << ""
                           << "";
    QTest::newRow("both") << QByteArray("{\"Password\": \"12345678\", \"SSID\": \"ap1\"}") << "ap1"
                          << "12345678";
    QTest::newRow("short values still read")
        << QByteArray("{\"Password\": \"1\", \"SSID\": \"a\"}") << "a"
        << "1";
    QTest::newRow("further member")
        << QByteArray("{\"SSID\": \"ap1\", \"Password\": \"pw\", \"x\": 1}") << "ap1"
        << "pw";
    QTest::newRow("password empty") << QByteArray("{\"SSID\": \"ap1\", \"Password\": \"\"}") << ""
                                    << "";
    QTest::newRow("ssid empty") << QByteArray("{\"SSID\": \"\", \"Password\": \"12345678\"}") << ""
                                << "";
    QTest::newRow("password missing") << QByteArray("{\"SSID\": \"ap1\"}") << ""
                                      << "";
    QTest::newRow("ssid a number")
        << QByteArray("{\"SSID\": 1234, \"Password\": \"12345678\"}") << ""
        << "";
    QTest::newRow("keys of the other file")
        << QByteArray("{\"wifi.ssid\": \"ap1\", \"wifi.password\": \"12345678\"}") << ""
        << "";
}

void TestWifiConfFile::readsSoftApConfigOnlyAsAPair()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, ssid);
    QFETCH(QString, password);
    TempWorkDir work;
    if (!content.isNull())
        QVERIFY(writeWholeFile(atlume::softApConfigPath(), content));

    const atlume::WifiCredentials read = atlume::readSoftApConfig(atlume::softApConfigPath());

    QCOMPARE(read.ssid, ssid);
    QCOMPARE(read.password, password);
}

void TestWifiConfFile::savesExactlyTheTwoSoftApMembers()
{
    TempWorkDir work;
    const QString path = atlume::softApConfigPath();
    QVERIFY(writeWholeFile(path, "{\"Extra\": 1, \"SSID\": \"old\", \"Password\": \"oldoldold\"}"));

    QVERIFY(atlume::saveSoftApConfig(path, {QStringLiteral("ap_1"), QStringLiteral("p@ss(word)")}));

    QCOMPARE(readWholeFile(path),
             QByteArray("{\n    \"Password\": \"p@ss(word)\",\n    \"SSID\": \"ap_1\"\n}\n"));
}

void TestWifiConfFile::savedFilesAreOwnerOnly()
{
    TempWorkDir work;
    const QFileDevice::Permissions open = QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                          QFileDevice::ReadGroup | QFileDevice::ReadOther |
                                          QFileDevice::WriteOther;
    for (const QString &path : {atlume::wifiConfigPath(), atlume::softApConfigPath()}) {
        QVERIFY(writeWholeFile(path, "{}"));
        QVERIFY(QFile::setPermissions(path, open));
    }

    QVERIFY(atlume::saveWifiConfig(atlume::wifiConfigPath(), {"net", "password"}));
    QVERIFY(atlume::saveSoftApConfig(atlume::softApConfigPath(), {"ap1", "password"}));

    QVERIFY(isOwnerOnly(atlume::wifiConfigPath()));
    QVERIFY(isOwnerOnly(atlume::softApConfigPath()));
}

void TestWifiConfFile::keepsALeadingByteOrderMark()
{
    // Qt's JSON reader drops a U+FEFF that opens a string, as if it were a
    // byte-order mark, and its writer stores the character as it is.
    TempWorkDir work;
    const QString mark(QChar(0xfeff));
    const atlume::WifiCredentials saved{mark + "net", mark + "password"};
    // A member whose name begins with U+FEFF is another member.
    QVERIFY(writeWholeFile(atlume::wifiConfigPath(), "{\"\xef\xbb\xbfwifi.ssid\": \"old\"}"));

    QVERIFY(atlume::saveWifiConfig(atlume::wifiConfigPath(), saved));
    QVERIFY(atlume::saveSoftApConfig(atlume::softApConfigPath(), saved));

    for (const atlume::WifiCredentials &read :
         {atlume::readWifiConfig(atlume::wifiConfigPath()),
          atlume::readSoftApConfig(atlume::softApConfigPath())}) {
        QCOMPARE(read.ssid, saved.ssid);
        QCOMPARE(read.password, saved.password);
    }
}

void TestWifiConfFile::missingDirectoryFailsQuietly()
{
    TempWorkDir work(false);
    QVERIFY(!atlume::saveWifiConfig(atlume::wifiConfigPath(), {"net", "password"}));
    QVERIFY(!atlume::saveSoftApConfig(atlume::softApConfigPath(), {"ap1", "password"}));
    QVERIFY(!QDir(QStringLiteral("conf")).exists());
}

QTEST_GUILESS_MAIN(TestWifiConfFile)
#include "tst_wificonffile.moc"
