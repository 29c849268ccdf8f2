// Device provisioning: the device identity and the three ways of joining Wi-Fi.
#include "mainwindow.h"

#include "atcommands.h"
#include "cloudcontrols.h"
#include "console.h"
#include "ui_mainwindow.h"
#include "wificredentials.h"

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
    using Action = CloudControls::WifiAction;
    using atlume::WifiCredentialsFor;
    // Disabled until the module answers, so a second press cannot start a
    // second operation.
    ui->connect_wifi_btn->setDisabled(true);

    const Action action = cloudControls->wifiAction();
    switch (action) {
    case Action::Disconnect:
        send_order(atlume::at::leaveAccessPoint());
        return;
    case Action::StopSmartConfig:
        send_order(atlume::at::stopSmartConfig());
        return;
    case Action::StopSoftAp:
        send_order(atlume::at::stopSoftAp());
        return;
    case Action::SmartConfig:
        send_order(atlume::at::startSmartConfig());
        return;
    case Action::JoinDirectly:
    case Action::SoftAp:
        break;
    }

    const bool softAp = action == Action::SoftAp;
    const auto credentials = atlume::askWifiCredentials(
        softAp ? WifiCredentialsFor::SoftAp : WifiCredentialsFor::DirectJoin, this);
    if (!credentials) {
        ui->connect_wifi_btn->setEnabled(true);
        return;
    }
    if (softAp) {
        send_order(atlume::at::startSoftAp(credentials->ssid, credentials->password));
    } else {
        send_order(atlume::at::stationMode());
        send_order(atlume::at::joinAccessPoint(credentials->ssid, credentials->password));
    }
}
