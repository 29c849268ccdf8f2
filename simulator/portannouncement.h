#pragma once

#include <QString>

namespace atlume {

// Makes a simulated module's pseudo-terminal known to Atlume's port list
// under the first free name ttySIM0, ttySIM1, ... (see simulatedports.h in
// core/ for the folder and how a live entry is told from a stale one). The
// entry goes when the announcement is destroyed; if the process dies
// without that, the next scan notices and removes it.
class PortAnnouncement {
public:
    PortAnnouncement() = default;
    ~PortAnnouncement() { withdraw(); }
    PortAnnouncement(const PortAnnouncement &) = delete;
    PortAnnouncement &operator=(const PortAnnouncement &) = delete;

    // False, with the reason in error, when the folder is not private to
    // the user or cannot be made.
    bool announce(const QString &terminalPath, QString *error);
    void withdraw();
    QString name() const { return portName; }

private:
    int lockFd = -1;
    QString portName;
};

} // namespace atlume
