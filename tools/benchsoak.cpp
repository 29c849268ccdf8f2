// The soak of atlume-bench: the module is unplugged and plugged in again,
// hundreds of times, with the real window opening it each time. The module
// runs in this process here (its descriptors and memory would leak into the
// same figures, which is as it should be: both must stay flat).

#include "benchmodes.h"
#include "benchsupport.h"
#include "fakemodule.h"
#include "mainwindow.h"
#include "modulerecorder.h"

#include <QPushButton>
#include <QSerialPort>

namespace atlume::bench {

namespace {

constexpr int kExchangeTimeoutMs = 5000;
constexpr int kRecoveryTimeoutMs = 5000;
// Opening the port sends two status queries; the module answers both.
constexpr int kQueriesPerOpening = 2;
constexpr int kSettledCycle = 20;
// Flat: what a cycle may leave behind in the allocator's free lists, not a
// leak of even a few kilobytes a cycle.
constexpr double kRssGrowthLimitMB = 1.0;
constexpr double kKilobytesPerMegabyte = 1000;

class SoakRig {
public:
    SoakRig()
    {
        shown.window.show();
        QObject::connect(&shown.window, &MainWindow::device_return_signal,
                         [this] { ++signalCount; });
    }

    // One cycle; false, with a message, if any step of it failed.
    bool cycle() { return plugIn() && exchange() && unplug(); }

private:
    bool plugIn();
    bool exchange();
    bool unplug();

    FakeModule module;
    support::ModuleRecorder received{module};
    support::PortListWindow shown;
    QSerialPort *port = nullptr;
    int signalCount = 0;
};

bool SoakRig::plugIn()
{
    // A new pseudo-terminal: the adapter plugged in again.
    if (!module.open()) {
        std::perror("atlume-bench: cannot open a pseudo-terminal");
        return false;
    }
    module.setWifiJoined(true);
    module.setMqttConnected(true);
    return support::showWithPort(shown.window, shown.ports, module.slavePath());
}

bool SoakRig::exchange()
{
    received.clear();
    const int signalsBefore = signalCount;
    port = support::clickConnect(shown.window);
    // Both queries reached the module, and both answers were recognised.
    auto bothWays = [&] {
        return received.lines().size() >= kQueriesPerOpening &&
               signalCount - signalsBefore >= kQueriesPerOpening;
    };
    const bool answered = port && waitFor(bothWays, kExchangeTimeoutMs);
    if (port && !answered)
        std::fprintf(stderr, "atlume-bench: no exchange with %s\n", qPrintable(module.slavePath()));
    return answered;
}

bool SoakRig::unplug()
{
    shown.ports.ports.clear();
    module.hangUp();
    auto *connectBtn = widget<QPushButton>(shown.window, "connectBtn");
    const bool recovered =
        waitFor([&] { return !port->isOpen() && !connectBtn->isEnabled(); }, kRecoveryTimeoutMs);
    if (!recovered)
        std::fprintf(stderr, "atlume-bench: the window did not close the hung-up port\n");
    return recovered;
}

struct SoakResult {
    int cyclesDone = 0;
    int descriptorsBefore = 0;
    int descriptorsAfterFirst = 0;
    int descriptorsAfter = 0;
    double settledRssMB = 0;
    double finalRssMB = 0;
    double wallS = 0;
};

SoakResult soak(int cycles)
{
    SoakResult result;
    SoakRig rig;
    result.descriptorsBefore = openDescriptorCount();
    QElapsedTimer wall;
    wall.start();
    for (int cycle = 1; cycle <= cycles && rig.cycle(); ++cycle) {
        result.cyclesDone = cycle;
        if (cycle == 1)
            result.descriptorsAfterFirst = openDescriptorCount();
        if (cycle == qMin(kSettledCycle, cycles))
            result.settledRssMB = double(residentBytes()) / kBytesPerMegabyte;
    }
    result.wallS = double(wall.elapsed()) / kMsPerSecond;
    // Objects the recovery left for deleteLater go now, before counting.
    waitFor([] { return false; }, 0);
    result.descriptorsAfter = openDescriptorCount();
    result.finalRssMB = double(residentBytes()) / kBytesPerMegabyte;
    return result;
}

} // namespace

int runSoak(int cycles)
{
    std::printf("atlume-bench --soak: %d cycles of plug in (a new pseudo-terminal in the port\n"
                "list), open with connectBtn, two status queries answered, hang up, recovery.\n"
                "The module runs in this process; each opening waits out the window's two\n"
                "one-second pauses.\n\n",
                cycles);
    const SoakResult result = soak(cycles);
    const bool complete = result.cyclesDone == cycles;
    const double growth = result.finalRssMB - result.settledRssMB;
    std::printf("  cycles           %6d of %d%s\n", result.cyclesDone, cycles,
                complete ? "" : "  INCOMPLETE");
    // Qt may open a few descriptors of its own on first use (Qt 6 two eventfds):
    // growth counts from the end of the first cycle.
    std::printf("  open descriptors %6d before the first cycle, %d after it, %d after the last  "
                "(no growth: %s)\n",
                result.descriptorsBefore, result.descriptorsAfterFirst, result.descriptorsAfter,
                verdict(result.descriptorsAfter <= result.descriptorsAfterFirst));
    std::printf("  resident memory  %6.2f MB after cycle %d, %.2f MB after the last, %+.0f kB  "
                "(target <= +%.0f kB: %s)\n",
                result.settledRssMB, qMin(kSettledCycle, cycles), result.finalRssMB,
                growth * kKilobytesPerMegabyte, kRssGrowthLimitMB * kKilobytesPerMegabyte,
                verdict(growth <= kRssGrowthLimitMB));
    std::printf("  time             %6.1f s, %.2f s a cycle\n", result.wallS,
                result.wallS / qMax(result.cyclesDone, 1));
    return complete ? 0 : 1;
}

} // namespace atlume::bench
