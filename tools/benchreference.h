#pragma once

// What atlume-bench holds the console against: a bare text view fed by the
// same pseudo-terminal and stream in the same run, and the times a user
// waits for the console to show what arrived, to open its find field, to
// search it and to scroll it to the top.

#include <QElapsedTimer>
#include <QObject>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QVector>

class MainWindow;
class QSerialPort;
class QTextEdit;

namespace atlume::bench {

class ModuleProcess;

struct ReferenceRun {
    qint64 lines = 0;
    double seconds = 0;
    double cpuSeconds = 0;
    bool complete = false;
    double linesPerSecond() const;
    double cpuPerLineUs() const;
};

// A read-only QPlainTextEdit of the given size reads the module's pty and
// inserts the complete lines received in one insert at most every 20 ms,
// following the end, while program (with arguments) feeds the module the
// stream of lines. The pty must be free.
ReferenceRun runReference(const ModuleProcess &module, const QString &program,
                          const QStringList &arguments, qint64 lines, const QSize &size);

// Atlume's rate and CPU a line against the reference's, with the targets.
void printAgainstReference(double linesPerSecond, double cpuPerLineUs,
                           const ReferenceRun &reference);

// How long after each read the console began the paint that shows it, for
// as long as it lives: the longest time, and the time 99 reads in 100 were
// within.
class ScreenDelay : public QObject {
public:
    ScreenDelay(QTextEdit *console, QSerialPort *port);
    double longestMs() const;
    double typicalMs() const;

private:
    bool eventFilter(QObject *watched, QEvent *event) override;

    QElapsedTimer clock;
    qint64 unshownSince = -1;
    QVector<qint64> delays; // from the first read each paint shows
};

void printScreenDelay(double longestMs, double typicalMs);

// Opens the find field, searches the whole console for a line near its top
// and scrolls to the top, each timed up to its paint, and prints the times.
void reportViewTimes(MainWindow &window);

} // namespace atlume::bench
