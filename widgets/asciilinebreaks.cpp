#include "asciilinebreaks.h"

#include <QString>
#include <QTextBoundaryFinder>

namespace atlume {

namespace {

constexpr char16_t kFirst = ' ';
constexpr int kCount = '~' - ' ' + 1;
constexpr int kSpace = 0;

// What may happen between two characters, the second following the first
// directly or after spaces.
enum class Pair : unsigned char { Never, AfterSpaces, Always };

// Unicode keeps numbers such as "-1,234.5%" whole (rule LB25); Qt follows
// runs of these classes, spaces aside, and takes back the breaks inside
// each run that ends where a number cannot.
enum Number : unsigned char { Other, PrefixOrPostfix, OpeningOrHyphen, Digit, Separator, Closing };
enum Action : unsigned char { None, Start, Continue, Break };
constexpr Action kNumberActions[6][6] = {
    {None, Start, Start, Start, None, None},
    {None, Start, Continue, Continue, None, None},
    {None, Start, Start, Continue, None, None},
    {Break, Break, Break, Continue, Continue, Continue},
    {Break, Break, Break, Continue, Continue, Continue},
    {Break, Continue, Break, Break, Break, Break},
};

// The line break classes of the printable ASCII characters that take part
// in numbers; the mathematical symbols among the letters count as
// separators there.
Number numberClass(char c)
{
    switch (c) {
    case '$':
    case '%':
    case '+':
    case '\\':
        return PrefixOrPostfix;
    case '(':
    case '[':
    case '{':
    case '-':
        return OpeningOrHyphen;
    case ',':
    case '.':
    case '/':
    case ':':
    case ';':
    case '<':
    case '=':
    case '>':
    case '~':
        return Separator;
    case ')':
    case ']':
    case '}':
        return Closing;
    default:
        return c >= '0' && c <= '9' ? Digit : Other;
    }
}

bool breaksAt(const QString &text, int position)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Line, text);
    finder.setPosition(position);
    return finder.isAtBoundary();
}

struct Tables {
    Pair pairs[kCount][kCount];
    Number numbers[kCount];

    // Asked of Qt with two characters, or with a space between them: there
    // no number can yet end, and the answer is the pair's alone.
    Tables()
    {
        for (int first = 0; first < kCount; ++first) {
            numbers[first] = numberClass(char(kFirst + first));
            for (int second = 0; second < kCount; ++second) {
                const QString pair = QString(QChar(kFirst + first)) + QChar(kFirst + second);
                const QString spaced = pair.left(1) + QLatin1Char(' ') + pair.right(1);
                pairs[first][second] = breaksAt(pair, 1)     ? Pair::Always
                                       : breaksAt(spaced, 2) ? Pair::AfterSpaces
                                                             : Pair::Never;
            }
        }
    }
};

} // namespace

void findAsciiLineBreaks(QStringView text, bool *breaks)
{
    static const Tables tables;
    const int size = int(text.size());
    // The last character that was no space, and whether spaces followed it.
    int last = -1;
    bool spaced = false;
    int numberStart = 0;
    Number number = Other;
    for (int i = 0; i < size; ++i) {
        const int c = text.at(i).unicode() - kFirst;
        breaks[i] = false;
        if (i == 0) {
            last = c;
            spaced = c == kSpace;
            continue;
        }
        if (c == kSpace) {
            spaced = true;
            continue;
        }
        const Number next = tables.numbers[c];
        switch (kNumberActions[number][next]) {
        case Break:
            for (int j = numberStart + 1; j < i; ++j)
                breaks[j] = false;
            number = Other;
            break;
        case None:
            number = Other;
            break;
        case Start:
            numberStart = i;
            number = next;
            break;
        case Continue:
            number = next;
            break;
        }
        const Pair pair = tables.pairs[last][c];
        breaks[i] = pair == Pair::Always || (pair == Pair::AfterSpaces && spaced);
        last = c;
        spaced = false;
    }
    if (kNumberActions[number][Other] == Break) {
        for (int j = numberStart + 1; j < size; ++j)
            breaks[j] = false;
    }
    if (size > 0)
        breaks[0] = false;
    breaks[size] = true;
}

} // namespace atlume
