#pragma once

class QSerialPort;

namespace atlume {

// Whether the device behind the open port has gone. A POSIX tty whose device
// is pulled reads end-of-file, which Qt reports as a read error rather than a
// resource error; this tells the two apart. Where devices do not go that way
// (Windows), Qt reports the loss as a resource error itself and this is false.
bool lineHungUp(const QSerialPort &port);

} // namespace atlume
