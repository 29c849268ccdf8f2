// The cloud controls: what the module's replies make of them, the mode
// buttons and the MQTT connection button. The controls' states are
// CloudControls', the input area's modes InputModes'.
#include "mainwindow.h"

#include "atcommands.h"
#include "cloudcontrols.h"
#include "inputmodes.h"
#include "ui_mainwindow.h"

void MainWindow::on_ATorderModeBtn_clicked(bool checked)
{
    inputModes->enterAtMode(checked);
}

void MainWindow::set_extend_area_btns_by_device_return(DEVICE_SIGNAL signal_num)
{
    cloudControls->apply(signal_num);
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
        send_order(atlume::at::mqttDisconnect());
    }
}

void MainWindow::on_subTopicBtn_clicked(bool checked)
{
    inputModes->topicButtonClicked(ui->subTopicBtn, InputModes::Subscribe, checked);
}

void MainWindow::on_unsubTopicBtn_clicked(bool checked)
{
    inputModes->topicButtonClicked(ui->unsubTopicBtn, InputModes::Unsubscribe, checked);
}

void MainWindow::on_releaseTopicMsgBtn_clicked(bool checked)
{
    inputModes->topicButtonClicked(ui->releaseTopicMsgBtn, InputModes::Publish, checked);
}

void MainWindow::on_releaseTopicLongMsgBtn_clicked(bool checked)
{
    inputModes->topicButtonClicked(ui->releaseTopicLongMsgBtn, InputModes::PublishLong, checked);
}

void MainWindow::enable_device_info_edits()
{
    cloudControls->setIdentityEditable(true);
}

void MainWindow::disable_device_info_edits()
{
    cloudControls->setIdentityEditable(false);
}

void MainWindow::enable_mqtt_conf_widgets()
{
    cloudControls->setMqttParametersEditable(true);
}

void MainWindow::disable_mqtt_conf_widgets()
{
    cloudControls->setMqttParametersEditable(false);
}

void MainWindow::disable_topic_btns()
{
    cloudControls->disableTopicButtons();
}

void MainWindow::reset_extend_area_btns()
{
    cloudControls->reset();
}

void MainWindow::enable_extend_area_btns()
{
    cloudControls->enableForOpenPort();
}

void MainWindow::add_mode_btn(QPushButton *button)
{
    inputModes->addButton(button);
}

void MainWindow::check_mode_btn_only(QPushButton *button)
{
    inputModes->checkOnly(button);
}
