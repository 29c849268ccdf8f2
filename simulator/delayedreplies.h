#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QTimer>

#include <deque>
#include <functional>

namespace atlume {

// Holds the module's replies back for its reply delay and lets them go in the
// order they were given: a reply never overtakes an earlier one, even when
// the delay has been shortened since.
class DelayedReplies {
public:
    using Send = std::function<void(const QByteArray &bytes)>;

    explicit DelayedReplies(Send send);
    DelayedReplies(const DelayedReplies &) = delete;
    DelayedReplies &operator=(const DelayedReplies &) = delete;

    int delay() const { return delayMs; }
    void setDelay(int msecs) { delayMs = qMax(0, msecs); }
    void add(const QByteArray &bytes);
    bool isEmpty() const { return held.empty(); }
    // Drops what is held.
    void clear();

private:
    void sendDue();

    struct Held {
        qint64 due;
        QByteArray bytes;
    };

    Send send;
    int delayMs = 0;
    QElapsedTimer clock;
    std::deque<Held> held;
    QTimer timer;
};

} // namespace atlume
