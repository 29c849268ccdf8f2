#pragma once

// The module output that atlume-bench pushes through the window. It is
// deterministic, so two runs see the same bytes.

#include <QByteArray>

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

} // namespace atlume::bench
