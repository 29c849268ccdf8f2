// Simulated modules (atlume-sim, run as the user runs it) in the window's
// port list: announced while they run, gone when they end however they end.

#include "broker.h"
#include "portannouncement.h"
#include "portenumerator.h"
#include "portlist.h"
#include "simulatedports.h"
#include "testsupport.h"
#include "waitfor.h"
#include "windowsupport.h"

#include <QAction>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProcess>
#include <QSerialPort>
#include <QSerialPortInfo>

#include <csignal>
#include <memory>
#include <sys/stat.h>

namespace {

constexpr int kTimeoutMs = 10000;
// The module answers at once; the window need not wait out whole seconds.
constexpr int kShortPauseMs = 50;

// atlume-sim in a process of its own, announcing itself in the test's
// runtime folder.
class SimProcess {
public:
    ~SimProcess()
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(kTimeoutMs);
        }
    }

    // The name it announced, once it has.
    QString start(const QStringList &arguments = {})
    {
        process.start(QStringLiteral(ATLUME_SIM_PROGRAM), arguments);
        const QRegularExpression announced(QStringLiteral("atlume-sim: (ttySIM\\d+) in"));
        QRegularExpressionMatch match;
        atlume::support::waitFor(
            [&] {
                errors += process.readAllStandardError();
                match = announced.match(QString::fromLocal8Bit(errors));
                return match.hasMatch();
            },
            kTimeoutMs);
        return match.captured(1);
    }

    QProcess process;
    QByteArray errors;
};

QStringList systemPortNames()
{
    QStringList names;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts())
        names << info.portName();
    return names;
}

QStringList folderEntries()
{
    return QDir(atlume::sim::portFolder()).entryList(QDir::Files | QDir::System);
}

// Chooses an entry of the port list's menu, as a right click on the list does.
void choosePortListEntry(const MainWindow &window, const char *name)
{
    const std::unique_ptr<QMenu> menu(window.findChild<PortList *>()->createContextMenu());
    menu->findChild<QAction *>(QString::fromLatin1(name))->trigger();
}

} // namespace

class TestSimulatedPorts : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void listsAModuleWhileItRuns_data();
    void listsAModuleWhileItRuns();
    void givesEachModuleItsOwnNameAndFile();
    void listIsTheSystemsWithoutALiveModule_data();
    void listIsTheSystemsWithoutALiveModule();
    void endsEveryUsageErrorAlike_data();
    void endsEveryUsageErrorAlike();
    void answersHelpAndVersion_data();
    void answersHelpAndVersion();
    void saysWhyItCannotReachTheBroker();
    void tellsWhatRunsASimulatedPort();
    void refreshesAsModulesComeAndGo();
    void reopensAModuleThatComesBack();

private:
    QTemporaryDir runtime;
};

void TestSimulatedPorts::initTestCase()
{
    QVERIFY(runtime.isValid());
    QFile::setPermissions(runtime.path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    // The module started below inherits it.
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
}

void TestSimulatedPorts::init()
{
    QDir(atlume::sim::portFolder()).removeRecursively();
}

void TestSimulatedPorts::listsAModuleWhileItRuns_data()
{
    QTest::addColumn<int>("endSignal");
    QTest::newRow("terminated") << SIGTERM;
    QTest::newRow("interrupted") << SIGINT;
    // No chance to withdraw: the next scan finds its lock free.
    QTest::newRow("killed") << SIGKILL;
}

void TestSimulatedPorts::listsAModuleWhileItRuns()
{
    QFETCH(int, endSignal);
    TempWorkDir work;
    MainWindow window;
    showAndActivate(window);
    SimProcess sim;
    QCOMPARE(sim.start({QStringLiteral("--delay=0")}), QStringLiteral("ttySIM0"));

    QTest::mouseClick(widget<QPushButton>(window, "scanPortBtn"), Qt::LeftButton);
    selectPort(window, QStringLiteral("ttySIM0"));
    QTest::mouseClick(widget<QPushButton>(window, "connectBtn"), Qt::LeftButton);
    QVERIFY(portOf(window)->isOpen());
    QVERIFY(consoleText(window).startsWith(QString::fromUtf8("串口 ttySIM0 已打开。")));
    QTRY_VERIFY_WITH_TIMEOUT(consoleText(window).contains("+KQMQTTSTATE:0"), kTimeoutMs);
    auto *input = widget<QPlainTextEdit>(window, "orderPlainTextEdit");
    input->setPlainText(QStringLiteral("AT"));
    QTest::mouseClick(widget<QPushButton>(window, "sendBtn"), Qt::LeftButton);
    QTRY_VERIFY2_WITH_TIMEOUT(consoleText(window).trimmed().endsWith("\nAT\nOK"),
                              qPrintable(consoleText(window)), kTimeoutMs);

    ::kill(pid_t(sim.process.processId()), endSignal);
    QVERIFY(sim.process.waitForFinished(kTimeoutMs));
    // Like an unplugged adapter: the window notices the hang-up and rescans.
    QTRY_VERIFY_WITH_TIMEOUT(!portItem(window, QStringLiteral("ttySIM0")), kTimeoutMs);
    QVERIFY(!portOf(window)->isOpen());
    QVERIFY(!widget<QPushButton>(window, "connectBtn")->isEnabled());
    QCOMPARE(folderEntries(), QStringList());
}

void TestSimulatedPorts::givesEachModuleItsOwnNameAndFile()
{
    TempWorkDir work;
    MainWindow window;
    showAndActivate(window);
    SimProcess first;
    SimProcess second;
    QCOMPARE(first.start(), QStringLiteral("ttySIM0"));
    QCOMPARE(second.start(), QStringLiteral("ttySIM1"));

    QTest::mouseClick(widget<QPushButton>(window, "scanPortBtn"), Qt::LeftButton);
    selectPort(window, QStringLiteral("ttySIM0"));
    widget<QLineEdit>(window, "productIDLineEdit")->setText(QStringLiteral("P0"));
    selectPort(window, QStringLiteral("ttySIM1"));
    QCOMPARE(readJsonObject(QStringLiteral("conf/portConf/ttySIM0_CONF.json"))
                 .value(QStringLiteral("ProductID"))
                 .toString(),
             QStringLiteral("P0"));

    // A rescan keeps the selection; the first module's end takes only its name.
    first.process.terminate();
    QVERIFY(first.process.waitForFinished(kTimeoutMs));
    QTest::mouseClick(widget<QPushButton>(window, "scanPortBtn"), Qt::LeftButton);
    QVERIFY(!portItem(window, QStringLiteral("ttySIM0")));
    QCOMPARE(widget<QListWidget>(window, "portListWidget")->currentItem(),
             portItem(window, QStringLiteral("ttySIM1")));
    QTest::mouseClick(widget<QPushButton>(window, "connectBtn"), Qt::LeftButton);
    QVERIFY(portOf(window)->isOpen());

    // The freed name goes to the next module.
    SimProcess third;
    QCOMPARE(third.start(), QStringLiteral("ttySIM0"));
}

void TestSimulatedPorts::listIsTheSystemsWithoutALiveModule_data()
{
    QTest::addColumn<QString>("state");
    QTest::newRow("no folder") << "none";
    QTest::newRow("empty folder") << "empty";
    QTest::newRow("entry of a module that died") << "stale";
    QTest::newRow("live entry in a folder others may enter") << "open";
}

void TestSimulatedPorts::listIsTheSystemsWithoutALiveModule()
{
    QFETCH(QString, state);
    const QString folder = atlume::sim::portFolder();
    atlume::PortAnnouncement announcement;
    if (state != QLatin1String("none")) {
        QString error;
        QVERIFY2(announcement.announce(QStringLiteral("/dev/null"), &error), qPrintable(error));
        QCOMPARE(atlume::availablePortNames(), systemPortNames() << QStringLiteral("ttySIM0"));
    }
    if (state == QLatin1String("empty")) {
        announcement.withdraw();
    } else if (state == QLatin1String("stale")) {
        // What a killed module leaves: its files, with nobody holding the lock.
        QFile::copy(atlume::sim::lockPath("ttySIM0"), folder + "/keep");
        QFile::link(QStringLiteral("/dev/null"), folder + "/keep-link");
        announcement.withdraw();
        QVERIFY(QFile::rename(folder + "/keep", atlume::sim::lockPath("ttySIM0")));
        QVERIFY(QFile::rename(folder + "/keep-link", atlume::sim::entryPath("ttySIM0")));
    } else if (state == QLatin1String("open")) {
        QVERIFY(::chmod(QFile::encodeName(folder).constData(), 0755) == 0);
    }

    QCOMPARE(atlume::availablePortNames(), systemPortNames());
    QCOMPARE(atlume::sim::portLocation(QStringLiteral("ttySIM0")), QStringLiteral("ttySIM0"));
    if (state == QLatin1String("stale"))
        QCOMPARE(folderEntries(), QStringList());
}

void TestSimulatedPorts::endsEveryUsageErrorAlike_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("error");

    const QString broker = QStringLiteral("atlume-sim: --broker: ");
    QTest::newRow("broker port too large") << QStringList{"--broker", "localhost:65536"} << broker;
    QTest::newRow("broker port not a number")
        << QStringList{"--broker", "localhost:mqtt"} << broker;
    QTest::newRow("broker without host") << QStringList{"--broker", ":1883"} << broker;
    QTest::newRow("blank in the broker's host") << QStringList{"--broker", "my broker"} << broker;
    QTest::newRow("empty broker") << QStringList{"--broker", ""} << broker;
    QTest::newRow("unknown option") << QStringList{"--no-such-option"} << "atlume-sim: ";
    QTest::newRow("option without its value") << QStringList{"--delay"} << "atlume-sim: ";
    QTest::newRow("argument") << QStringList{"ttySIM0"} << "atlume-sim: unexpected argument";
    // The range --help gives.
    QTest::newRow("join error below the range")
        << QStringList{"--reject-join", "0"}
        << "atlume-sim: --reject-join wants a number from 1 to 9, not '0'";
    QTest::newRow("join error above the range")
        << QStringList{"--reject-join", "10"}
        << "atlume-sim: --reject-join wants a number from 1 to 9, not '10'";
}

void TestSimulatedPorts::endsEveryUsageErrorAlike()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, error);
    QProcess sim;
    sim.start(QStringLiteral(ATLUME_SIM_PROGRAM), arguments);
    QVERIFY(sim.waitForFinished(kTimeoutMs));
    QCOMPARE(sim.exitStatus(), QProcess::NormalExit);
    QCOMPARE(sim.exitCode(), 2);
    const QString errors = QString::fromLocal8Bit(sim.readAllStandardError());
    QVERIFY2(errors.startsWith(error), qPrintable(errors));
    QVERIFY(sim.readAllStandardOutput().isEmpty());
    QCOMPARE(folderEntries(), QStringList());
}

void TestSimulatedPorts::answersHelpAndVersion_data()
{
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("shown");
    QTest::newRow("help") << "--help"
                          << "--reject-join <code> Refuse every AT+CWJAP with the error <code> "
                             "(1 to 9).";
    QTest::newRow("version") << "--version"
                             << "atlume-sim " ATLUME_VERSION;
}

void TestSimulatedPorts::answersHelpAndVersion()
{
    QFETCH(QString, option);
    QFETCH(QString, shown);
    QProcess sim;
    sim.start(QStringLiteral(ATLUME_SIM_PROGRAM), {option});
    QVERIFY(sim.waitForFinished(kTimeoutMs));
    QCOMPARE(sim.exitCode(), 0);
    // The help wraps its lines to the terminal's width.
    const QString output = QString::fromLocal8Bit(sim.readAllStandardOutput()).simplified();
    QVERIFY2(output.contains(shown), qPrintable(output));
    QCOMPARE(folderEntries(), QStringList());
}

void TestSimulatedPorts::saysWhyItCannotReachTheBroker()
{
    const int port = atlume::support::freeLoopbackPort();
    SimProcess sim;
    QVERIFY(!sim.start({QStringLiteral("--broker"), QStringLiteral("127.0.0.1:%1").arg(port),
                        QStringLiteral("--wifi"), QStringLiteral("--delay=0")})
                 .isEmpty());
    QTRY_VERIFY_WITH_TIMEOUT(sim.process.canReadLine(), kTimeoutMs);
    QSerialPort terminal(QString::fromLocal8Bit(sim.process.readLine()).trimmed());
    QVERIFY(terminal.open(QIODevice::ReadWrite));
    terminal.write("AT+KQDEVINFOSET=1,\"P1\",\"D1\",\"S1\"\r\nAT+KQMQTTCONN=1,2000,60,0,0\r\n");
    QByteArray answers;
    QTRY_VERIFY_WITH_TIMEOUT((answers += terminal.readAll()).contains("+KQMQTTCONN:FAIL\r\n"),
                             kTimeoutMs);
    const QByteArray reason =
        "atlume-sim: no connection to the broker 127.0.0.1:" + QByteArray::number(port) + ": ";
    QTRY_VERIFY_WITH_TIMEOUT((sim.errors += sim.process.readAllStandardError()).contains(reason),
                             kTimeoutMs);
    const QByteArray line = sim.errors.mid(sim.errors.indexOf(reason) + reason.size());
    QVERIFY2(line.indexOf('\n') > 0, sim.errors.constData());
}

void TestSimulatedPorts::tellsWhatRunsASimulatedPort()
{
    TempWorkDir work;
    SimProcess sim;
    QCOMPARE(sim.start(), QStringLiteral("ttySIM0"));
    MainWindow window;
    const QString tip = portItem(window, QStringLiteral("ttySIM0"))->toolTip();
    QVERIFY2(tip.contains(QStringLiteral("%1（atlume-sim）").arg(sim.process.processId())),
             qPrintable(tip));
    QVERIFY2(
        tip.contains(QFileInfo(atlume::sim::entryPath(QStringLiteral("ttySIM0"))).symLinkTarget()),
        qPrintable(tip));
}

void TestSimulatedPorts::refreshesAsModulesComeAndGo()
{
    TempWorkDir work;
    SimProcess first;
    QCOMPARE(first.start(), QStringLiteral("ttySIM0"));
    MainWindow window;
    showAndActivate(window);
    selectPort(window, QStringLiteral("ttySIM0"));
    choosePortListEntry(window, "portAutoRefreshAction");

    SimProcess second;
    QCOMPARE(second.start(), QStringLiteral("ttySIM1"));
    QTRY_VERIFY_WITH_TIMEOUT(portItem(window, QStringLiteral("ttySIM1")), kTimeoutMs);
    second.process.terminate();
    QVERIFY(second.process.waitForFinished(kTimeoutMs));
    QTRY_VERIFY_WITH_TIMEOUT(!portItem(window, QStringLiteral("ttySIM1")), kTimeoutMs);
    QCOMPARE(widget<QListWidget>(window, "portListWidget")->currentItem(),
             portItem(window, QStringLiteral("ttySIM0")));
}

void TestSimulatedPorts::reopensAModuleThatComesBack()
{
    TempWorkDir work;
    SimProcess sim;
    QCOMPARE(sim.start({QStringLiteral("--delay=0")}), QStringLiteral("ttySIM0"));
    MainWindow window;
    window.setCommandPause(kShortPauseMs);
    showAndActivate(window);
    choosePortListEntry(window, "portAutoReconnectAction");
    selectPort(window, QStringLiteral("ttySIM0"));
    QTest::mouseClick(widget<QPushButton>(window, "connectBtn"), Qt::LeftButton);
    QVERIFY(portOf(window)->isOpen());

    sim.process.terminate();
    QVERIFY(sim.process.waitForFinished(kTimeoutMs));
    QTRY_VERIFY_WITH_TIMEOUT(!portOf(window)->isOpen(), kTimeoutMs);
    SimProcess again;
    QCOMPARE(again.start({QStringLiteral("--delay=0")}), QStringLiteral("ttySIM0"));
    QTRY_VERIFY_WITH_TIMEOUT(portOf(window)->isOpen(), kTimeoutMs);
    QVERIFY2(consoleText(window).startsWith(QString::fromUtf8(
                 "串口 ttySIM0 已重新接入，自动重新打开。\n串口 ttySIM0 已打开。")),
             qPrintable(consoleText(window)));
    // The new module answers the status queries of the opening.
    QTRY_VERIFY_WITH_TIMEOUT(consoleText(window).contains("+KQMQTTSTATE:0"), kTimeoutMs);
}

QTEST_MAIN(TestSimulatedPorts)
#include "tst_simulatedports.moc"
