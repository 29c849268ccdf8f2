#pragma once

#include <QTextCharFormat>

class QFont;

// The looks of what the console shows.
namespace atlume::consoleformats {

// Text goes on in the look of what is at the end, but for a picture there,
// and for the colour of a highlighted line and the font of a hex row.
QTextCharFormat own(QTextCharFormat format);

// The module's output: as own(), and plain text that needs no OpenType
// shaping, which is most of what laying it out costs; Qt still shapes the
// scripts that need it.
QTextCharFormat plain(const QTextCharFormat &format);

// Hex rows line up only in a font of fixed pitch: where the console's is not
// one (its family is missing, say), they take the system's.
QTextCharFormat hex(QTextCharFormat format, const QFont &consoleFont);

// What was sent: grey, which reads on light and dark backgrounds alike.
QColor sentColour();

} // namespace atlume::consoleformats
