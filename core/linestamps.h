#pragma once

#include <QString>

namespace atlume {

// The lines of text as the console shows and logs them: CR LF, a lone CR and
// a lone LF each end a line, and a break at the very end opens no further
// one. Each line gets the stamp in front and a lone LF at its end; count is
// the number of lines.
QString stampedLines(const QString &text, const QString &stamp, int *count);

} // namespace atlume
