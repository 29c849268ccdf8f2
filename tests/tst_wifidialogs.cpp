// What the two Wi-Fi dialogs have in common, a row for each dialog: they open
// with what their file holds, let OK be pressed only while both values are
// long enough (WifiCredentials::isLongEnough), and hand values back on OK alone.

#include "dialogsupport.h"
#include "formsupport.h"
#include "softapconnectwifi.h"
#include "testsupport.h"
#include "wifi_setting_dialog.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <memory>

namespace {
enum class WifiDialog { Setting, SoftAp };
using Cells = QVector<QPair<QString, GridCell>>; // object name, cell
using Texts = QVector<QPair<QString, QString>>;  // object name, text
} // namespace

Q_DECLARE_METATYPE(WifiDialog)

namespace {

std::unique_ptr<QDialog> makeDialog(WifiDialog which, QString *ssid, QString *password)
{
    if (which == WifiDialog::SoftAp)
        return std::make_unique<softAPConnectWifi>(ssid, password, nullptr);
    return std::make_unique<wifi_setting_dialog>(ssid, password, nullptr);
}

QString configOf(WifiDialog which)
{
    return which == WifiDialog::SoftAp ? QStringLiteral("conf/softAPConf.json")
                                       : QStringLiteral("conf/config.json");
}

// The softAP dialog ends through its button box and so reports OK as
// Accepted; the other merely closes, and its caller reads the two strings.
bool reportsOkAsAccepted(WifiDialog which)
{
    return which == WifiDialog::SoftAp;
}

QTestData &row(WifiDialog which, const char *name)
{
    return QTest::addRow("%s, %s", which == WifiDialog::SoftAp ? "softAP" : "Wi-Fi", name) << which;
}

} // namespace

class TestWifiDialogs : public QObject {
    Q_OBJECT

private slots:
    void formHasItsDesignedSettings_data();
    void formHasItsDesignedSettings();
    void fillsFromItsFile_data();
    void fillsFromItsFile();
    void okFollowsTheLengths_data();
    void okFollowsTheLengths();
    void okSavesTheFileOwnerOnly_data();
    void okSavesTheFileOwnerOnly();
    void okWithoutConfDirectoryStillHandsBack_data();
    void okWithoutConfDirectoryStillHandsBack();
    void closingOtherwiseHandsNothingBack_data();
    void closingOtherwiseHandsNothingBack();
};

void TestWifiDialogs::formHasItsDesignedSettings_data()
{
    QTest::addColumn<WifiDialog>("dialog");
    QTest::addColumn<QString>("objectName");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QSize>("minimumSize");
    QTest::addColumn<QSize>("maximumSize");
    QTest::addColumn<bool>("modal");
    QTest::addColumn<QFont>("font");
    QTest::addColumn<QVector<int>>("margins"); // left, top, right, bottom
    QTest::addColumn<Cells>("cells");
    QTest::addColumn<Texts>("labels");
    QTest::addColumn<int>("passwordEcho");
    QTest::addColumn<QStringList>("placeholders"); // SSID, password
    QTest::addColumn<bool>("validated");
    QTest::addColumn<bool>("passwordFirst"); // in tab order

    QDialog probe;
    const QMargins style = (new QGridLayout(&probe))->contentsMargins();
    const QVector<int> styleDefault{style.left(), style.top(), style.right(), style.bottom()};
    QFont nsimsun = QApplication::font();
    nsimsun.setFamily(QStringLiteral("新宋体"));
    nsimsun.setPointSize(12);
    const QSize fixed(325, 275);
    row(WifiDialog::Setting, "form")
        << "wifi_setting_dialog"
        << "设置WiFi" << fixed << fixed << fixed << true << nsimsun << styleDefault
        << Cells{{"ssidLabel", {0, 0, 1, 1}},
                 {"ssidLineEdit", {0, 1, 1, 1}},
                 {"passwdLabel", {1, 0, 1, 1}},
                 {"passwdLineEdit", {1, 1, 1, 1}},
                 {"buttonBox", {2, 1, 1, 1}}}
        << Texts{{"ssidLabel", "SSID:"}, {"passwdLabel", "PASSWORD:"}} << int(QLineEdit::Password)
        << QStringList{"SSID", "WiFi Password"} << false << true;
    row(WifiDialog::SoftAp, "form")
        << "softAPConnectWifi"
        << "softAP配网引导" << QSize(400, 300) << QSize(0, 0)
        << QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX) << false << QApplication::font()
        << QVector<int>{9, 9, style.right(), style.bottom()}
        << Cells{{"textBrowser", {0, 0, 1, 3}},  {"qr_code_label", {1, 0, 3, 1}},
                 {"ssid_label", {1, 1, 1, 1}},   {"ssid_line_edit", {1, 2, 1, 1}},
                 {"passwd_label", {2, 1, 1, 1}}, {"passwd_line_edit", {2, 2, 1, 1}},
                 {"buttonBox", {3, 1, 1, 2}}}
        << Texts{{"ssid_label", "SSID: "}, {"passwd_label", "Password:"}} << int(QLineEdit::Normal)
        << QStringList{"", ""} << true << false;
}

void TestWifiDialogs::formHasItsDesignedSettings()
{
    QFETCH(WifiDialog, dialog);
    QFETCH(QString, objectName);
    QFETCH(QString, title);
    QFETCH(QSize, size);
    QFETCH(QSize, minimumSize);
    QFETCH(QSize, maximumSize);
    QFETCH(bool, modal);
    QFETCH(QFont, font);
    QFETCH(QVector<int>, margins);
    QFETCH(Cells, cells);
    QFETCH(Texts, labels);
    QFETCH(int, passwordEcho);
    QFETCH(QStringList, placeholders);
    QFETCH(bool, validated);
    QFETCH(bool, passwordFirst);
    TempWorkDir work;
    QString ssid, password;
    const auto opened = makeDialog(dialog, &ssid, &password);
    const WifiFields f = fieldsOf(opened.get());
    QVERIFY(f.ssid && f.password && f.ok && f.cancel);

    QCOMPARE(opened->objectName(), objectName);
    QCOMPARE(opened->windowTitle(), title);
    QCOMPARE(opened->size(), size);
    QCOMPARE(opened->minimumSize(), minimumSize);
    QCOMPARE(opened->maximumSize(), maximumSize);
    QVERIFY(!opened->isSizeGripEnabled());
    QCOMPARE(opened->isModal(), modal);
    QCOMPARE(opened->font().toString(), font.toString());

    auto *grid = qobject_cast<QGridLayout *>(opened->layout());
    QVERIFY(grid);
    QCOMPARE(grid->objectName(), QStringLiteral("gridLayout"));
    const QMargins held = grid->contentsMargins();
    QCOMPARE((QVector<int>{held.left(), held.top(), held.right(), held.bottom()}), margins);
    QCOMPARE(grid->count(), cells.size());
    for (const auto &[name, cell] : cells) {
        auto *widget = opened->findChild<QWidget *>(name);
        QVERIFY2(widget, qPrintable(name));
        QCOMPARE(cellOf(grid, widget), cell);
    }
    for (const auto &[name, text] : labels)
        QCOMPARE(opened->findChild<QLabel *>(name)->text(), text);

    const QObjectList children = opened->children();
    QCOMPARE(children.indexOf(f.password) < children.indexOf(f.ssid), passwordFirst);
    QCOMPARE(int(f.password->echoMode()), passwordEcho);
    QCOMPARE(f.ssid->echoMode(), QLineEdit::Normal);
    QCOMPARE((QStringList{f.ssid->placeholderText(), f.password->placeholderText()}), placeholders);
    for (QLineEdit *edit : {f.ssid, f.password}) {
        QCOMPARE(edit->font().family(), QStringLiteral("新宋体"));
        QCOMPARE(edit->font().pointSize(), 12);
        QVERIFY(edit->isClearButtonEnabled());
        QCOMPARE(edit->validator() != nullptr, validated);
        QVERIFY(edit->inputMask().isEmpty());
        QCOMPARE(edit->maxLength(), 32767);
    }
    for (const auto &[name, text] : labels) {
        QCOMPARE(opened->findChild<QLabel *>(name)->font().family(), QStringLiteral("新宋体"));
        QCOMPARE(opened->findChild<QLabel *>(name)->font().pointSize(), 12);
    }
    auto *box = opened->findChild<QDialogButtonBox *>(QStringLiteral("buttonBox"));
    QCOMPARE(box->orientation(), Qt::Horizontal);
    QCOMPARE(box->standardButtons(), QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QVERIFY(!f.ok->isEnabled());
}

void TestWifiDialogs::fillsFromItsFile_data()
{
    QTest::addColumn<WifiDialog>("dialog");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("ssid");
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("okEnabled");

    const WifiDialog wifi = WifiDialog::Setting;
    row(wifi, "missing") << QByteArray() << ""
                         << "" << false;
    row(wifi, "not JSON") << QByteArray("ssid=home") << ""
                          << "" << false;
    row(wifi, "array") << QByteArray("[\"home\", \"password\"]") << ""
                       << "" << false;
    row(wifi, "both long enough")
        << QByteArray("{\"wifi.password\": \"password\", \"wifi.ssid\": \"abc\"}") << "abc"
        << "password" << true;
    row(wifi, "ssid a number") << QByteArray(
                                      "{\"wifi.ssid\": 12345, \"wifi.password\": \"password\"}")
                               << ""
                               << "password" << false;
    row(wifi, "password an object")
        << QByteArray("{\"wifi.ssid\": \"home\", \"wifi.password\": {}}") << "home"
        << "" << false;
    row(wifi, "ssid too short") << QByteArray(
                                       "{\"wifi.ssid\": \"ab\", \"wifi.password\": \"password\"}")
                                << "ab"
                                << "password" << false;
    row(wifi, "password too short")
        << QByteArray("{\"wifi.ssid\": \"abc\", \"wifi.password\": \"passwor\"}") << "abc"
        << "passwor" << false;

    // The softAP file is read only as a pair: a member that is not usable empties both.
    const WifiDialog softAp = WifiDialog::SoftAp;
    row(softAp, "missing") << QByteArray() << ""
                           << "" << false;
    row(softAp, "not JSON") << QByteArray("{\"SSID\": ") << ""
                            << "" << false;
    row(softAp, "array") << QByteArray("[\"ap1\", \"12345678\"]") << ""
                         << "" << false;
    row(softAp, "3 and 8") << QByteArray("{\"Password\": \"12345678\", \"SSID\": \"ap1\"}") << "ap1"
                           << "12345678" << true;
    row(softAp, "password empty") << QByteArray("{\"Password\": \"\", \"SSID\": \"ap1\"}") << ""
                                  << "" << false;
    row(softAp, "ssid not a string")
        << QByteArray("{\"Password\": \"12345678\", \"SSID\": [\"ap1\"]}") << ""
        << "" << false;
    row(softAp, "ssid too short") << QByteArray("{\"Password\": \"12345678\", \"SSID\": \"ap\"}")
                                  << "ap"
                                  << "12345678" << false;
}

void TestWifiDialogs::fillsFromItsFile()
{
    QFETCH(WifiDialog, dialog);
    QFETCH(QByteArray, content);
    QFETCH(QString, ssid);
    QFETCH(QString, password);
    QFETCH(bool, okEnabled);
    TempWorkDir work;
    if (!content.isNull())
        QVERIFY(writeWholeFile(configOf(dialog), content));
    QString callerSsid, callerPassword;

    const auto opened = makeDialog(dialog, &callerSsid, &callerPassword);

    const WifiFields f = fieldsOf(opened.get());
    QCOMPARE(f.ssid->text(), ssid);
    QCOMPARE(f.password->text(), password);
    QCOMPARE(f.ok->isEnabled(), okEnabled);
    QVERIFY(callerSsid.isEmpty() && callerPassword.isEmpty());
}

void TestWifiDialogs::okFollowsTheLengths_data()
{
    QTest::addColumn<WifiDialog>("dialog");
    QTest::addColumn<QString>("ssid");
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("okEnabled");

    for (WifiDialog dialog : {WifiDialog::Setting, WifiDialog::SoftAp}) {
        row(dialog, "both empty") << ""
                                  << "" << false;
        row(dialog, "3 and 8") << "ap1"
                               << "12345678" << true;
        row(dialog, "2 and 8") << "ap"
                               << "12345678" << false;
        row(dialog, "3 and 7") << "ap1"
                               << "1234567" << false;
    }

    const WifiDialog wifi = WifiDialog::Setting;
    row(wifi, "long") << "my home network"
                      << "a much longer password" << true;
    row(wifi, "blanks count") << "   "
                              << "        " << true;
    row(wifi, "2 blanks") << "  "
                          << "        " << false;
    row(wifi, "7 blanks") << "   "
                          << "       " << false;
    row(wifi, "any character") << "a\","
                               << "\\\"',;-_ " << true;

    // Only what the softAP fields' patterns let through.
    const WifiDialog softAp = WifiDialog::SoftAp;
    row(softAp, "2 and 20") << "a-"
                            << "12345678901234567890" << false;
    row(softAp, "long") << "my_access-point"
                        << "(p@ssw0rd)!" << true;
}

void TestWifiDialogs::okFollowsTheLengths()
{
    QFETCH(WifiDialog, dialog);
    QFETCH(QString, ssid);
    QFETCH(QString, password);
    QFETCH(bool, okEnabled);
    TempWorkDir work;
    QString callerSsid, callerPassword;
    const auto opened = makeDialog(dialog, &callerSsid, &callerPassword);
    const WifiFields f = fieldsOf(opened.get());
    QVERIFY(!f.ok->isEnabled());

    // Password first: the rule is checked after every keystroke, in either field.
    QTest::keyClicks(f.password, password);
    QTest::keyClicks(f.ssid, ssid);
    QCOMPARE(f.ssid->text(), ssid);
    QCOMPARE(f.password->text(), password);
    QCOMPARE(f.ok->isEnabled(), okEnabled);

    if (okEnabled) {
        QTest::keyClick(f.password, Qt::Key_Backspace);
        QCOMPARE(f.ok->isEnabled(), password.size() > 8);
        QTest::keyClicks(f.password, password.right(1));
        QVERIFY(f.ok->isEnabled());
        QTest::keyClick(f.ssid, Qt::Key_Backspace);
        QCOMPARE(f.ok->isEnabled(), ssid.size() > 3);
    }
}

void TestWifiDialogs::okSavesTheFileOwnerOnly_data()
{
    QTest::addColumn<WifiDialog>("dialog");
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<QString>("ssid");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QByteArray>("saved");

    // The Wi-Fi file keeps every other member; the softAP file holds exactly the two.
    const QJsonObject wifiSaved{{"mqtt", QJsonObject{{"host", "h"}}},
                                {"wifi.password", "newpassword"},
                                {"wifi.ssid", "new"}};
    row(WifiDialog::Setting, "other members kept")
        << QByteArray("{\"wifi.ssid\": \"old\", \"mqtt\": {\"host\": \"h\"},"
                      " \"wifi.password\": \"oldpassword\"}")
        << "new"
        << "newpassword" << QJsonDocument(wifiSaved).toJson();
    row(WifiDialog::SoftAp, "exactly two members")
        << QByteArray("{\"Password\": \"oldpassword\", \"SSID\": \"old\", \"More\": 1}")
        << "Dev_AP-2"
        << "p@ss<w0rd>"
        << QByteArray("{\n    \"Password\": \"p@ss<w0rd>\",\n    \"SSID\": \"Dev_AP-2\"\n}\n");
}

void TestWifiDialogs::okSavesTheFileOwnerOnly()
{
    QFETCH(WifiDialog, dialog);
    QFETCH(QByteArray, stored);
    QFETCH(QString, ssid);
    QFETCH(QString, password);
    QFETCH(QByteArray, saved);
    TempWorkDir work;
    const QString config = configOf(dialog);
    QVERIFY(writeWholeFile(config, stored));
    QVERIFY(QFile::setPermissions(config, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                              QFileDevice::ReadGroup | QFileDevice::ReadOther));
    QString callerSsid, callerPassword;
    const auto opened = makeDialog(dialog, &callerSsid, &callerPassword);
    DialogHand hand([ssid, password](QDialog *modal) {
        const WifiFields f = fieldsOf(modal);
        QCOMPARE(f.ssid->text(), QStringLiteral("old"));
        f.ssid->clear();
        f.password->clear();
        typeAndConfirm(modal, ssid, password);
    });

    const int result = opened->exec();

    QVERIFY(result != DialogHand::kOverstayed);
    if (reportsOkAsAccepted(dialog))
        QCOMPARE(result, int(QDialog::Accepted));
    QCOMPARE(callerSsid, ssid);
    QCOMPARE(callerPassword, password);
    QCOMPARE(readWholeFile(config), saved);
    QVERIFY(isOwnerOnly(config));
}

void TestWifiDialogs::okWithoutConfDirectoryStillHandsBack_data()
{
    QTest::addColumn<WifiDialog>("dialog");
    QTest::addColumn<QString>("ssid");
    QTest::addColumn<QString>("password");
    row(WifiDialog::Setting, "typed") << "net"
                                      << "password";
    row(WifiDialog::SoftAp, "typed") << "ap1"
                                     << "12345678";
}

void TestWifiDialogs::okWithoutConfDirectoryStillHandsBack()
{
    QFETCH(WifiDialog, dialog);
    QFETCH(QString, ssid);
    QFETCH(QString, password);
    TempWorkDir work(false);
    QString callerSsid, callerPassword;
    const auto opened = makeDialog(dialog, &callerSsid, &callerPassword);
    DialogHand hand([ssid, password](QDialog *modal) { typeAndConfirm(modal, ssid, password); });

    const int result = opened->exec();

    QVERIFY(result != DialogHand::kOverstayed);
    if (reportsOkAsAccepted(dialog))
        QCOMPARE(result, int(QDialog::Accepted));
    QCOMPARE(callerSsid, ssid);
    QCOMPARE(callerPassword, password);
    QVERIFY(!QFile::exists(configOf(dialog)));
}

void TestWifiDialogs::closingOtherwiseHandsNothingBack_data()
{
    QTest::addColumn<WifiDialog>("dialog");
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<QString>("how");

    const QByteArray wifiStored("{\"wifi.password\": \"password\", \"wifi.ssid\": \"home\"}");
    const QByteArray softApStored("{\"Password\": \"12345678\", \"SSID\": \"ap1\"}");
    const char *const endings[][2] = {
        {"Cancel", "cancel"}, {"window close", "close"}, {"Escape", "escape"}};
    for (const auto &ending : endings) {
        row(WifiDialog::Setting, ending[0]) << wifiStored << ending[1];
        row(WifiDialog::SoftAp, ending[0]) << softApStored << ending[1];
    }
}

void TestWifiDialogs::closingOtherwiseHandsNothingBack()
{
    QFETCH(WifiDialog, dialog);
    QFETCH(QByteArray, stored);
    QFETCH(QString, how);
    TempWorkDir work;
    QVERIFY(writeWholeFile(configOf(dialog), stored));
    QString ssid, password;
    const auto opened = makeDialog(dialog, &ssid, &password);
    DialogHand hand([how](QDialog *modal) {
        const WifiFields f = fieldsOf(modal);
        QTest::keyClicks(f.ssid, QStringLiteral("x"));
        QVERIFY(f.ok->isEnabled());
        if (how == QLatin1String("cancel"))
            QTest::mouseClick(f.cancel, Qt::LeftButton);
        else if (how == QLatin1String("close"))
            modal->close();
        else
            QTest::keyClick(f.ssid, Qt::Key_Escape);
    });

    QCOMPARE(opened->exec(), int(QDialog::Rejected));

    QVERIFY(!opened->isVisible());
    QVERIFY(ssid.isEmpty());
    QVERIFY(password.isEmpty());
    QCOMPARE(readWholeFile(configOf(dialog)), stored);
}

QTEST_MAIN(TestWifiDialogs)
#include "tst_wifidialogs.moc"
