#pragma once

#include <QRegExp>
#include <QValidator>

// Accepts what a QRegExp matches whole, and lets typing go on while the
// input could still become such a match: what Qt 5's QRegExpValidator does,
// which Qt 6 no longer has. Validators whose patterns are read the QRegExp
// way, quirks included, keep accepting exactly the same characters. Built
// for Qt 6 only; under Qt 5 the name stands for Qt's own class.
class RegExpValidator : public QValidator {
    Q_OBJECT

public:
    RegExpValidator(const QRegExp &regExp, QObject *parent);

    State validate(QString &input, int &pos) const override;
    QRegExp regExp() const { return pattern; }

private:
    QRegExp pattern;
};
