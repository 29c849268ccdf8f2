#pragma once

// The module output that atlume-bench pushes through the window. Every stream
// is deterministic, so two runs see the same bytes, and is made a chunk at a
// time, so that even a session of hundreds of megabytes is never held whole.

#include <QByteArray>
#include <QString>

namespace atlume::bench {

// Output of a busy module: subscription data, status answers and OKs of
// mixed lengths (about 45 characters on average), with recognised replies
// sprinkled in.
class BurstLines {
public:
    // The next line, without its line end.
    QByteArray next();
    // Whether the line next() returned last is a reply the window acts on.
    bool recognised() const { return lastRecognised; }

private:
    quint32 random();
    QByteArray mixedLine();

    quint32 seed = 12345;
    qint64 index = 0;
    bool lastRecognised = false;
};

enum class Phase {
    ShortLines, // burst lines, each ended with CR LF
    LongLines,  // 4 KiB lines of subscription data, each ended with CR LF
    LoneLf,     // burst lines ended with a lone LF, never a CR LF
};

const char *phaseName(Phase phase);
bool phaseFromName(const QByteArray &name, Phase *phase);

// What the window must have taken in once a whole stream has arrived.
struct StreamSummary {
    qint64 bytes = 0;
    qint64 consoleLines = 0; // blocks the stream adds to the console
    qint64 recognised = 0;
    QString lastLine; // the console's last line afterwards
};

class PhaseStream {
public:
    // size counts lines, except for LoneLf where it counts bytes; those are
    // rounded up to a whole number of the receiver's held-text bounds, so
    // that no text stays held at the end.
    PhaseStream(Phase phase, qint64 size);

    // The next chunk of about a megabyte; empty once the stream has ended.
    QByteArray nextChunk();
    // Complete once nextChunk() has returned an empty chunk.
    const StreamSummary &summary() const { return totals; }

    // Runs a stream to its end, for its summary only.
    static StreamSummary summarise(Phase phase, qint64 size);

private:
    void appendShortLines(QByteArray &chunk);
    void appendLongLines(QByteArray &chunk);
    void appendLoneLfText(QByteArray &chunk);
    QByteArray longLine();

    Phase phase;
    qint64 size;
    qint64 produced = 0; // lines, or bytes for LoneLf
    BurstLines burst;
    QByteArray lastLine;
    StreamSummary totals;
};

// The generator: writes a whole stream to standard output. This runs as a
// child process of the bench, so that making the bytes is not the window's CPU.
int writeStream(const QByteArray &phaseName, const QByteArray &size);

} // namespace atlume::bench
