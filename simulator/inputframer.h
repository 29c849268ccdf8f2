#pragma once

#include <QByteArray>

#include <optional>

namespace atlume {

// Cuts what the module reads into what it answers: command lines, each ended
// by CR LF (a lone CR or LF belongs to the line), and, once asked for, a
// message of exactly so many bytes, whatever they hold. A CR LF right after
// such a message ends it and is dropped; a wrong count shifts the rest into
// the next line, as on the real module.
class InputFramer {
public:
    struct Frame {
        QByteArray bytes; // a line without its CR LF, or a whole message
        bool message = false;
    };

    void append(const QByteArray &bytes);
    // The next whole frame; nothing until more bytes have arrived.
    std::optional<Frame> next();
    // The next frame is a message of exactly this many bytes.
    void expectMessage(qint64 size);
    void clear();

private:
    QByteArray input;
    // Where next() goes on. A member, not a local of the caller, so that a
    // caller that runs the event loop between frames, and reads frames again
    // from inside it, takes each frame once and in order.
    int position = 0;
    qint64 messageSize = -1; // >= 0 while a message is awaited
    bool afterMessage = false;
};

} // namespace atlume
