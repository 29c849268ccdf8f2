#pragma once

#include <QObject>
#include <functional>

class CommandBox;
class Console;
class InputModes;
class PeriodicSender;
class QMainWindow;
class QSerialPort;
class QuickSendPanel;
class TransferStats;

namespace atlume {
class UserChoices;
struct QuickCommand;
} // namespace atlume

// What the command box's menu and the console's offer beyond typing a line:
// the byte counts in the status bar, periodic sending and the quick-commands
// panel. None of it shows until the user asks for it, and nothing of it
// sends once the port closes.
class SendTools : public QObject {
    Q_OBJECT

public:
    struct Parts {
        QMainWindow *window;
        QSerialPort *port;
        CommandBox *box;
        InputModes *modes;
        Console *console;
        atlume::UserChoices *choices;
    };
    // Sends the command box's content without the usual pause; false when
    // nothing went out.
    using BoxSender = std::function<bool()>;
    // Writes bytes shown as the text given; false when the port took nothing.
    using ByteSender = std::function<bool(const QByteArray &, const QString &)>;

    SendTools(const Parts &parts, BoxSender sendBox, ByteSender sendBytes);

    TransferStats *stats() const { return transferStats; }
    PeriodicSender *periodic() const { return periodicSender; }
    // Made when first shown.
    QuickSendPanel *quickCommands() const { return panel; }
    void showQuickCommands(bool shown);
    // Stops the periodic sending and a running sequence.
    void stopSending();

private:
    bool sendQuickCommand(const atlume::QuickCommand &command);

    Parts parts;
    BoxSender sendBox;
    ByteSender sendBytes;
    TransferStats *transferStats;
    PeriodicSender *periodicSender;
    QuickSendPanel *panel = nullptr;
};
