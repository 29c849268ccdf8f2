#include "mainwindow.h"

#include <QCloseEvent>

void MainWindow::load_port_conf() {}

void MainWindow::save_port_conf() {}

void MainWindow::send_order(const QString &) {}

void MainWindow::reset_extend_area_btns() {}

void MainWindow::enable_extend_area_btns() {}

void MainWindow::enable_device_info_edits() {}

void MainWindow::disable_device_info_edits() {}

void MainWindow::enable_mqtt_conf_widgets() {}

void MainWindow::disable_mqtt_conf_widgets() {}

void MainWindow::disable_topic_btns() {}

void MainWindow::add_mode_btn(QPushButton *) {}

void MainWindow::check_mode_btn_only(QPushButton *) {}

void MainWindow::setPortListWidget() {}

void MainWindow::on_scanPortBtn_clicked() {}

void MainWindow::on_connectBtn_clicked() {}

void MainWindow::on_sendBtn_clicked() {}

void MainWindow::on_cleanBtn_clicked() {}

void MainWindow::on_portListWidget_currentItemChanged(QListWidgetItem *, QListWidgetItem *) {}

void MainWindow::printSerialError(QSerialPort::SerialPortError) {}

void MainWindow::set_serial_port_by_default() {}

void MainWindow::on_portListWidget_itemDoubleClicked(QListWidgetItem *) {}

void MainWindow::on_action_Nimbrel_IoT_triggered() {}

void MainWindow::setup_toolBtn_extendArea() {}

void MainWindow::extendToolBtn_clicked() {}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::on_connectNimbrelCloudBtn_clicked(bool) {}

void MainWindow::closeEvent(QCloseEvent *event)
{
    QMainWindow::closeEvent(event);
}

void MainWindow::on_textBrowser_textChanged() {}

void MainWindow::on_subTopicBtn_clicked(bool) {}

void MainWindow::on_unsubTopicBtn_clicked(bool) {}

void MainWindow::on_releaseTopicMsgBtn_clicked(bool) {}

void MainWindow::on_releaseTopicLongMsgBtn_clicked(bool) {}

void MainWindow::on_ATorderModeBtn_clicked(bool) {}

void MainWindow::on_deviceIoTInfoToolBtn_clicked() {}

void MainWindow::on_orderPlainTextEdit_textChanged() {}

void MainWindow::set_extend_area_btns_by_device_return(DEVICE_SIGNAL) {}

void MainWindow::on_set_dev_conf_btn_clicked() {}

void MainWindow::serialPort_readyRead() {}

void MainWindow::on_connect_wifi_btn_clicked() {}
