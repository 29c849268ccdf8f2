#pragma once

#include <QString>
#include <QVector>

// The module's AT commands that Atlume and its simulated module use, each
// with its parameters and what it does, for the command box to offer.
namespace atlume::at {

struct CommandInfo {
    const char *command;     // as it begins a line, "AT+CWJAP"
    const char *parameters;  // what follows it, with placeholders in angle brackets
    const char *description; // one line; its translation is in kDescriptionContext
};

constexpr char kDescriptionContext[] = "AtCommandTable";

const QVector<CommandInfo> &commandTable();

// The command with its parameters, ready to be filled in:
// AT+CWJAP="<ssid>","<password>".
QString commandTemplate(const CommandInfo &info);

// The commands whose template begins with prefix, ignoring case.
QVector<CommandInfo> commandsBeginningWith(const QString &prefix);

} // namespace atlume::at
