// The AT lines built from text the user typed: escaping, the long publish's
// declared length and the bytes on the wire.
#include "atcommands.h"
#include "fuzzsupport.h"
#include "hexbytes.h"

#include <algorithm>

using namespace atlume;
using fuzz::require;

namespace {

// Line breaks as escapeMessage flattens them: a CR LF pair, a lone CR and a
// lone LF each become one blank.
QString flattened(const QString &message)
{
    QString flat;
    for (int i = 0; i < message.size(); ++i) {
        const QChar c = message.at(i);
        if (c == QLatin1Char('\r') && i + 1 < message.size() && message.at(i + 1) == '\n')
            ++i;
        const bool isBreak = c == QLatin1Char('\r') || c == QLatin1Char('\n');
        flat += isBreak ? QChar(QLatin1Char(' ')) : c;
    }
    return flat;
}

// Read as the module reads an argument, left to right: a backslash before a
// quote or a comma stands for that character, any other is itself.
QString unescaped(const QString &escaped)
{
    QString text;
    for (int i = 0; i < escaped.size(); ++i) {
        const bool escapes = escaped.at(i) == QLatin1Char('\\') && i + 1 < escaped.size() &&
                             (escaped.at(i + 1) == '"' || escaped.at(i + 1) == ',');
        if (escapes)
            ++i;
        text += escaped.at(i);
    }
    return text;
}

bool quotesAndCommasAreEscaped(const QString &escaped)
{
    for (int i = 0; i < escaped.size(); ++i) {
        const QChar c = escaped.at(i);
        if ((c == '"' || c == ',') && (i == 0 || escaped.at(i - 1) != QLatin1Char('\\')))
            return false;
    }
    return true;
}

void checkWireLine(const QString &order)
{
    const QByteArray wire = at::wireLine(order);
    require(wire.endsWith("\r\n"), "a wire line ends in CR LF");
    const QByteArray body = wire.chopped(2);
    require(fuzz::unfinishedUtf8Tail(body) == 0, "a wire line is UTF-8");
    if (!fuzz::hasLoneSurrogate(order))
        require(body == fuzz::utf8Of(order), "a wire line is the UTF-8 of the order");
}

void checkEscaping(const QString &topic, const QString &message)
{
    const QString escaped = at::escapeMessage(message);
    require(!escaped.contains(QLatin1Char('\r')) && !escaped.contains(QLatin1Char('\n')),
            "an escaped message holds no line break");
    require(quotesAndCommasAreEscaped(escaped), "quotes and commas of a message are escaped");
    require(unescaped(escaped) == flattened(message), "unescaping gives the flattened message");
    const QString escapedTopic = at::escapeQuotesAndCommas(topic);
    require(quotesAndCommasAreEscaped(escapedTopic), "quotes and commas are escaped");
    require(unescaped(escapedTopic) == topic, "unescaping gives the text back");
}

void checkLongPublish(const QString &topic, int qos, const QString &message)
{
    const QString header = at::publishLongHeader(topic, qos, message);
    bool isNumber = false;
    const int declared = header.mid(header.lastIndexOf(QLatin1Char(',')) + 1).toInt(&isNumber);
    require(isNumber, "a long publish header ends in its length");
    require(declared == at::wireLine(at::escapeMessage(message)).size() - 2,
            "a long publish declares the bytes of the message line that follows");
}

// Bytes written in hex: what is read back out of its own writing is the same
// bytes, and a refusal points at a character that is not a separator.
void checkHex(const QString &text)
{
    const HexBytes parsed = parseHexBytes(text);
    if (parsed.isValid()) {
        require(!parsed.bytes.isEmpty(), "hex that is read holds bytes");
        require(parseHexBytes(hexPairs(parsed.bytes)).bytes == parsed.bytes,
                "hex pairs read back as the same bytes");
        require(parsed.bytes.size() * 2 <= text.size(), "every byte takes two digits");
        return;
    }
    require(parsed.bytes.isEmpty(), "refused hex sends nothing");
    if (parsed.problem == HexBytes::Problem::Empty)
        return;
    require(parsed.position >= 0 && parsed.position < text.size(),
            "a refusal points into the text");
    const QChar at = text.at(parsed.position);
    require(at != ' ' && at != '\t' && at != '\r' && at != '\n' && at != ',',
            "a refusal points at no separator");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::Input input(data, size);
    const fuzz::SplitText split = fuzz::takeSplitText(input);
    const QString &text = split.whole;
    const QString &topic = split.front;
    const QString &message = split.back;
    const int qos = split.spareBits;

    checkEscaping(topic, message);
    checkHex(text);
    checkLongPublish(topic, qos, message);
    for (const QString &order : {text, at::publish(topic, qos, message), at::escapeMessage(text)})
        checkWireLine(order);

    const QString command = at::commandFromBox(text);
    require(!command.contains(QLatin1Char('\r')) && !command.contains(QLatin1Char('\n')),
            "a command from the box is one line");
    const bool allSpace =
        std::all_of(text.begin(), text.end(), [](QChar c) { return c.isSpace(); });
    require(at::isBlank(text) == allSpace, "blank means white space only");
    return 0;
}
