#include "waitfor.h"

#include <QElapsedTimer>

namespace atlume::support {

bool waitFor(const std::function<bool()> &done, int timeoutMs, int pollMs)
{
    QElapsedTimer clock;
    clock.start();
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done() || clock.elapsed() > timeoutMs)
            loop.quit();
    });
    poll.start(pollMs);
    if (!done())
        loop.exec();
    return done();
}

} // namespace atlume::support
