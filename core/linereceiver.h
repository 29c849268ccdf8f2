#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTextDecoder>
#include <memory>

namespace atlume {

// Cuts the module's byte stream into CR LF-terminated lines.
//
// Decoding is stateful, so a UTF-8 character split across two reads arrives
// whole. Zero bytes are dropped but what follows them is kept. Only the
// unfinished tail of the stream is held; a CR at the end of one chunk and an
// LF at the start of the next still end a line, while a lone CR or a lone LF
// does not.
//
// A device that never sends CR LF must not make the held text grow without
// end: once it reaches the bound, it is handed out as it is, a piece that
// does not end in CR LF and is no reply, and holding starts over.
class LineReceiver {
public:
    static constexpr int kDefaultMaxHeld = 64 * 1024;

    explicit LineReceiver(int maxHeld = kDefaultMaxHeld);
    ~LineReceiver();
    LineReceiver(const LineReceiver &) = delete;
    LineReceiver &operator=(const LineReceiver &) = delete;

    // Appends one chunk and returns the lines it completed, each with its
    // CR LF, and any unfinished line cut at the bound (see isLine()).
    QStringList feed(const QByteArray &chunk);

    // True for a complete line, false for a piece cut at the bound.
    static bool isLine(const QString &piece);

    // Forgets the unfinished line and any half-decoded character.
    void reset();

    // The unfinished line held so far.
    const QString &pending() const { return buffer; }

private:
    // Hands out what the held text completes, scanning for line ends from
    // searchFrom, and keeps only the unfinished rest.
    QStringList takePieces(int searchFrom);
    int cutPosition(int lineStart) const;

    std::unique_ptr<QTextDecoder> decoder;
    QString buffer;
    int maxHeld;
};

} // namespace atlume
