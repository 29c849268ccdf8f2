#pragma once

#include <QSocketNotifier>

namespace atlume {

// Switches a descriptor's notifiers off and lets them go. This may run inside
// a notifier's own activation, so they are deleted later, not here.
inline void retireNotifiers(QSocketNotifier *&readNotifier, QSocketNotifier *&writeNotifier)
{
    for (QSocketNotifier *notifier : {readNotifier, writeNotifier}) {
        if (notifier) {
            notifier->setEnabled(false);
            notifier->deleteLater();
        }
    }
    readNotifier = nullptr;
    writeNotifier = nullptr;
}

} // namespace atlume
