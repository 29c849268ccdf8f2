#include "regexpvalidator.h"

RegExpValidator::RegExpValidator(const QRegExp &regExp, QObject *parent)
    : QValidator(parent), pattern(regExp)
{
}

QValidator::State RegExpValidator::validate(QString &input, int &pos) const
{
    // QRegExp keeps the state of its last match, so each check works on a copy.
    QRegExp match = pattern;
    if (match.exactMatch(input))
        return Acceptable;
    // A failed exact match still tells how far the input went along.
    if (match.matchedLength() == input.size())
        return Intermediate;
    pos = input.size();
    return Invalid;
}
