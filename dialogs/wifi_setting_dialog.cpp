#include "wifi_setting_dialog.h"

#include "okcancelbuttons.h"
#include "ui_wifi_setting_dialog.h"
#include "wificonffile.h"

#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QPushButton>

wifi_setting_dialog::wifi_setting_dialog(QString *ssid, QString *password, QWidget *parent)
    : QDialog(parent), ui(new Ui::wifi_setting_dialog), ssid(ssid), password(password)
{
    ui->setupUi(this);
    keepOkCancelTexts(ui->buttonBox);
    ui->buttonBox->button(QDialogButtonBox::Ok)->setEnabled(false);
    init_line_edit();
}

wifi_setting_dialog::~wifi_setting_dialog()
{
    delete ui;
}

void wifi_setting_dialog::init_line_edit()
{
    const atlume::WifiCredentials stored = atlume::readWifiConfig(atlume::wifiConfigPath());
    // Setting the texts runs the length rule, so stored values that are long
    // enough enable OK at once.
    ui->ssidLineEdit->setText(stored.ssid);
    ui->passwdLineEdit->setText(stored.password);
}

void wifi_setting_dialog::save_wifi_config()
{
    // A file that cannot be written is skipped quietly: the caller already has
    // the values and connects anyway.
    atlume::saveWifiConfig(atlume::wifiConfigPath(),
                           {ui->ssidLineEdit->text(), ui->passwdLineEdit->text()});
}

void wifi_setting_dialog::on_ssidLineEdit_textChanged(const QString &)
{
    update_ok_button();
}

void wifi_setting_dialog::on_passwdLineEdit_textChanged(const QString &)
{
    update_ok_button();
}

void wifi_setting_dialog::on_buttonBox_clicked(QAbstractButton *button)
{
    if (button == ui->buttonBox->button(QDialogButtonBox::Ok)) {
        *ssid = ui->ssidLineEdit->text();
        *password = ui->passwdLineEdit->text();
        save_wifi_config();
    }
    close();
}

void wifi_setting_dialog::update_ok_button()
{
    const atlume::WifiCredentials typed{ui->ssidLineEdit->text(), ui->passwdLineEdit->text()};
    ui->buttonBox->button(QDialogButtonBox::Ok)->setEnabled(typed.isLongEnough());
}
