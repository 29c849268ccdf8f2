#pragma once

#include "replykinds.h"

#include <QColor>
#include <QString>
#include <QVector>

class QPalette;

// The colours of 高亮应答: successes green, failures red, messages from the
// cloud blue, in shades that read on the console's background, light or dark.
namespace atlume::replycolours {

// Invalid for a line that keeps the console's own colour.
QColor colour(ReplyKind kind, const QPalette &palette);

struct Run {
    QString lines;
    QColor colour; // invalid: the console's own
};

// The module's lines, each ending with its line break, in runs of
// consecutive lines of one colour.
QVector<Run> runs(const QString &lines, const QPalette &palette);

} // namespace atlume::replycolours
