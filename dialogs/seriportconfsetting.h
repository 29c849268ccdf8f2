#pragma once

#include <QDialog>

class QCloseEvent;
class QSerialPort;

namespace Ui {
class SeriPortConfSetting;
}

// Shows the line parameters of the main window's port and writes the choice
// straight back into that same port object when it closes.
class SeriPortConfSetting : public QDialog {
    Q_OBJECT

public:
    SeriPortConfSetting(QSerialPort *serialPort, QWidget *parent);
    ~SeriPortConfSetting() override;

private slots:
    void on_OKBtn_clicked();
    void closeEvent(QCloseEvent *event) override;

private:
    void read_port_settings();
    void apply_to_port();

    Ui::SeriPortConfSetting *ui;
    QSerialPort *serialPort;
};
