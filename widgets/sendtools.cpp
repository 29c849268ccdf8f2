#include "sendtools.h"

#include "atcommands.h"
#include "commandbox.h"
#include "console.h"
#include "inputmodes.h"
#include "periodicsender.h"
#include "quickcommands.h"
#include "quicksendpanel.h"
#include "transferstats.h"

#include <QMainWindow>
#include <QSerialPort>
#include <QStatusBar>

namespace {
const QString kQuickCommandsPath = QStringLiteral("./conf/quick_commands.json");
} // namespace

SendTools::SendTools(const Parts &parts, BoxSender sendBox, ByteSender sendBytes)
    : QObject(parts.window), parts(parts), sendBox(std::move(sendBox)),
      sendBytes(std::move(sendBytes)),
      transferStats(new TransferStats(parts.window->statusBar(), parts.choices))
{
    parts.console->addMenuAction(transferStats->toggleAction());

    periodicSender = new PeriodicSender(parts.window->statusBar(), [this] {
        using Tick = PeriodicSender::Tick;
        // A tick while the last write is still going out is skipped, not queued.
        if (this->parts.port->bytesToWrite() > 0 || atlume::at::isBlank(this->parts.box->text()))
            return Tick::Skipped;
        if (this->sendBox())
            return Tick::Sent;
        if (this->parts.port->isOpen())
            this->parts.console->appendParagraph(tr("定时发送失败，已停止。") + QLatin1Char('\n'));
        return Tick::Failed;
    });
    connect(parts.box, &CommandBox::periodicSendRequested, this, [this] {
        // The box's content as AT commands only, and only to an open port.
        if (this->parts.modes->mode() != InputModes::AtCommand || !this->parts.port->isOpen())
            return;
        if (const int interval = PeriodicSender::askInterval(this->parts.window))
            periodicSender->start(interval);
    });
    connect(parts.modes, &InputModes::modeChanged, this, [this](InputModes::Mode mode) {
        if (mode != InputModes::AtCommand)
            periodicSender->stop();
    });
    connect(parts.box, &CommandBox::quickCommandsToggled, this, &SendTools::showQuickCommands);
    // Closed, changed or gone: nothing more is sent on its own.
    connect(parts.port, &QIODevice::aboutToClose, this, &SendTools::stopSending);
}

void SendTools::showQuickCommands(bool shown)
{
    if (!panel && shown) {
        panel = new QuickSendPanel(
            kQuickCommandsPath,
            [this](const atlume::QuickCommand &command) { return sendQuickCommand(command); },
            parts.window);
        connect(panel, &QuickSendPanel::fileRefused, this, [this](const QString &reason) {
            parts.console->appendParagraph(reason + QLatin1Char('\n'));
        });
        connect(panel, &QDockWidget::visibilityChanged, parts.box,
                &CommandBox::setQuickCommandsShown);
        parts.window->addDockWidget(Qt::BottomDockWidgetArea, panel);
        panel->load();
    }
    if (panel)
        panel->setVisible(shown);
}

void SendTools::stopSending()
{
    periodicSender->stop();
    if (panel)
        panel->stopSequence();
}

bool SendTools::sendQuickCommand(const atlume::QuickCommand &command)
{
    QString shown;
    const std::optional<QByteArray> bytes =
        atlume::quickCommandBytes(command, parts.box->lineEnding(), &shown);
    if (!bytes) {
        parts.console->appendParagraph(
            tr("快捷指令“%1”不是以十六进制写的字节，没有发送。").arg(command.name) +
            QLatin1Char('\n'));
        return false;
    }
    if (sendBytes(*bytes, shown))
        return true;
    parts.console->appendParagraph(tr("快捷指令“%1”发送失败。").arg(command.name) +
                                   QLatin1Char('\n'));
    return false;
}
