#pragma once

#include <QDialog>

namespace Ui {
class AboutDialog;
}

// Names the product, its version and purpose; closed with OK or the title bar.
class AboutDialog : public QDialog {
    Q_OBJECT

public:
    explicit AboutDialog(QWidget *parent = nullptr);
    ~AboutDialog() override;

private slots:
    void on_pushButton_clicked();

private:
    Ui::AboutDialog *ui;
};
