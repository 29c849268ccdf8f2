#include "commandpause.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

namespace atlume {

void holdFor(int msecs)
{
    QElapsedTimer elapsed;
    elapsed.start();
    // Should the loop end before its timer, the pause still lasts its time.
    for (qint64 left = msecs; left > 0; left = msecs - elapsed.elapsed()) {
        QEventLoop pause;
        QTimer::singleShot(int(left), Qt::PreciseTimer, &pause, &QEventLoop::quit);
        pause.exec();
    }
}

} // namespace atlume
