// AT console: sending and counting, and the receive path into the console.
#include "mainwindow.h"

#include "atcommands.h"
#include "commandhistory.h"
#include "console.h"
#include "replyrecogniser.h"
#include "ui_mainwindow.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

void MainWindow::send_order(const QString &order)
{
    // The module sends no status line when it leaves Wi-Fi, so the window reports
    // the drop itself, before the write, and the controls reset even if it fails.
    if (order == QLatin1String("AT+CWQAP"))
        emit device_return_signal(WIFI_DISCONNECTED);

    const QByteArray line = atlume::at::wireLine(order);
    if (serialPort->write(line.constData(), line.size()) > 0) {
        // Hand the line to the tty now, so the pause below starts when it has left.
        serialPort->flush();
        ++sendCount;
        // A full-width colon and no blank here, an ASCII colon and a blank
        // where a port selection resets the count: both spellings are meant.
        ui->orderHasSendLabel->setText(tr("已发送信息：%1条").arg(sendCount));
    }

    // Wait in a nested event loop: replies are read, shown and recognised
    // meanwhile, clicks still work, and no core is spun.
    QElapsedTimer elapsed;
    elapsed.start();
    for (qint64 left = commandPauseMs; left > 0; left = commandPauseMs - elapsed.elapsed()) {
        QEventLoop pause;
        QTimer::singleShot(int(left), Qt::PreciseTimer, &pause, &QEventLoop::quit);
        pause.exec();
    }
}

void MainWindow::on_sendBtn_clicked()
{
    const QString boxText = ui->orderPlainTextEdit->document()->toPlainText();
    // Whoever sends wants to see the reply.
    console->followEnd();
    switch (order_mode) {
    case SendMode::AtCommand:
        if (!clearIfBlank(boxText)) {
            history->add(boxText);
            send_order(atlume::at::commandFromBox(boxText));
        }
        return;
    case SendMode::Subscribe:
        send_order(
            atlume::at::subscribe(ui->topicLineEdit->text(), ui->qosComboBox->currentIndex()));
        return;
    case SendMode::Unsubscribe:
        send_order(atlume::at::unsubscribe(ui->topicLineEdit->text()));
        return;
    case SendMode::Publish:
    case SendMode::PublishLong:
        if (!clearIfBlank(boxText)) {
            history->add(boxText);
            publishFromBox();
        }
        return;
    }
}

bool MainWindow::clearIfBlank(const QString &boxText)
{
    if (!atlume::at::isBlank(boxText))
        return false;
    ui->orderPlainTextEdit->clear();
    ui->orderPlainTextEdit->setFocus(Qt::MouseFocusReason);
    return true;
}

void MainWindow::publishFromBox()
{
    const QString topic = ui->topicLineEdit->text();
    const int qos = ui->qosComboBox->currentIndex();
    const QString message = ui->orderPlainTextEdit->document()->toPlainText();
    if (order_mode == SendMode::Publish) {
        send_order(atlume::at::publish(topic, qos, message));
        return;
    }
    send_order(atlume::at::publishLongHeader(topic, qos, message));
    const QString rule(38, QLatin1Char('"'));
    console->appendParagraph(rule);
    console->appendParagraph(QStringLiteral("The long message: "));
    console->appendParagraph(atlume::at::escapeQuotesAndCommas(message));
    console->appendParagraph(rule);
    send_order(atlume::at::escapeMessage(message));
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
    const QStringList lines = receiver.feed(serialPort->readAll());
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

void MainWindow::clearReceiveState()
{
    receiver.reset();
}
