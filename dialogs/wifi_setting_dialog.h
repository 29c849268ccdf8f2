#pragma once

#include <QDialog>
#include <QString>

class QAbstractButton;

namespace Ui {
class wifi_setting_dialog;
}

// Asks for the network that the module joins directly. The answer goes to
// the caller's two strings, and only on OK: an empty pair means cancelled.
class wifi_setting_dialog : public QDialog {
    Q_OBJECT

public:
    wifi_setting_dialog(QString *ssid, QString *password, QWidget *parent);
    ~wifi_setting_dialog() override;

private slots:
    void init_line_edit();
    void save_wifi_config();
    void on_ssidLineEdit_textChanged(const QString &arg1);
    void on_passwdLineEdit_textChanged(const QString &arg1);
    void on_buttonBox_clicked(QAbstractButton *button);

private:
    void update_ok_button();

    Ui::wifi_setting_dialog *ui;
    QString *ssid;
    QString *password;
};
