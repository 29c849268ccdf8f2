// Serial link: the port list, opening and closing the port, serial errors and
// the per-port settings file.
#include "mainwindow.h"

#include "atcommands.h"
#include "cloudcontrols.h"
#include "cloudmessagespanel.h"
#include "console.h"
#include "portconf.h"
#include "portenumerator.h"
#include "sendtools.h"
#include "seriportconfsetting.h"
#include "simulatedports.h"
#include "transferstats.h"
#include "ui_mainwindow.h"

#include <QListWidgetItem>
#include <QTimer>

namespace {

// The name the port list shows for the port object's port: a simulated
// module's port is opened through its entry's path.
QString listedName(const QSerialPort *port)
{
    return atlume::sim::listedPortName(port->portName());
}

// The port is closed, or cannot be opened until it is chosen again: there is
// nothing to type into and nothing to send. connectBtn offers to open it.
void showPortAtRest(Ui::MainWindow *ui, bool openable)
{
    ui->connectBtn->setText(QStringLiteral("Connect"));
    ui->connectBtn->setEnabled(openable);
    ui->orderPlainTextEdit->setDisabled(true);
    ui->sendBtn->setDisabled(true);
}
} // namespace

void MainWindow::setPortListWidget()
{
    // Emptying the list is no change of selection; keep the slot out of it.
    {
        const QSignalBlocker blocker(ui->portListWidget);
        ui->portListWidget->clear();
    }
    ui->portListWidget->addItems(atlume::availablePortNames());
    ui->portListWidget->sortItems(Qt::AscendingOrder);
}

void MainWindow::on_scanPortBtn_clicked()
{
    setPortListWidget();
    for (int row = 0; row < ui->portListWidget->count(); ++row) {
        if (ui->portListWidget->item(row)->text() == currentPortName) {
            ui->portListWidget->setCurrentRow(row);
            return;
        }
    }
    currentPortName.clear();
    if (serialPort->isOpen())
        serialPort->close();
    receiver.reset();
    cloudMessages->startOver();
    ui->textBrowser->clear();
    showPortAtRest(ui, false);
}

void MainWindow::on_portListWidget_currentItemChanged(QListWidgetItem *current,
                                                      QListWidgetItem *previous)
{
    Q_UNUSED(previous)
    if (!current || current->text() == currentPortName)
        return;
    // Store the port being left, if one was selected: the identity fields and
    // the port object still hold its values here.
    if (!currentPortName.isEmpty())
        save_port_conf();
    currentPortName = current->text();
    console->setPortName(currentPortName);
    if (serialPort->isOpen())
        serialPort->close();
    lostDevice.rearm();
    serialPort->setPortName(atlume::sim::portLocation(current->text()));
    load_port_conf();
    disable_device_info_edits();
    disable_mqtt_conf_widgets();
    reset_extend_area_btns();
    // Half a line from the port left must not be completed by the next one.
    receiver.reset();
    cloudMessages->startOver();
    ui->textBrowser->clear();
    showPortAtRest(ui, true);
    sendCount = 0;
    // An ASCII colon and a blank, unlike the label after a send: both are meant.
    ui->orderHasSendLabel->setText(tr("已发送信息: %1条").arg(sendCount));
}

void MainWindow::on_portListWidget_itemDoubleClicked(QListWidgetItem *item)
{
    on_portListWidget_currentItemChanged(item, nullptr);

    SeriPortConfSetting dialog(serialPort, this);
    dialog.setWindowFlags(Qt::Dialog | Qt::WindowCloseButtonHint);
    dialog.setWindowTitle(tr("设置通讯模组 ") + item->text());
    dialog.show();
    dialog.exec();
}

void MainWindow::set_serial_port_by_default()
{
    const atlume::PortConfValues defaults;
    serialPort->setBaudRate(defaults.baudRate, QSerialPort::AllDirections);
    serialPort->setDataBits(QSerialPort::DataBits(defaults.dataBits));
    serialPort->setFlowControl(QSerialPort::FlowControl(defaults.flowControl));
    serialPort->setParity(QSerialPort::Parity(defaults.parity));
    serialPort->setStopBits(QSerialPort::StopBits(defaults.stopBits));
}

void MainWindow::load_port_conf()
{
    const atlume::PortConf conf =
        atlume::readPortConf(atlume::portConfPath(listedName(serialPort)));
    if (conf.productId)
        ui->productIDLineEdit->setText(*conf.productId);
    if (conf.deviceName)
        ui->deviceNameLineEdit->setText(*conf.deviceName);
    if (conf.deviceSecret)
        ui->deviceSecretLineEdit->setText(*conf.deviceSecret);

    // The defaults first: each line parameter the file does not give keeps its default.
    set_serial_port_by_default();
    if (conf.baudRate)
        serialPort->setBaudRate(*conf.baudRate, QSerialPort::AllDirections);
    if (conf.dataBits)
        serialPort->setDataBits(QSerialPort::DataBits(*conf.dataBits));
    if (conf.flowControl)
        serialPort->setFlowControl(QSerialPort::FlowControl(*conf.flowControl));
    if (conf.parity)
        serialPort->setParity(QSerialPort::Parity(*conf.parity));
    if (conf.stopBits)
        serialPort->setStopBits(QSerialPort::StopBits(*conf.stopBits));
}

void MainWindow::save_port_conf()
{
    if (serialPort->portName().isEmpty())
        return;
    atlume::PortConfValues values;
    values.productId = ui->productIDLineEdit->text();
    values.deviceName = ui->deviceNameLineEdit->text();
    values.deviceSecret = ui->deviceSecretLineEdit->text();
    values.baudRate = serialPort->baudRate();
    values.dataBits = serialPort->dataBits();
    values.flowControl = serialPort->flowControl();
    values.parity = serialPort->parity();
    values.stopBits = serialPort->stopBits();
    atlume::writePortConf(atlume::portConfPath(listedName(serialPort)), values);
}

void MainWindow::on_connectBtn_clicked()
{
    if (!serialPort->isOpen()) {
        if (!serialPort->open(QIODevice::ReadWrite))
            return;
        lostDevice.rearm();
        sendTools->stats()->reset();
        ui->connectBtn->setText(QStringLiteral("Disconnect"));
        ui->orderPlainTextEdit->setEnabled(true);
        ui->sendBtn->setText(tr("发送"));
        if (!ui->orderPlainTextEdit->toPlainText().isEmpty())
            ui->sendBtn->setEnabled(true);
        console->appendParagraph(tr("串口 ") + listedName(serialPort) + tr(" 已打开。"));
        console->appendParagraph(
            tr("    如果发现乱码，很有可能是波特率设置错误，请双击串口设备名，以调整波特率。\n"));
        enable_extend_area_btns();
        cloudControls->setStopItemAvailable(false);
        ui->connect_wifi_btn->setCurrentIndex(1);
        ui->ATorderModeBtn->setChecked(true);
        send_order(atlume::at::wifiStatusQuery());
        send_order(atlume::at::mqttStateQuery());
        return;
    }

    serialPort->close();
    console->appendParagraph(tr("串口 ") + listedName(serialPort) + tr(" 已关闭。"));
    ui->sendBtn->setText(tr("发送"));
    showPortAtRest(ui, true);
    reset_extend_area_btns();
    disable_device_info_edits();
    disable_mqtt_conf_widgets();
}

void MainWindow::printSerialError(QSerialPort::SerialPortError serialPortErrno)
{
    const QSerialPort::SerialPortError error = lostDevice.take(serialPortErrno);
    if (const char *text = atlume::serialErrorText(error))
        console->appendParagraph(QString::fromLatin1(text));
    if (error != QSerialPort::ResourceError)
        return;
    // The error arrives from inside the port's own notifier; recover once
    // that has returned.
    QTimer::singleShot(0, this, [this] {
        on_scanPortBtn_clicked();
        // A port that is still listed stays selected: close it, so that
        // connectBtn can open it again once the device is back.
        if (serialPort->isOpen())
            serialPort->close();
        lostDevice.rearm();
        showPortAtRest(ui, !currentPortName.isEmpty());
        reset_extend_area_btns();
    });
}
