#pragma once

#include <QByteArray>
#include <QString>

namespace atlume {

// Bytes written in hex, as the command box takes them: pairs of hex digits
// in either case, each pair optionally written 0x.., separated or not by
// blanks, tabs, line breaks or commas.
struct HexBytes {
    enum class Problem {
        None,
        NotHexDigit, // the character at position is none of the above
        LoneDigit,   // the digit at position has no second one
        Empty,       // nothing but separators
    };
    QByteArray bytes;
    Problem problem = Problem::None;
    int position = -1; // of the character at fault, in the text

    bool isValid() const { return problem == Problem::None; }
};

HexBytes parseHexBytes(const QString &text);

// "41 54 0D 0A": upper-case pairs, one blank between.
QString hexPairs(const QByteArray &bytes);

} // namespace atlume
