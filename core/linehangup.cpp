#include "linehangup.h"

#include <QSerialPort>

#ifdef Q_OS_UNIX
#include <poll.h>
#endif

namespace atlume {

#ifdef Q_OS_UNIX
bool lineHungUp(const QSerialPort &port)
{
    if (!port.isOpen())
        return false;
    pollfd descriptor{};
    descriptor.fd = int(port.handle());
    descriptor.events = POLLIN;
    if (::poll(&descriptor, 1, 0) < 0)
        return false;
    return (descriptor.revents & (POLLHUP | POLLNVAL)) != 0;
}
#else
bool lineHungUp(const QSerialPort &)
{
    return false;
}
#endif

} // namespace atlume
