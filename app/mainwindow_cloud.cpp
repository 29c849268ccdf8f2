// The cloud controls: what the module's replies make of them, the mode
// buttons and the MQTT connection button.
#include "mainwindow.h"

#include "atcommands.h"
#include "console.h"
#include "ui_mainwindow.h"

namespace {
constexpr int kItemFlagsRole = Qt::UserRole - 1;

const QString kSmartConfigGuidePicture = QStringLiteral("./conf/SmartConfig_wifi_guid.png");

void setDeviceInfoEditsEnabled(Ui::MainWindow *ui, bool enabled)
{
    for (QWidget *edit : {ui->productIDLineEdit, ui->deviceNameLineEdit, ui->deviceSecretLineEdit})
        edit->setEnabled(enabled);
}

void setMqttConfWidgetsEnabled(Ui::MainWindow *ui, bool enabled)
{
    for (QWidget *widget : {static_cast<QWidget *>(ui->cmdtimeout_spinbox),
                            static_cast<QWidget *>(ui->keepalive_spinbox),
                            static_cast<QWidget *>(ui->clean_session_combobox),
                            static_cast<QWidget *>(ui->reconnect_combobox)})
        widget->setEnabled(enabled);
}

void setCloudBtnOffered(Ui::MainWindow *ui, bool offered)
{
    // Its check state is the module's MQTT state and stays as it is.
    ui->connectNimbrelCloudBtn->setText(MainWindow::tr("连接Nimbrel云"));
    ui->connectNimbrelCloudBtn->setEnabled(offered);
}

void printSmartConfigGuide(Console *console)
{
    console->appendParagraph(MainWindow::tr("  SmartConfig配网方式需要使用搭配Lumaro小程序使用"));
    console->appendParagraph(
        MainWindow::tr("  请使用Taviq或者Lumaro小程序扫描下面的二维码配合操作。\r\n"));
    console->appendPicture(kSmartConfigGuidePicture);
}
} // namespace

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
        setCloudBtnOffered(ui, true);
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
        printSmartConfigGuide(console);
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

void MainWindow::showWifiDisconnected()
{
    restoreWifiMethodItem();
    setCloudBtnOffered(ui, false);
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

void MainWindow::enable_device_info_edits()
{
    setDeviceInfoEditsEnabled(ui, true);
}

void MainWindow::disable_device_info_edits()
{
    setDeviceInfoEditsEnabled(ui, false);
}

void MainWindow::enable_mqtt_conf_widgets()
{
    setMqttConfWidgetsEnabled(ui, true);
}

void MainWindow::disable_mqtt_conf_widgets()
{
    setMqttConfWidgetsEnabled(ui, false);
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
