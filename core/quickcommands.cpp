#include "quickcommands.h"

#include "hexbytes.h"
#include "settingsfile.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>

namespace atlume {

namespace {

const QLatin1String kName("name");
const QLatin1String kCommand("command");
const QLatin1String kHex("hex");
const QLatin1String kDelay("delayMs");
const QLatin1String kSequence("sequence");

// One entry; nothing when a member has the wrong type or the delay is out of range.
bool readCommand(const QJsonValue &value, QuickCommand *command)
{
    if (!value.isObject())
        return false;
    const QJsonObject object = value.toObject();
    const QJsonValue text = object.value(kCommand);
    const QJsonValue name = object.value(kName);
    const QJsonValue hex = object.value(kHex);
    const QJsonValue delay = object.value(kDelay);
    const QJsonValue sequence = object.value(kSequence);
    if (!text.isString() || !(name.isString() || name.isUndefined()) ||
        !(hex.isBool() || hex.isUndefined()) || !(sequence.isBool() || sequence.isUndefined()) ||
        !(delay.isDouble() || delay.isUndefined()))
        return false;
    const double ms = delay.toDouble(QuickCommand::kDefaultDelayMs);
    if (ms < 0 || ms > QuickCommand::kMaxDelayMs || ms != int(ms))
        return false;
    command->command = text.toString();
    command->name = name.toString(command->command);
    command->hex = hex.toBool(false);
    command->delayMs = int(ms);
    command->inSequence = sequence.toBool(true);
    return true;
}

} // namespace

bool QuickCommand::operator==(const QuickCommand &other) const
{
    return name == other.name && command == other.command && hex == other.hex &&
           delayMs == other.delayMs && inSequence == other.inSequence;
}

QuickCommandList parseQuickCommands(const QByteArray &bytes)
{
    QuickCommandList list;
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    list.source = QuickCommandList::Source::NotAList;
    if (error.error != QJsonParseError::NoError || !document.isArray())
        return list;
    const QJsonArray entries = document.array();
    QVector<QuickCommand> commands;
    for (const QJsonValue &entry : entries) {
        QuickCommand command;
        if (!readCommand(entry, &command))
            return list;
        commands.append(command);
    }
    list.source = QuickCommandList::Source::Read;
    list.commands = commands;
    return list;
}

QuickCommandList readQuickCommands(const QString &path)
{
    QFile file(path);
    if (!file.exists())
        return QuickCommandList();
    if (!file.open(QIODevice::ReadOnly)) {
        QuickCommandList list;
        list.source = QuickCommandList::Source::Unreadable;
        return list;
    }
    return parseQuickCommands(file.readAll());
}

bool writeQuickCommands(const QString &path, const QVector<QuickCommand> &commands)
{
    QJsonArray entries;
    for (const QuickCommand &command : commands) {
        entries.append(QJsonObject{{kName, command.name},
                                   {kCommand, command.command},
                                   {kHex, command.hex},
                                   {kDelay, command.delayMs},
                                   {kSequence, command.inSequence}});
    }
    return writeSettingsFile(path, QJsonDocument(entries).toJson());
}

std::optional<QByteArray> quickCommandBytes(const QuickCommand &command, at::LineEnding ending,
                                            QString *shown)
{
    if (!command.hex) {
        *shown = command.command;
        return at::wireLine(command.command, ending);
    }
    const HexBytes parsed = parseHexBytes(command.command);
    if (!parsed.isValid())
        return std::nullopt;
    *shown = hexPairs(parsed.bytes);
    return parsed.bytes;
}

QVector<QuickCommand> starterQuickCommands()
{
    QVector<QuickCommand> commands;
    for (const QString &line : {at::attention(), at::firmwareVersionQuery(), at::wifiStatusQuery(),
                                at::mqttStateQuery()}) {
        QuickCommand command;
        command.name = line;
        command.command = line;
        commands.append(command);
    }
    return commands;
}

} // namespace atlume
