#pragma once

// The modes of atlume-bench; each returns the program's exit code.

#include <QtGlobal>

namespace atlume::bench {

// The pause of send_order and a burst of module output into the console.
int runPauseAndBurst(int lineCount, int pauseCount);

} // namespace atlume::bench
