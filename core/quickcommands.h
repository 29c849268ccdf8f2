#pragma once

#include "atcommands.h"

#include <QString>
#include <QVector>
#include <optional>

namespace atlume {

// A named command of the quick-commands panel.
struct QuickCommand {
    static constexpr int kDefaultDelayMs = 1000;
    static constexpr int kMaxDelayMs = 3600 * 1000;

    QString name;
    QString command;
    bool hex = false;              // the command is bytes written in hex
    int delayMs = kDefaultDelayMs; // the pause after it in a sequence
    bool inSequence = true;        // sent by a sequence

    bool operator==(const QuickCommand &other) const;
};

// The list as kept in its file: a JSON array of objects with "name",
// "command", "hex", "delayMs" and "sequence"; only "command" must be there.
struct QuickCommandList {
    enum class Source { Missing, Read, Unreadable, NotAList };
    Source source = Source::Missing;
    QVector<QuickCommand> commands;
};

QuickCommandList readQuickCommands(const QString &path);
QuickCommandList parseQuickCommands(const QByteArray &bytes);
// In one step, readable by the owner only; false when it cannot be written.
bool writeQuickCommands(const QString &path, const QVector<QuickCommand> &commands);

// The bytes a command sends (a text command with the ending given), and in
// shown how the console shows it sent; nothing for hex that is not.
std::optional<QByteArray> quickCommandBytes(const QuickCommand &command, at::LineEnding ending,
                                            QString *shown);

// What the panel offers before the user has a list: the module's own queries.
QVector<QuickCommand> starterQuickCommands();

} // namespace atlume
