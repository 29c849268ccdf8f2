#pragma once

#include <QFile>
#include <QString>

namespace atlume {

// The console's log: a text file that every line shown is appended to, each
// read written out at once. New files are readable by their owner only, since
// the module echoes device secrets and Wi-Fi passwords; a file that exists
// keeps its mode. Once a write fails the log closes itself and says why.
class ConsoleLog {
public:
    enum class Failure { None, CannotOpen, CannotWrite, Removed };

    ConsoleLog() = default;
    ~ConsoleLog() { stop(); }
    ConsoleLog(const ConsoleLog &) = delete;
    ConsoleLog &operator=(const ConsoleLog &) = delete;

    // Appends from now on to path; an existing file is added to, never emptied.
    bool start(const QString &path);
    void stop();
    bool isOpen() const { return file.isOpen(); }
    QString path() const { return isOpen() ? logPath : QString(); }

    // Writes text as UTF-8 and hands it to the system. False once the file
    // can no longer be written; the log is closed then.
    bool write(const QString &text);

    // Why the last start() or write() failed, with the system's words.
    Failure failure() const { return lastFailure; }
    QString errorString() const { return lastError; }

private:
    bool fail(Failure failure);

    QFile file;
    QString logPath;
    Failure lastFailure = Failure::None;
    QString lastError;
};

// Writes what the console shows to path in one step (QSaveFile). A new file
// is its owner's alone, like a log; a file that exists keeps its mode. False,
// with the system's words in error, when it cannot be written.
bool saveConsoleText(const QString &path, const QString &text, QString *error);

} // namespace atlume
