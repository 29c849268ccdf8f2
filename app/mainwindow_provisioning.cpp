// Device provisioning: the device identity and the three ways of joining Wi-Fi.
#include "mainwindow.h"

#include "atcommands.h"
#include "console.h"
#include "softapconnectwifi.h"
#include "ui_mainwindow.h"
#include "wifi_setting_dialog.h"

void MainWindow::on_set_dev_conf_btn_clicked()
{
    const QString productId = ui->productIDLineEdit->text();
    const QString deviceName = ui->deviceNameLineEdit->text();
    const QString deviceSecret = ui->deviceSecretLineEdit->text();
    if (productId.isEmpty() || deviceName.isEmpty() || deviceSecret.isEmpty()) {
        console->appendParagraph(tr("请先在'设备信息参数'处完善设备信息"));
        return;
    }
    send_order(atlume::at::deviceInfo(productId, deviceName, deviceSecret));
}

void MainWindow::on_connect_wifi_btn_clicked()
{
    // Disabled until the module answers, so a second press cannot start a
    // second operation.
    ui->connect_wifi_btn->setDisabled(true);

    switch (ui->connect_wifi_btn->currentIndex()) {
    case 0: {
        const QString action = ui->connect_wifi_btn->currentText();
        if (action == tr("断开WiFi"))
            send_order(QStringLiteral("AT+CWQAP"));
        else if (action == tr("停止SmartConfig配网"))
            send_order(QStringLiteral("AT+KQSTOPSMART"));
        else if (action == tr("停止softAP配网"))
            send_order(QStringLiteral("AT+KQSTOPSAP"));
        return;
    }
    case 1:
        runDialogForWifi(false);
        return;
    case 2:
        send_order(QStringLiteral("AT+KQSTARTSMART"));
        return;
    default:
        runDialogForWifi(true);
        return;
    }
}

void MainWindow::runDialogForWifi(bool softAp)
{
    QString ssid;
    QString password;
    if (softAp) {
        softAPConnectWifi dialog(&ssid, &password, this);
        // Its form does not make it modal, and show() before exec() would leave it so.
        dialog.setModal(true);
        dialog.show();
        dialog.exec();
    } else {
        wifi_setting_dialog dialog(&ssid, &password, this);
        dialog.show();
        dialog.exec();
    }

    if (ssid.isEmpty() || password.isEmpty()) {
        ui->connect_wifi_btn->setEnabled(true);
        return;
    }
    if (softAp) {
        send_order(atlume::at::startSoftAp(ssid, password));
    } else {
        send_order(QStringLiteral("AT+CWMODE=1"));
        send_order(atlume::at::joinAccessPoint(ssid, password));
    }
}
