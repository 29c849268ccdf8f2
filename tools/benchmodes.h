#pragma once

// The modes of atlume-bench; each returns the program's exit code.

#include <QtGlobal>

namespace atlume::bench {

class TimedApplication;

// The pause of send_order and a burst of module output into the console.
int runPauseAndBurst(int lineCount, int pauseCount);
// The same burst plain, with timestamps and a log, and with the view held.
int runConsoleExtras(int lineCount, int rounds);
// Millions of lines through the window, in three phases.
int runLongSession(TimedApplication &app, qint64 shortLines, bool logged);
// The module unplugged and plugged in again, over and over.
int runSoak(int cycles);
// Messages from an MQTT broker into the console: latency and throughput.
int runMqtt(int messages);
// The burst as text, in hex and highlighted; cloud messages into their panel.
int runReceiveViews(TimedApplication &app, int lineCount, int rounds, int messages);

} // namespace atlume::bench
