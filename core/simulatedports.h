#pragma once

#include <QString>
#include <QStringList>

// Ports of simulated modules (atlume-sim). A running module announces its
// pseudo-terminal in a folder of the user's own, under a short name such as
// ttySIM0: an entry that links to the terminal, and a lock file that the
// module keeps locked for as long as it runs. The kernel releases the lock
// when the module ends in any way, so an entry is live exactly while its
// module is; the terminal itself says nothing, as the kernel hands a freed
// number to the next program that asks.
namespace atlume::sim {

// $XDG_RUNTIME_DIR/atlume-sim, or a folder of the user's in the temporary
// folder where no runtime folder is set.
QString portFolder();

// True for the names the module announces under: "ttySIM" and a number.
bool isPortName(const QString &name);

// The entry a port name is announced under, and its lock file.
QString entryPath(const QString &name);
QString lockPath(const QString &name);

// Names of the live simulated ports, in no particular order. Entries whose
// module is gone are removed on the way. Empty when the folder is missing
// or is not the user's own, private folder.
QStringList livePortNames();

// Where a listed port is opened: the entry of a live simulated port, any
// other name unchanged.
QString portLocation(const QString &listedName);

// The listed name of a port object's name: a simulated entry's short name,
// any other name unchanged.
QString listedPortName(const QString &portObjectName);

// The pseudo-terminal a live simulated port leads to; empty for any other name.
QString terminalPath(const QString &name);

// The process that announced a simulated port, as its lock file records it;
// 0 when that is not known. The module writes its process id there.
qint64 announcingProcess(const QString &name);
// The name of a running process's program, where the system tells it.
QString processName(qint64 process);

// Whether the folder exists, is a real folder (not a link), belongs to the
// user and lets nobody else in.
bool isPrivateFolder(const QString &path);

} // namespace atlume::sim
