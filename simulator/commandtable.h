#pragma once

#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace atlume {

// What answers each command line: rows of a whole-line text or pattern and
// its handler, tried in the order they were added until one takes the line.
class CommandTable {
public:
    // The pattern's captured groups, the whole line first.
    using Handler = std::function<void(const QStringList &groups)>;

    // The line is exactly this text.
    void addText(const char *text, Handler handler);
    // The line matches this pattern from its start to "$", which, as in Perl,
    // also matches before a final LF. Values may hold any character the user
    // typed, lone line breaks included.
    void addPattern(const char *pattern, Handler handler);
    // False when no row takes the line.
    bool answer(const QString &line) const;

private:
    struct Row {
        QString text; // when there is no pattern
        QRegularExpression pattern;
        Handler handler;
    };
    std::vector<Row> rows;
};

} // namespace atlume
