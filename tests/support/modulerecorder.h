#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QVector>

namespace atlume {
class FakeModule;
}

namespace atlume::support {

// What the simulated module receives, kept from the moment this is made: the
// bytes as they came, and each line (or message of a long publish) with the
// time it was complete, from the module's own signals.
class ModuleRecorder : public QObject {
public:
    struct Line {
        QByteArray bytes; // without its CR LF
        qint64 msecs = 0; // by elapsedMsecs()
    };

    explicit ModuleRecorder(FakeModule &module);

    const QVector<Line> &lines() const { return received; }
    QList<QByteArray> lineBytes() const;
    const QByteArray &bytes() const { return raw; }
    void clear();
    // Since this was made.
    qint64 elapsedMsecs() const { return clock.elapsed(); }

    // Runs the event loop until this many lines have been received in all.
    bool waitForLines(int count, int timeoutMs);

private:
    FakeModule &module;
    QElapsedTimer clock;
    QVector<Line> received;
    QByteArray raw;
};

// Runs the event loop until nothing of the module's waits to go out.
bool waitForDrained(FakeModule &module, int timeoutMs);

} // namespace atlume::support
