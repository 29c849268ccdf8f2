#pragma once

#include <QSerialPort>

namespace atlume {

// The console's line for an error the port reports; null for none.
const char *serialErrorText(QSerialPort::SerialPortError error);

// Tells from the errors a port reports that its device has gone (a pulled
// USB adapter), and says so once, however often the port repeats itself
// until it is closed.
class LostDeviceDetector {
public:
    explicit LostDeviceDetector(const QSerialPort *port) : port(port) {}

    // The error as the window reports it: a hung-up line's read error is the
    // device gone (a resource error), and anything after that is no error
    // until rearm().
    QSerialPort::SerialPortError take(QSerialPort::SerialPortError error);
    // The port was opened, changed or closed after the loss: a loss is news again.
    void rearm() { gone = false; }
    // Whether the loss has been reported and the port not yet rearmed.
    bool deviceGone() const { return gone; }

private:
    const QSerialPort *port;
    bool gone = false;
};

} // namespace atlume
