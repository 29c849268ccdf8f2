// The module unplugged and plugged in again, over and over, through the real
// window: every cycle must leave the process with the descriptors it had.

#include "windowsupport.h"

#include <QDir>
#include <QSignalSpy>

namespace {

constexpr int kCycles = 20;
// Long enough for the in-process module to answer, short enough that twenty
// openings cost a second or two instead of forty.
constexpr int kShortPauseMs = 50;
// Opening the port sends two status queries, and the module answers both.
constexpr int kStatusQueries = 2;

int openDescriptorCount()
{
    return int(QDir(QStringLiteral("/proc/self/fd"))
                   .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)
                   .size());
}

// The adapter pulled out: the device leaves the system's list and its tty
// hangs up; the window must close the port by itself.
void unplug(ModuleBench &bench)
{
    bench.ports.ports.clear();
    bench.module.hangUp();
    QTRY_VERIFY(!portOf(bench.window)->isOpen());
    QVERIFY(!widget<QPushButton>(bench.window, "connectBtn")->isEnabled());
}

// The adapter back, as a new pseudo-terminal, found by a rescan and opened.
void plugInAndOpen(ModuleBench &bench, QSignalSpy &replies)
{
    QVERIFY(bench.module.open());
    bench.ports.ports = QStringList{bench.module.slavePath()};
    QTest::mouseClick(widget<QPushButton>(bench.window, "scanPortBtn"), Qt::LeftButton);
    selectPort(bench.window, bench.module.slavePath());
    bench.received.clear();
    replies.clear();
    // Both queries reach the module on the new terminal...
    QVERIFY(bench.open());
    // ...and both answers come back and are recognised.
    QTRY_COMPARE(replies.count(), kStatusQueries);
}

} // namespace

class TestReplug : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { qRegisterMetaType<DEVICE_SIGNAL>("DEVICE_SIGNAL"); }
    void replugLeavesNoDescriptorBehind();
};

void TestReplug::replugLeavesNoDescriptorBehind()
{
    ModuleBench bench;
    bench.window.setCommandPause(kShortPauseMs);
    bench.module.setWifiJoined(true);
    bench.module.setMqttConnected(true);
    QSignalSpy replies(&bench.window, &MainWindow::device_return_signal);
    // The first opening, on the terminal the bench made; the count starts
    // unplugged, with the window's own one-time set-up behind it.
    QVERIFY(bench.open());
    QTRY_COMPARE(replies.count(), kStatusQueries);
    unplug(bench);
    const int before = openDescriptorCount();

    for (int cycle = 1; cycle <= kCycles; ++cycle) {
        plugInAndOpen(bench, replies);
        unplug(bench);
        if (QTest::currentTestFailed())
            QFAIL(qPrintable(QStringLiteral("in cycle %1").arg(cycle)));
    }
    QCOMPARE(openDescriptorCount(), before);
}

QTEST_MAIN(TestReplug)
#include "tst_replug.moc"
