#include "aboutdialog.h"

#include "ui_aboutdialog.h"

AboutDialog::AboutDialog(QWidget *parent) : QDialog(parent), ui(new Ui::AboutDialog)
{
    ui->setupUi(this);
}

AboutDialog::~AboutDialog()
{
    delete ui;
}

// close() rather than accept(): the dialog only informs, so OK and the title
// bar's close button end it the same way.
void AboutDialog::on_pushButton_clicked()
{
    close();
}
