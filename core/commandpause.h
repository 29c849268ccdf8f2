#pragma once

namespace atlume {

// Holds the caller for msecs while the event loop goes on: what arrives
// meanwhile is read, shown and acted on, and clicks still work. No core is
// spun while it waits.
void holdFor(int msecs);

} // namespace atlume
