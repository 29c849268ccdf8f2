#include "portenumerator.h"

#include <QSerialPortInfo>

namespace atlume {

namespace {
PortLister &installedLister()
{
    static PortLister lister;
    return lister;
}
} // namespace

QStringList availablePortNames()
{
    if (installedLister())
        return installedLister()();
    QStringList names;
    const auto ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &info : ports)
        names << info.portName();
    return names;
}

void setPortLister(PortLister lister)
{
    installedLister() = std::move(lister);
}

} // namespace atlume
