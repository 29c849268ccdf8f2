#include "replycolours.h"

#include <QPalette>

namespace atlume::replycolours {

namespace {
// Below this lightness the background counts as dark, and the colours are
// the light shades.
constexpr int kDarkBelow = 128;
} // namespace

QColor colour(ReplyKind kind, const QPalette &palette)
{
    const bool dark = palette.color(QPalette::Base).lightness() < kDarkBelow;
    switch (kind) {
    case ReplyKind::Success:
        return dark ? QColor(0x7e, 0xd3, 0x8a) : QColor(0x1b, 0x7a, 0x2e);
    case ReplyKind::Failure:
        return dark ? QColor(0xff, 0x85, 0x7a) : QColor(0xc4, 0x1e, 0x1e);
    case ReplyKind::CloudMessage:
        return dark ? QColor(0x7c, 0xb7, 0xff) : QColor(0x15, 0x5b, 0xc0);
    case ReplyKind::Other:
        break;
    }
    return QColor();
}

QVector<Run> runs(const QString &lines, const QPalette &palette)
{
    QVector<Run> result;
    ReplyKind runKind = ReplyKind::Other;
    int runStart = 0;
    int start = 0;
    const int size = int(lines.size());
    const auto endRun = [&](int at) {
        if (at > runStart)
            result.append({lines.mid(runStart, at - runStart), colour(runKind, palette)});
        runStart = at;
    };
    while (start < size) {
        int end = int(lines.indexOf(QLatin1Char('\n'), start));
        end = end == -1 ? size : end + 1;
        const ReplyKind kind = replyKind(lines.mid(start, end - start));
        if (kind != runKind) {
            endRun(start);
            runKind = kind;
        }
        start = end;
    }
    endRun(size);
    return result;
}

} // namespace atlume::replycolours
