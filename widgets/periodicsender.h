#pragma once

#include <QObject>
#include <QTimer>
#include <functional>

class QLabel;
class QPushButton;
class QStatusBar;
class QWidget;

// Sends the same thing again and again, every interval, until stopped; the
// status bar says so meanwhile and offers 停止. Each tick asks the sending
// function to send once: it sends, skips the tick (the last write is still
// going out, say), or fails, which stops the sender. Nothing is queued, and
// nothing restarts by itself.
class PeriodicSender : public QObject {
    Q_OBJECT

public:
    enum class Tick { Sent, Skipped, Failed };
    static constexpr int kMinIntervalMs = 100;
    static constexpr int kMaxIntervalMs = 3600 * 1000;
    static constexpr int kOfferedIntervalMs = 1000;

    PeriodicSender(QStatusBar *bar, std::function<Tick()> sendOnce);

    // Asks the user for an interval in milliseconds; 0 when cancelled.
    static int askInterval(QWidget *parent);

    // Sends now and then every interval.
    void start(int intervalMs);
    void stop();
    bool isRunning() const { return timer.isActive(); }
    int interval() const { return timer.interval(); }

signals:
    void stopped();

private:
    void tick();

    QStatusBar *bar;
    std::function<Tick()> sendOnce;
    QTimer timer;
    QLabel *status = nullptr;
    QPushButton *stopButton = nullptr;
};
