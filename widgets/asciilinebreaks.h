#pragma once

#include <QStringView>

namespace atlume {

// Finds where a line may break in text of printable ASCII as Qt's own line
// breaking finds it (Unicode's rules as Qt tailors them), at a fraction of
// what QTextBoundaryFinder costs: what Qt does between two characters is
// learnt from Qt once, and numbers are kept whole by Qt's rule.
//
// Sets breaks[i], for i from 0 to the text's size, to whether a line may
// break before the character at i; a line may always break at the end.
void findAsciiLineBreaks(QStringView text, bool *breaks);

} // namespace atlume
