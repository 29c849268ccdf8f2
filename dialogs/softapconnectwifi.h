#pragma once

#include <QDialog>
#include <QString>

class QAbstractButton;

namespace Ui {
class softAPConnectWifi;
}

// Guides the user through softAP provisioning and asks for the SSID and
// password of the access point that the module opens. The answer goes to the
// caller's two strings, and only on OK.
class softAPConnectWifi : public QDialog {
    Q_OBJECT

public:
    softAPConnectWifi(QString *ssid, QString *password, QWidget *parent);
    ~softAPConnectWifi() override;

private slots:
    void save_softap_conf();
    void on_buttonBox_clicked(QAbstractButton *button);
    void on_passwd_line_edit_textChanged();
    void on_ssid_line_edit_textChanged();

private:
    void update_ok_button();

    Ui::softAPConnectWifi *ui;
    QString *ssid;
    QString *password;
};
