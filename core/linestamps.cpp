#include "linestamps.h"

#include <QStringView>

namespace atlume {

QString stampedLines(const QString &text, const QString &stamp, int *count)
{
    QString shown;
    // About one line in sixteen characters: room enough, seldom regrown.
    shown.reserve(text.size() + (text.size() / 16 + 1) * stamp.size());
    int lines = 0;
    const auto take = [&](QStringView line) {
        ++lines;
        shown += stamp;
        shown += line;
        shown += QLatin1Char('\n');
    };
    int start = 0;
    const int size = text.size();
    for (int i = 0; i < size; ++i) {
        const QChar c = text.at(i);
        if (c != QLatin1Char('\n') && c != QLatin1Char('\r'))
            continue;
        take(QStringView(text).mid(start, i - start));
        if (c == QLatin1Char('\r') && i + 1 < size && text.at(i + 1) == QLatin1Char('\n'))
            ++i;
        start = i + 1;
    }
    if (start < size)
        take(QStringView(text).mid(start));
    *count = lines;
    return shown;
}

} // namespace atlume
