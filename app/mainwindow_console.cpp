// AT console: sending and counting, the receive path, the cloud controls that
// follow the module's replies, MQTT and topic commands.
#include "mainwindow.h"

#include "atcommands.h"
#include "replyrecogniser.h"
#include "ui_mainwindow.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>

namespace {
constexpr int kItemFlagsRole = Qt::UserRole - 1;

const QString kSmartConfigGuidePicture = QStringLiteral("./conf/SmartConfig_wifi_guid.png");
} // namespace

void MainWindow::send_order(const QString &order)
{
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
    switch (order_mode) {
    case SendMode::AtCommand:
        if (!clearIfBlank(boxText))
            send_order(atlume::at::commandFromBox(boxText));
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
        if (!clearIfBlank(boxText))
            publishFromBox();
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
    ui->textBrowser->append(rule);
    ui->textBrowser->append(QStringLiteral("The long message: "));
    appendPlainParagraph(atlume::at::escapeQuotesAndCommas(message));
    ui->textBrowser->append(rule);
    send_order(atlume::at::escapeMessage(message));
}

void MainWindow::on_cleanBtn_clicked()
{
    ui->textBrowser->clear();
}

void MainWindow::on_textBrowser_textChanged()
{
    ui->textBrowser->moveCursor(QTextCursor::End, QTextCursor::MoveAnchor);
}

void MainWindow::on_orderPlainTextEdit_textChanged()
{
    ui->sendBtn->setEnabled(!ui->orderPlainTextEdit->toPlainText().isEmpty());
}

void MainWindow::serialPort_readyRead()
{
    holdConsolePainting();
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
            showReceived(pending);
            pending.clear();
            emit device_return_signal(*reply);
        }
    }
    showReceived(pending);
}

void MainWindow::holdConsolePainting()
{
    // A busy module brings a read every millisecond or so; painting the
    // console after each costs more than the reads. Painting at most every
    // few milliseconds looks the same.
    constexpr int kPaintIntervalMs = 20;
    if (!ui->textBrowser->updatesEnabled())
        return;
    ui->textBrowser->setUpdatesEnabled(false);
    QTimer::singleShot(kPaintIntervalMs, this,
                       [this] { ui->textBrowser->setUpdatesEnabled(true); });
}

void MainWindow::showReceived(const QString &text)
{
    if (text.isEmpty())
        return;
    // Always at the end: a selection the user made in the console must not
    // be replaced by incoming text.
    QTextCursor end(ui->textBrowser->document());
    end.movePosition(QTextCursor::End);
    // Laying out the new lines is most of what a fast module costs, and most
    // of that is OpenType shaping. Module output is plain text that needs no
    // shaping: this skips it except for scripts that cannot be drawn without
    // it, which Qt still shapes.
    QTextCharFormat format = end.charFormat();
    format.clearProperty(QTextFormat::ObjectType);
    format.setFontStyleStrategy(QFont::PreferNoShaping);
    end.insertText(text, format);
}

void MainWindow::appendPlainParagraph(const QString &text)
{
    // QTextEdit::append would take text that looks like markup for rich text:
    // a message such as "<b>hot</b>" must show as typed, and an <img> in it
    // must not make the console load a file.
    QTextDocument *document = ui->textBrowser->document();
    QTextCursor end(document);
    end.movePosition(QTextCursor::End);
    QTextCharFormat format = ui->textBrowser->currentCharFormat();
    format.clearProperty(QTextFormat::ObjectType);
    if (!document->isEmpty())
        end.insertBlock(end.blockFormat(), format);
    end.insertText(text, format);
}

void MainWindow::clearReceiveState()
{
    receiver.reset();
}

void MainWindow::on_ATorderModeBtn_clicked(bool checked)
{
    ui->sendBtn->setText(tr("发送"));
    check_mode_btn_only(ui->ATorderModeBtn);
    if (!checked)
        ui->ATorderModeBtn->setChecked(true);
    order_mode = SendMode::AtCommand;
    setTopicFieldsVisible(false);
    ui->orderPlainTextEdit->setEnabled(true);
    ui->sendBtn->setEnabled(!ui->orderPlainTextEdit->toPlainText().isEmpty());
}

void MainWindow::set_extend_area_btns_by_device_return(DEVICE_SIGNAL signal_num)
{
    switch (signal_num) {
    case WIFI_GOT_IP:
        wifi_method_index = 1;
        break;
    case WIFI_JOIN_REPLY:
        wifi_method_index = 1;
        restoreWifiMethodItem();
        break;
    case WIFI_CONNECTED:
        offerWifiStopItem(tr("断开WiFi"));
        setCloudBtnOffered(true);
        enable_mqtt_conf_widgets();
        break;
    case WIFI_DISCONNECTED:
        showWifiDisconnected();
        break;
    case MQTT_CONNECTED:
        showMqttConnected();
        break;
    case MQTT_DISCONNECTED:
        showMqttDisconnected();
        break;
    case SMARTCONFIG_STARTED:
        printSmartConfigGuide();
        wifi_method_index = 2;
        offerWifiStopItem(tr("停止SmartConfig配网"));
        break;
    case SOFTAP_STARTED:
        wifi_method_index = 3;
        offerWifiStopItem(tr("停止softAP配网"));
        break;
    case PROVISION_FAILED:
    case SMARTCONFIG_STOPPED:
    case SOFTAP_STOPPED:
        restoreWifiMethodItem();
        break;
    }
}

void MainWindow::offerWifiStopItem(const QString &text)
{
    ui->connect_wifi_btn->setEnabled(true);
    setWifiStopItemAvailable(true);
    ui->connect_wifi_btn->setItemText(0, text);
    ui->connect_wifi_btn->setCurrentIndex(0);
}

void MainWindow::restoreWifiMethodItem()
{
    ui->connect_wifi_btn->setEnabled(true);
    setWifiStopItemAvailable(false);
    ui->connect_wifi_btn->setCurrentIndex(wifi_method_index);
}

void MainWindow::setWifiStopItemAvailable(bool available)
{
    // The combo box's own model reads these flags: -1 is every flag, 0 makes
    // the item impossible to choose.
    ui->connect_wifi_btn->setItemData(0, available ? -1 : 0, kItemFlagsRole);
}

void MainWindow::setCloudBtnOffered(bool offered)
{
    // Its check state is the module's MQTT state and stays as it is.
    ui->connectNimbrelCloudBtn->setText(tr("连接Nimbrel云"));
    ui->connectNimbrelCloudBtn->setEnabled(offered);
}

void MainWindow::showWifiDisconnected()
{
    restoreWifiMethodItem();
    setCloudBtnOffered(false);
    ui->set_dev_conf_btn->setEnabled(true);
    enable_device_info_edits();
    disable_mqtt_conf_widgets();
    on_ATorderModeBtn_clicked(false);
    disable_topic_btns();
}

void MainWindow::showMqttConnected()
{
    ui->connectNimbrelCloudBtn->setText(tr("断开Nimbrel云"));
    ui->connectNimbrelCloudBtn->setChecked(true);
    disable_device_info_edits();
    disable_mqtt_conf_widgets();
    ui->set_dev_conf_btn->setDisabled(true);
    for (QPushButton *button :
         {ui->subTopicBtn, ui->unsubTopicBtn, ui->releaseTopicMsgBtn, ui->releaseTopicLongMsgBtn})
        button->setEnabled(true);
}

void MainWindow::showMqttDisconnected()
{
    ui->connectNimbrelCloudBtn->setText(tr("连接Nimbrel云"));
    ui->connectNimbrelCloudBtn->setChecked(false);
    ui->set_dev_conf_btn->setEnabled(true);
    enable_device_info_edits();
    enable_mqtt_conf_widgets();
    on_ATorderModeBtn_clicked(false);
    disable_topic_btns();
}

void MainWindow::printSmartConfigGuide()
{
    ui->textBrowser->append(tr("  SmartConfig配网方式需要使用搭配Lumaro小程序使用"));
    ui->textBrowser->append(tr("  请使用Taviq或者Lumaro小程序扫描下面的二维码配合操作。\r\n"));
    ui->textBrowser->insertHtml(QStringLiteral("<img src=\"%1\"/>").arg(kSmartConfigGuidePicture));
    ui->textBrowser->insertPlainText(QStringLiteral("\r\n"));
}

void MainWindow::on_connectNimbrelCloudBtn_clicked(bool checked)
{
    // The button shows what the module reports, never the click itself.
    ui->connectNimbrelCloudBtn->setChecked(!checked);
    if (checked) {
        send_order(atlume::at::mqttConnect(
            ui->tlsmode_combobox->currentIndex(), ui->cmdtimeout_spinbox->value(),
            ui->keepalive_spinbox->value(), ui->clean_session_combobox->currentIndex(),
            ui->reconnect_combobox->currentIndex()));
    } else {
        send_order(QStringLiteral("AT+KQMQTTDISCONN"));
    }
}

void MainWindow::enterTopicMode(QPushButton *button, SendMode mode, const QString &sendText)
{
    check_mode_btn_only(button);
    ui->topicLabel->show();
    ui->topicLineEdit->show();
    const bool withQos = mode != SendMode::Unsubscribe;
    ui->qosLabel->setVisible(withQos);
    ui->qosComboBox->setVisible(withQos);
    if (ui->topicLineEdit->text().isEmpty())
        ui->topicLineEdit->setText(ui->productIDLineEdit->text() + QLatin1Char('/') +
                                   ui->deviceNameLineEdit->text() + QLatin1Char('/'));
    ui->topicLineEdit->setFocus(Qt::MouseFocusReason);
    ui->sendBtn->setText(sendText);
    if (mode == SendMode::Subscribe || mode == SendMode::Unsubscribe) {
        ui->orderPlainTextEdit->setDisabled(true);
        ui->sendBtn->setEnabled(true);
    } else {
        ui->orderPlainTextEdit->setEnabled(true);
        ui->sendBtn->setEnabled(!ui->orderPlainTextEdit->toPlainText().isEmpty());
    }
    order_mode = mode;
}

void MainWindow::topicModeClicked(bool checked, QPushButton *button, SendMode mode,
                                  const QString &sendText)
{
    // Unchecking a topic button returns to AT commands.
    if (checked)
        enterTopicMode(button, mode, sendText);
    else
        on_ATorderModeBtn_clicked(false);
}

void MainWindow::on_subTopicBtn_clicked(bool checked)
{
    topicModeClicked(checked, ui->subTopicBtn, SendMode::Subscribe, tr("订阅主题", "send button"));
}

void MainWindow::on_unsubTopicBtn_clicked(bool checked)
{
    topicModeClicked(checked, ui->unsubTopicBtn, SendMode::Unsubscribe,
                     tr("取消订阅", "send button"));
}

void MainWindow::on_releaseTopicMsgBtn_clicked(bool checked)
{
    topicModeClicked(checked, ui->releaseTopicMsgBtn, SendMode::Publish,
                     tr("发布消息", "send button"));
}

void MainWindow::on_releaseTopicLongMsgBtn_clicked(bool checked)
{
    topicModeClicked(checked, ui->releaseTopicLongMsgBtn, SendMode::PublishLong,
                     tr("发布长消息", "send button"));
}

void MainWindow::setTopicFieldsVisible(bool visible)
{
    for (QWidget *field :
         {static_cast<QWidget *>(ui->topicLabel), static_cast<QWidget *>(ui->topicLineEdit),
          static_cast<QWidget *>(ui->qosLabel), static_cast<QWidget *>(ui->qosComboBox)})
        field->setVisible(visible);
}

void MainWindow::setDeviceInfoEditsEnabled(bool enabled)
{
    for (QWidget *edit : {ui->productIDLineEdit, ui->deviceNameLineEdit, ui->deviceSecretLineEdit})
        edit->setEnabled(enabled);
}

void MainWindow::setMqttConfWidgetsEnabled(bool enabled)
{
    for (QWidget *widget : {static_cast<QWidget *>(ui->cmdtimeout_spinbox),
                            static_cast<QWidget *>(ui->keepalive_spinbox),
                            static_cast<QWidget *>(ui->clean_session_combobox),
                            static_cast<QWidget *>(ui->reconnect_combobox)})
        widget->setEnabled(enabled);
}

void MainWindow::enable_device_info_edits()
{
    setDeviceInfoEditsEnabled(true);
}

void MainWindow::disable_device_info_edits()
{
    setDeviceInfoEditsEnabled(false);
}

void MainWindow::enable_mqtt_conf_widgets()
{
    setMqttConfWidgetsEnabled(true);
}

void MainWindow::disable_mqtt_conf_widgets()
{
    setMqttConfWidgetsEnabled(false);
}

void MainWindow::disable_topic_btns()
{
    for (QPushButton *button :
         {ui->subTopicBtn, ui->unsubTopicBtn, ui->releaseTopicMsgBtn, ui->releaseTopicLongMsgBtn}) {
        button->setChecked(false);
        button->setDisabled(true);
    }
}

void MainWindow::reset_extend_area_btns()
{
    ui->connect_wifi_btn->setDisabled(true);
    ui->connect_wifi_btn->setCurrentIndex(1);
    ui->connectNimbrelCloudBtn->setDisabled(true);
    ui->connectNimbrelCloudBtn->setChecked(false);
    ui->connectNimbrelCloudBtn->setText(tr("连接Nimbrel云"));
    disable_topic_btns();
    ui->ATorderModeBtn->setChecked(false);
    ui->ATorderModeBtn->setDisabled(true);
    ui->set_dev_conf_btn->setDisabled(true);
}

void MainWindow::enable_extend_area_btns()
{
    enable_device_info_edits();
    ui->ATorderModeBtn->setEnabled(true);
    ui->connect_wifi_btn->setEnabled(true);
    ui->set_dev_conf_btn->setEnabled(true);
}

void MainWindow::add_mode_btn(QPushButton *button)
{
    if (!mode_btns.contains(button))
        mode_btns.append(button);
}

void MainWindow::check_mode_btn_only(QPushButton *button)
{
    add_mode_btn(button);
    for (QPushButton *other : qAsConst(mode_btns)) {
        if (other != button)
            other->setChecked(false);
    }
}
