#pragma once

#include <QEventLoop>
#include <QObject>
#include <QTimer>

#include <functional>

namespace atlume::support {

constexpr int kPollMs = 5;

// Runs the event loop until done() holds or timeoutMs have passed, asking
// done() every pollMs (0: on every pass of the loop); whether it holds.
bool waitFor(const std::function<bool()> &done, int timeoutMs, int pollMs = kPollMs);

// The same, asking done() whenever sender emits signal instead: it returns
// from the very emission that makes done() hold, before any other event.
template <class Sender, class Signal>
bool waitFor(const std::function<bool()> &done, int timeoutMs, const Sender *sender, Signal signal)
{
    if (done())
        return true;
    QEventLoop loop;
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    QObject::connect(sender, signal, &loop, [&] {
        if (done())
            loop.quit();
    });
    loop.exec();
    return done();
}

} // namespace atlume::support
