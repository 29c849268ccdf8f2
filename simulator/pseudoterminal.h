#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <deque>

class QSocketNotifier;

namespace atlume {

// The master side of a pseudo-terminal pair, in the event loop: what the
// program on the slave side writes arrives with received(), and write()
// queues bytes for it without ever blocking.
class PseudoTerminal : public QObject {
    Q_OBJECT

public:
    explicit PseudoTerminal(QObject *parent = nullptr);
    ~PseudoTerminal() override;
    PseudoTerminal(const PseudoTerminal &) = delete;
    PseudoTerminal &operator=(const PseudoTerminal &) = delete;

    // Creates the pair; a second call makes a new pair.
    bool open();
    bool isOpen() const { return masterFd != -1; }
    QString slavePath() const { return slaveName; }
    // Closes both sides, which is what a pulled USB adapter looks like to
    // the program that has the slave open. Unsent output is dropped.
    void close();

    void write(const QByteArray &bytes);
    qint64 bytesToWrite() const { return outputBytes; }

signals:
    void received(const QByteArray &bytes);
    void drained();

private:
    void readMaster();
    void writeMaster();

    int masterFd = -1;
    int slaveFd = -1;
    QString slaveName;
    QSocketNotifier *readNotifier = nullptr;
    QSocketNotifier *writeNotifier = nullptr;

    std::deque<QByteArray> output;
    int outputOffset = 0; // bytes of output.front() already written
    qint64 outputBytes = 0;
};

} // namespace atlume
