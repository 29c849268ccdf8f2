#pragma once

#include <QStringList>
#include <functional>

namespace atlume {

using PortLister = std::function<QStringList()>;

// Names of the serial ports the system reports, in the order it reports them,
// followed by the ports of running simulated modules (simulatedports.h).
// Goes through the lister installed with setPortLister, if any.
QStringList availablePortNames();

// Replaces the system's port enumeration (tests make ports appear and vanish
// with it); an empty function restores the system's.
void setPortLister(PortLister lister);

} // namespace atlume
