#include "inputframer.h"

namespace atlume {

namespace {
const QByteArray kCrLf("\r\n");
} // namespace

void InputFramer::append(const QByteArray &bytes)
{
    // What has been taken goes once a read, not once a frame: a burst of
    // thousands of lines is not shifted once for each of them.
    if (position > 0) {
        input.remove(0, position);
        position = 0;
    }
    input.append(bytes);
}

std::optional<InputFramer::Frame> InputFramer::next()
{
    const int available = input.size() - position;
    if (messageSize >= 0) {
        if (available < messageSize)
            return std::nullopt;
        Frame frame{input.mid(position, int(messageSize)), true};
        position += int(messageSize);
        messageSize = -1;
        afterMessage = true;
        return frame;
    }
    if (afterMessage) {
        // A lone CR may yet be the start of the CR LF that ends the message.
        if (available == 0 || (available == 1 && input.at(position) == '\r'))
            return std::nullopt;
        if (input.at(position) == '\r' && input.at(position + 1) == '\n')
            position += kCrLf.size();
        afterMessage = false;
    }
    const int end = input.indexOf(kCrLf, position);
    if (end == -1)
        return std::nullopt;
    Frame frame{input.mid(position, end - position), false};
    position = end + kCrLf.size();
    return frame;
}

void InputFramer::expectMessage(qint64 size)
{
    messageSize = size;
}

void InputFramer::clear()
{
    input.clear();
    position = 0;
    messageSize = -1;
    afterMessage = false;
}

} // namespace atlume
