// AT console: sending and counting, and the receive path into the console.
#include "mainwindow.h"

#include "atcommands.h"
#include "cloudmessagespanel.h"
#include "commandbox.h"
#include "commandpause.h"
#include "console.h"
#include "inputmodes.h"
#include "replyrecogniser.h"
#include "sendtools.h"
#include "transferstats.h"
#include "ui_mainwindow.h"

void MainWindow::send_order(const QString &order)
{
    // The module sends no status line when it leaves Wi-Fi, so the window reports
    // the drop itself, before the write, and the controls reset even if it fails.
    if (atlume::at::isLeaveAccessPoint(order))
        emit device_return_signal(WIFI_DISCONNECTED);
    send_bytes(atlume::at::wireLine(order), order);
    atlume::holdFor(commandPauseMs);
}

bool MainWindow::send_bytes(const QByteArray &bytes, const QString &shown)
{
    const qint64 written = serialPort->write(bytes.constData(), bytes.size());
    if (written <= 0)
        return false;
    // Hand the line to the tty now, so a pause after it starts when it has left.
    serialPort->flush();
    ++sendCount;
    // A full-width colon and no blank here, an ASCII colon and a blank
    // where a port selection resets the count: both spellings are meant.
    ui->orderHasSendLabel->setText(tr("已发送信息：%1条").arg(sendCount));
    sendTools->stats()->addSent(written);
    if (commandBox->showsSent())
        console->showSent(shown);
    return true;
}

bool MainWindow::send_from_box(bool paced)
{
    const std::optional<CommandBox::Outgoing> out = commandBox->outgoing();
    if (!out)
        return false;
    const bool asTyped = out->ending == atlume::at::LineEnding::CrLf && !commandBox->hexSend();
    if (paced && asTyped) {
        send_order(out->line);
        return true;
    }
    if (atlume::at::isLeaveAccessPoint(out->line))
        emit device_return_signal(WIFI_DISCONNECTED);
    const bool sent = send_bytes(out->bytes, out->shown);
    if (paced)
        atlume::holdFor(commandPauseMs);
    return sent;
}

void MainWindow::on_sendBtn_clicked()
{
    const QString boxText = commandBox->text();
    // Whoever sends wants to see the reply.
    console->followEnd();
    const InputModes::Mode mode = inputModes->mode();
    if (mode == InputModes::Subscribe) {
        send_order(
            atlume::at::subscribe(ui->topicLineEdit->text(), ui->qosComboBox->currentIndex()));
        return;
    }
    if (mode == InputModes::Unsubscribe) {
        send_order(atlume::at::unsubscribe(ui->topicLineEdit->text()));
        return;
    }
    if (commandBox->clearIfBlank())
        return;
    commandBox->remember(boxText);
    if (mode == InputModes::AtCommand) {
        send_from_box(true);
        return;
    }
    const QString topic = ui->topicLineEdit->text();
    const int qos = ui->qosComboBox->currentIndex();
    if (mode == InputModes::Publish) {
        send_order(atlume::at::publish(topic, qos, boxText));
        return;
    }
    // A long message goes as a second line, after the module has read the
    // first; the console shows it between rules meanwhile.
    send_order(atlume::at::publishLongHeader(topic, qos, boxText));
    const QString rule(38, QLatin1Char('"'));
    console->appendParagraph(rule);
    console->appendParagraph(QStringLiteral("The long message: "));
    console->appendParagraph(atlume::at::escapeQuotesAndCommas(boxText));
    console->appendParagraph(rule);
    send_order(atlume::at::escapeMessage(boxText));
}

void MainWindow::on_cleanBtn_clicked()
{
    ui->textBrowser->clear();
}

void MainWindow::on_textBrowser_textChanged()
{
    // The end stays in view only while the user has not scrolled up or
    // selected text; the console decides.
    console->keepView();
}

void MainWindow::on_orderPlainTextEdit_textChanged()
{
    ui->sendBtn->setEnabled(!ui->orderPlainTextEdit->toPlainText().isEmpty());
}

void MainWindow::serialPort_readyRead()
{
    console->beginRead();
    const QByteArray bytes = serialPort->readAll();
    console->showReceivedBytes(bytes);
    cloudMessages->take(bytes);
    sendTools->stats()->addReceived(bytes.size());
    const QStringList lines = receiver.feed(bytes);
    // The lines of one read go into the console together; a recognised reply
    // is shown before its signal is emitted, so whatever the signal prints
    // follows the line that caused it.
    QString pending;
    for (const QString &line : lines) {
        pending += line;
        if (!atlume::LineReceiver::isLine(line)) {
            // An unfinished line cut at the receiver's bound: shown as it is,
            // ending its paragraph, and never taken for a reply.
            pending += QLatin1Char('\n');
            continue;
        }
        if (const auto reply = atlume::recogniseReply(line)) {
            console->showReceived(pending);
            pending.clear();
            emit device_return_signal(*reply);
        }
    }
    console->showReceived(pending);
}
