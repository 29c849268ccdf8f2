#include "softapconnectwifi.h"

#include "okcancelbuttons.h"
#include "ui_softapconnectwifi.h"
#include "wificonffile.h"

#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QPixmap>
#include <QPushButton>
#include <QRegExp>

#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
#include "regexpvalidator.h"
#else
#include <QRegExpValidator>
using RegExpValidator = QRegExpValidator;
#endif

namespace {

const QString kGuidePicture = QStringLiteral("./conf/softAP_wifi_guid.png");

// What the module accepts as its own access point's name.
const QString kSsidPattern = QStringLiteral("[a-zA-Z0-9_\\-]{1,}");
// Kept byte for byte as the module's firmware documents it. QRegExp reads
// "\\-\." as a range between the backslash and the dot (swapped into
// '.'..'\'), so a hyphen is refused and ':' ';' '=' '/' '\' are let through;
// other engines read or reject this class differently.
const QString kPasswordPattern =
    QStringLiteral(R"([a-zA-Z0-9\\-\.\$\*\&\+\?@%\(\)!`\]\[\|<>,#]{8,})");

RegExpValidator *makeValidator(const QString &pattern, QWidget *field)
{
    return new RegExpValidator(QRegExp(pattern, Qt::CaseSensitive, QRegExp::RegExp), field);
}

} // namespace

softAPConnectWifi::softAPConnectWifi(QString *ssid, QString *password, QWidget *parent)
    : QDialog(parent), ui(new Ui::softAPConnectWifi), ssid(ssid), password(password)
{
    ui->setupUi(this);
    keepOkCancelTexts(ui->buttonBox);
    ui->qr_code_label->setPixmap(QPixmap(kGuidePicture));
    ui->buttonBox->button(QDialogButtonBox::Ok)->setEnabled(false);

    ui->ssid_line_edit->setValidator(makeValidator(kSsidPattern, ui->ssid_line_edit));
    ui->passwd_line_edit->setValidator(makeValidator(kPasswordPattern, ui->passwd_line_edit));
    // The patterns are ASCII only; composed input would bypass the keystroke
    // check, so input methods are off.
    ui->ssid_line_edit->setAttribute(Qt::WA_InputMethodEnabled, false);
    ui->passwd_line_edit->setAttribute(Qt::WA_InputMethodEnabled, false);

    const atlume::WifiCredentials stored = atlume::readSoftApConfig(atlume::softApConfigPath());
    if (!stored.ssid.isEmpty() && !stored.password.isEmpty()) {
        ui->ssid_line_edit->setText(stored.ssid);
        ui->passwd_line_edit->setText(stored.password);
    }
}

softAPConnectWifi::~softAPConnectWifi()
{
    delete ui;
}

void softAPConnectWifi::save_softap_conf()
{
    // Quietly skipped when the file cannot be written: the caller already has
    // the values.
    atlume::saveSoftApConfig(atlume::softApConfigPath(),
                             {ui->ssid_line_edit->text(), ui->passwd_line_edit->text()});
}

// Closing is left to the button box's accepted()/rejected(), which come after
// clicked(), so the caller's strings are set before exec() returns.
void softAPConnectWifi::on_buttonBox_clicked(QAbstractButton *button)
{
    if (button != ui->buttonBox->button(QDialogButtonBox::Ok))
        return;
    *ssid = ui->ssid_line_edit->text();
    *password = ui->passwd_line_edit->text();
    save_softap_conf();
}

void softAPConnectWifi::on_passwd_line_edit_textChanged()
{
    update_ok_button();
}

void softAPConnectWifi::on_ssid_line_edit_textChanged()
{
    update_ok_button();
}

void softAPConnectWifi::update_ok_button()
{
    const atlume::WifiCredentials typed{ui->ssid_line_edit->text(), ui->passwd_line_edit->text()};
    ui->buttonBox->button(QDialogButtonBox::Ok)->setEnabled(typed.isLongEnough());
}
