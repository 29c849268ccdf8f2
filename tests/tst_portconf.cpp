#include "portconf.h"
#include "testsupport.h"

#include <QFileInfo>
#include <QVariant>

namespace {

const QStringList kAllKeys{"ProductID", "DeviceName",  "DeviceSecret", "BaudRate",
                           "DataBits",  "FlowControl", "Parity",       "StopBits"};

// One member of a PortConf as a QVariant: invalid when absent.
QVariant member(const atlume::PortConf &conf, const QString &key)
{
    auto text = [](const std::optional<QString> &v) { return v ? QVariant(*v) : QVariant(); };
    auto number = [](const std::optional<int> &v) { return v ? QVariant(*v) : QVariant(); };
    if (key == QLatin1String("ProductID"))
        return text(conf.productId);
    if (key == QLatin1String("DeviceName"))
        return text(conf.deviceName);
    if (key == QLatin1String("DeviceSecret"))
        return text(conf.deviceSecret);
    if (key == QLatin1String("BaudRate"))
        return number(conf.baudRate);
    if (key == QLatin1String("DataBits"))
        return number(conf.dataBits);
    if (key == QLatin1String("FlowControl"))
        return number(conf.flowControl);
    if (key == QLatin1String("Parity"))
        return number(conf.parity);
    if (key == QLatin1String("StopBits"))
        return number(conf.stopBits);
    return QVariant();
}

} // namespace

class TestPortConf : public QObject {
    Q_OBJECT

private slots:
    void pathIsBuiltFromThePortName();
    void readsOneMember_data();
    void readsOneMember();
    void unusableFileGivesNothing_data();
    void unusableFileGivesNothing();
    void readsACompleteFile();
    void writesQtIndentedJsonOfAllMembers();
    void writtenFileReadsBack();
    void writtenFileIsOwnerOnly();
    void failedWriteLeavesTheOldFile();
};

void TestPortConf::pathIsBuiltFromThePortName()
{
    QCOMPARE(atlume::portConfPath(QStringLiteral("COM3")),
             QStringLiteral("./conf/portConf/COM3_CONF.json"));
    QCOMPARE(atlume::portConfPath(QStringLiteral("ttyUSB0")),
             QStringLiteral("./conf/portConf/ttyUSB0_CONF.json"));
}

void TestPortConf::readsOneMember_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QVariant>("expected");

    auto row = [](const char *key, const QByteArray &json, const QVariant &expected) {
        QTest::addRow("%s %s", key, json.constData())
            << QString::fromLatin1(key) << json << expected;
    };
    const QVariant absent;

    for (int rate : {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200})
        row("BaudRate", QByteArray::number(rate), rate);
    row("BaudRate", "9600.0", 9600);
    row("BaudRate", "1.152e5", 115200);
    row("BaudRate", "9601", absent);
    row("BaudRate", "0", absent);
    row("BaudRate", "-9600", absent);
    row("BaudRate", "230400", absent);
    row("BaudRate", "\"9600\"", absent);
    row("BaudRate", "9600.5", absent);
    row("BaudRate", "true", absent);
    row("BaudRate", "null", absent);
    row("BaudRate", "[9600]", absent);
    row("BaudRate", "{\"v\": 9600}", absent);
    // Whole numbers beyond int must not wrap into an accepted rate.
    row("BaudRate", "4294976896", absent);  // 2^32 + 9600
    row("BaudRate", "-4294957696", absent); // -2^32 + 9600
    row("BaudRate", "18446744073709561216", absent);
    row("BaudRate", "1e300", absent);
    row("BaudRate", "-1e300", absent);

    for (int bits : {5, 6, 7, 8})
        row("DataBits", QByteArray::number(bits), bits);
    row("DataBits", "4", absent);
    row("DataBits", "9", absent);
    row("DataBits", "7.5", absent); // fractional converts to 0, which is refused
    row("DataBits", "\"8\"", absent);
    row("DataBits", "4294967304", absent); // 2^32 + 8

    for (int flow : {0, 1, 2})
        row("FlowControl", QByteArray::number(flow), flow);
    row("FlowControl", "3", absent);
    row("FlowControl", "-1", absent);
    row("FlowControl", "1.5", 0); // fractional converts to 0, which is accepted
    row("FlowControl", "4294967297", absent);
    row("FlowControl", "false", absent);

    for (int parity : {0, 2, 3, 4, 5})
        row("Parity", QByteArray::number(parity), parity);
    row("Parity", "1", absent);
    row("Parity", "6", absent);
    row("Parity", "2.5", 0);
    row("Parity", "4294967298", absent);
    row("Parity", "\"none\"", absent);

    for (int stop : {1, 2, 3})
        row("StopBits", QByteArray::number(stop), stop);
    row("StopBits", "0", absent);
    row("StopBits", "4", absent);
    row("StopBits", "1.5", absent);
    row("StopBits", "4294967297", absent);
    row("StopBits", "1e300", absent);

    for (const char *key : {"ProductID", "DeviceName", "DeviceSecret"}) {
        row(key, "\"ABC123\"", QStringLiteral("ABC123"));
        row(key, "\"\"", QString(""));
        row(key, "\"\xe8\xae\xbe\xe5\xa4\x87 \\\"q\\\"\"", QStringLiteral("设备 \"q\""));
        row(key, "123", absent);
        row(key, "null", absent);
        row(key, "true", absent);
        row(key, "[\"a\"]", absent);
        row(key, "{\"a\": \"b\"}", absent);
    }
}

void TestPortConf::readsOneMember()
{
    QFETCH(QString, key);
    QFETCH(QByteArray, json);
    QFETCH(QVariant, expected);
    TempWorkDir work;
    const QString path = QStringLiteral("port.json");
    QVERIFY(
        writeWholeFile(path, "{\"" + key.toLatin1() + "\": " + json + ", \"wifiSSID\": \"x\"}"));

    const atlume::PortConf conf = atlume::readPortConf(path);

    QCOMPARE(member(conf, key), expected);
    for (const QString &other : kAllKeys) {
        if (other != key)
            QVERIFY2(!member(conf, other).isValid(), qPrintable(other));
    }
}

void TestPortConf::unusableFileGivesNothing_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("exists");

    QTest::newRow("missing") << QByteArray() << false;
    QTest::newRow("empty") << QByteArray() << true;
    QTest::newRow("blank") << QByteArray(" \n") << true;
    QTest::newRow("not JSON") << QByteArray("BaudRate=9600") << true;
    QTest::newRow("cut short") << QByteArray("{\"BaudRate\": 9600, \"Parity\": 2") << true;
    QTest::newRow("array") << QByteArray("[{\"BaudRate\": 9600}]") << true;
    QTest::newRow("null") << QByteArray("null") << true;
    QTest::newRow("number") << QByteArray("9600") << true;
    QTest::newRow("keys in other case")
        << QByteArray("{\"baudrate\": 9600, \"PARITY\": 2}") << true;
}

void TestPortConf::unusableFileGivesNothing()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, exists);
    TempWorkDir work;
    const QString path = QStringLiteral("port.json");
    if (exists)
        QVERIFY(writeWholeFile(path, content));

    const atlume::PortConf conf = atlume::readPortConf(path);

    for (const QString &key : kAllKeys)
        QVERIFY2(!member(conf, key).isValid(), qPrintable(key));
}

void TestPortConf::readsACompleteFile()
{
    TempWorkDir work;
    const QString path = QStringLiteral("port.json");
    // Written on another platform: CR LF line ends.
    QVERIFY(writeWholeFile(path, "{\r\n    \"BaudRate\": 57600,\r\n    \"DataBits\": 7,\r\n"
                                 "    \"DeviceName\": \"dev\",\r\n    \"DeviceSecret\": \"s\",\r\n"
                                 "    \"FlowControl\": 2,\r\n    \"Parity\": 5,\r\n"
                                 "    \"ProductID\": \"P\",\r\n    \"StopBits\": 2\r\n}\r\n"));

    const atlume::PortConf conf = atlume::readPortConf(path);

    QCOMPARE(conf.productId, std::optional<QString>(QStringLiteral("P")));
    QCOMPARE(conf.deviceName, std::optional<QString>(QStringLiteral("dev")));
    QCOMPARE(conf.deviceSecret, std::optional<QString>(QStringLiteral("s")));
    QCOMPARE(conf.baudRate, std::optional<qint32>(57600));
    QCOMPARE(conf.dataBits, std::optional<int>(7));
    QCOMPARE(conf.flowControl, std::optional<int>(2));
    QCOMPARE(conf.parity, std::optional<int>(5));
    QCOMPARE(conf.stopBits, std::optional<int>(2));
}

void TestPortConf::writesQtIndentedJsonOfAllMembers()
{
    atlume::PortConfValues values;
    values.productId = QStringLiteral("P1");
    values.deviceName = QStringLiteral("板子");
    values.deviceSecret = QStringLiteral("a\"b\\c");
    values.baudRate = 9600;
    values.dataBits = 7;
    values.flowControl = 1;
    values.parity = 3;
    values.stopBits = 3;

    QCOMPARE(atlume::portConfJson(values),
             QByteArray("{\n"
                        "    \"BaudRate\": 9600,\n"
                        "    \"DataBits\": 7,\n"
                        "    \"DeviceName\": \"\xe6\x9d\xbf\xe5\xad\x90\",\n"
                        "    \"DeviceSecret\": \"a\\\"b\\\\c\",\n"
                        "    \"FlowControl\": 1,\n"
                        "    \"Parity\": 3,\n"
                        "    \"ProductID\": \"P1\",\n"
                        "    \"StopBits\": 3\n"
                        "}\n"));
    // Empty identity texts are still written.
    QCOMPARE(atlume::portConfJson(atlume::PortConfValues()),
             QByteArray("{\n"
                        "    \"BaudRate\": 115200,\n"
                        "    \"DataBits\": 8,\n"
                        "    \"DeviceName\": \"\",\n"
                        "    \"DeviceSecret\": \"\",\n"
                        "    \"FlowControl\": 0,\n"
                        "    \"Parity\": 0,\n"
                        "    \"ProductID\": \"\",\n"
                        "    \"StopBits\": 1\n"
                        "}\n"));
}

void TestPortConf::writtenFileReadsBack()
{
    TempWorkDir work;
    QVERIFY(QDir().mkpath(QStringLiteral("conf/portConf")));
    const QString path = atlume::portConfPath(QStringLiteral("ttyUSB1"));
    QVERIFY(writeWholeFile(path, "{\"BaudRate\": 1200, \"wifiSSID\": \"home\", \"Extra\": 1}"));
    atlume::PortConfValues values;
    values.productId = QStringLiteral("PID");
    values.deviceName = QStringLiteral("name");
    values.deviceSecret = QStringLiteral("secret");
    values.baudRate = 38400;
    values.dataBits = 6;
    values.flowControl = 2;
    values.parity = 4;
    values.stopBits = 2;

    QVERIFY(atlume::writePortConf(path, values));

    QCOMPARE(readWholeFile(path), atlume::portConfJson(values));
    const atlume::PortConf conf = atlume::readPortConf(path);
    QCOMPARE(conf.productId, std::optional<QString>(values.productId));
    QCOMPARE(conf.deviceName, std::optional<QString>(values.deviceName));
    QCOMPARE(conf.deviceSecret, std::optional<QString>(values.deviceSecret));
    QCOMPARE(conf.baudRate, std::optional<qint32>(values.baudRate));
    QCOMPARE(conf.dataBits, std::optional<int>(values.dataBits));
    QCOMPARE(conf.flowControl, std::optional<int>(values.flowControl));
    QCOMPARE(conf.parity, std::optional<int>(values.parity));
    QCOMPARE(conf.stopBits, std::optional<int>(values.stopBits));
}

void TestPortConf::writtenFileIsOwnerOnly()
{
    TempWorkDir work;
    QVERIFY(QDir().mkpath(QStringLiteral("conf/portConf")));
    const QString path = atlume::portConfPath(QStringLiteral("COM7"));
    QVERIFY(writeWholeFile(path, "{}"));
    QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                            QFileDevice::ReadGroup | QFileDevice::ReadOther));

    QVERIFY(atlume::writePortConf(path, atlume::PortConfValues()));

    QVERIFY(isOwnerOnly(path));
}

void TestPortConf::failedWriteLeavesTheOldFile()
{
    TempWorkDir work;
    // No conf/portConf/: nothing here creates it.
    QVERIFY(!atlume::writePortConf(atlume::portConfPath(QStringLiteral("COM1")),
                                   atlume::PortConfValues()));
    QVERIFY(!QFileInfo::exists(QStringLiteral("conf/portConf")));

    // A port name so long that the temporary file cannot be made beside it.
    QVERIFY(QDir().mkpath(QStringLiteral("conf/portConf")));
    const QString path = atlume::portConfPath(QString(240, QLatin1Char('p')));
    const QByteArray old("{\"BaudRate\": 9600}");
    QVERIFY(writeWholeFile(path, old));
    QVERIFY(!atlume::writePortConf(path, atlume::PortConfValues()));
    QCOMPARE(readWholeFile(path), old);
}

QTEST_GUILESS_MAIN(TestPortConf)
#include "tst_portconf.moc"
