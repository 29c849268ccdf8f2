#include "commandtable.h"

namespace atlume {

void CommandTable::addText(const char *text, Handler handler)
{
    rows.push_back({QString::fromLatin1(text), QRegularExpression(), std::move(handler)});
}

void CommandTable::addPattern(const char *pattern, Handler handler)
{
    QRegularExpression whole(QLatin1Char('^') + QLatin1String(pattern) + QLatin1Char('$'),
                             QRegularExpression::DotMatchesEverythingOption);
    // Compiled now: a burst of commands must not spend its time in the compiler.
    whole.optimize();
    rows.push_back({QString(), std::move(whole), std::move(handler)});
}

bool CommandTable::answer(const QString &line) const
{
    for (const Row &row : rows) {
        if (row.pattern.pattern().isEmpty()) {
            if (line != row.text)
                continue;
            row.handler({line});
            return true;
        }
        const QRegularExpressionMatch match = row.pattern.match(line);
        if (match.hasMatch()) {
            row.handler(match.capturedTexts());
            return true;
        }
    }
    return false;
}

} // namespace atlume
