// Serial link: the port list, opening and closing the port, serial errors and
// the per-port settings file.
#include "mainwindow.h"

#include "console.h"
#include "linehangup.h"
#include "portconf.h"
#include "portenumerator.h"
#include "seriportconfsetting.h"
#include "simulatedports.h"
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

const char *serialErrorText(QSerialPort::SerialPortError error)
{
    switch (error) {
    case QSerialPort::NoError:
        return nullptr;
    case QSerialPort::DeviceNotFoundError:
        return "An error occurred while attempting to open an non-existing device.";
    case QSerialPort::PermissionError:
        return "An error occurred while attempting to open an already opened device by another "
               "process or a user not having enough permission and credentials to open.";
    case QSerialPort::OpenError:
        return "An error occurred while attempting to open an already opened device in this "
               "object.";
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    // Gone from Qt 6, where the hardware errors are no longer reported.
    case QSerialPort::ParityError:
        return "Parity error detected by the hardware while reading data. This value is "
               "obsolete. We strongly advise against using it in new code.";
    case QSerialPort::FramingError:
        return "Framing error detected by the hardware while reading data. This value is "
               "obsolete. We strongly advise against using it in new code.";
    case QSerialPort::BreakConditionError:
        return "Break condition detected by the hardware on the input line. This value is "
               "obsolete. We strongly advise against using it in new code.";
#endif
    case QSerialPort::WriteError:
        return "An I/O error occurred while writing the data.";
    case QSerialPort::ReadError:
        return "An I/O error occurred while reading the data.";
    case QSerialPort::ResourceError:
        return "An I/O error occurred when a resource becomes unavailable, e.g. when the device "
               "is unexpectedly removed from the system.";
    case QSerialPort::UnsupportedOperationError:
        return "The requested device operation is not supported or prohibited by the running "
               "operating system.";
    case QSerialPort::UnknownError:
        return "An unidentified error occurred.";
    case QSerialPort::TimeoutError:
        return "A timeout error occurred. This value was introduced in QtSerialPort 5.2.";
    case QSerialPort::NotOpenError:
        return "This error occurs when an operation is executed that can only be successfully "
               "performed if the device is open. This value was introduced in QtSerialPort 5.2.";
    }
    return nullptr;
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
    clearReceiveState();
    ui->connectBtn->setText(QStringLiteral("Connect"));
    ui->connectBtn->setDisabled(true);
    ui->textBrowser->clear();
    ui->orderPlainTextEdit->setDisabled(true);
    ui->sendBtn->setDisabled(true);
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
    portGone = false;
    ui->connectBtn->setText(QStringLiteral("Connect"));
    ui->connectBtn->setEnabled(true);
    serialPort->setPortName(atlume::sim::portLocation(current->text()));
    load_port_conf();
    disable_device_info_edits();
    disable_mqtt_conf_widgets();
    reset_extend_area_btns();
    // Half a line from the port left must not be completed by the next one.
    clearReceiveState();
    ui->textBrowser->clear();
    ui->orderPlainTextEdit->setDisabled(true);
    ui->sendBtn->setDisabled(true);
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
        portGone = false;
        ui->connectBtn->setText(QStringLiteral("Disconnect"));
        ui->orderPlainTextEdit->setEnabled(true);
        ui->sendBtn->setText(tr("发送"));
        if (!ui->orderPlainTextEdit->toPlainText().isEmpty())
            ui->sendBtn->setEnabled(true);
        console->appendParagraph(tr("串口 ") + listedName(serialPort) + tr(" 已打开。"));
        console->appendParagraph(
            tr("    如果发现乱码，很有可能是波特率设置错误，请双击串口设备名，以调整波特率。\n"));
        enable_extend_area_btns();
        setWifiStopItemAvailable(false);
        ui->connect_wifi_btn->setCurrentIndex(1);
        ui->ATorderModeBtn->setChecked(true);
        send_order(QStringLiteral("AT+CIPSTATUS"));
        send_order(QStringLiteral("AT+KQMQTTSTATE?"));
        return;
    }

    serialPort->close();
    console->appendParagraph(tr("串口 ") + listedName(serialPort) + tr(" 已关闭。"));
    ui->connectBtn->setText(QStringLiteral("Connect"));
    ui->sendBtn->setText(tr("发送"));
    ui->sendBtn->setDisabled(true);
    ui->orderPlainTextEdit->setDisabled(true);
    reset_extend_area_btns();
    disable_device_info_edits();
    disable_mqtt_conf_widgets();
}

void MainWindow::printSerialError(QSerialPort::SerialPortError serialPortErrno)
{
    // Once the device is known to be gone, the port keeps reporting the same
    // failure until the queued recovery closes it; one line is enough.
    if (portGone)
        return;

    // A hung-up tty (a pulled USB adapter) reads end-of-file, which Qt reports
    // as a read error over and over instead of a resource error. Treat it as
    // what it is.
    if (serialPortErrno == QSerialPort::ReadError && atlume::lineHungUp(*serialPort))
        serialPortErrno = QSerialPort::ResourceError;

    if (const char *text = serialErrorText(serialPortErrno))
        console->appendParagraph(QString::fromLatin1(text));

    if (serialPortErrno == QSerialPort::ResourceError) {
        portGone = true;
        // The error arrives from inside the port's own notifier; close the
        // port once that has returned.
        QTimer::singleShot(0, this, &MainWindow::recoverFromLostDevice);
    }
}

void MainWindow::recoverFromLostDevice()
{
    on_scanPortBtn_clicked();
    // A port that is still listed stays selected: close it so that
    // connectBtn can open it again.
    if (serialPort->isOpen())
        serialPort->close();
    portGone = false;
    ui->connectBtn->setText(QStringLiteral("Connect"));
    ui->connectBtn->setEnabled(!currentPortName.isEmpty());
    ui->orderPlainTextEdit->setDisabled(true);
    ui->sendBtn->setDisabled(true);
    reset_extend_area_btns();
}
