#include "delayedreplies.h"

namespace atlume {

DelayedReplies::DelayedReplies(Send send) : send(std::move(send))
{
    clock.start();
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &timer, [this] { sendDue(); });
}

void DelayedReplies::add(const QByteArray &bytes)
{
    if (delayMs == 0 && held.empty()) {
        send(bytes);
        return;
    }
    held.push_back({clock.elapsed() + delayMs, bytes});
    if (!timer.isActive())
        sendDue();
}

void DelayedReplies::clear()
{
    held.clear();
    timer.stop();
}

void DelayedReplies::sendDue()
{
    const qint64 now = clock.elapsed();
    while (!held.empty() && held.front().due <= now) {
        send(held.front().bytes);
        held.pop_front();
    }
    if (!held.empty())
        timer.start(int(held.front().due - now));
}

} // namespace atlume
