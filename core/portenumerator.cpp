#include "portenumerator.h"

#include "simulatedports.h"

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
    // Qt does not enumerate pseudo-terminals; running simulated modules
    // announce theirs themselves.
    const QStringList simulated = sim::livePortNames();
    for (const QString &name : simulated) {
        if (!names.contains(name))
            names << name;
    }
    return names;
}

void setPortLister(PortLister lister)
{
    installedLister() = std::move(lister);
}

} // namespace atlume
