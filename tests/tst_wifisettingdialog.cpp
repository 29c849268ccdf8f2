#include "dialogsupport.h"
#include "testsupport.h"
#include "wifi_setting_dialog.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>

namespace {

const QString kConfig = QStringLiteral("conf/config.json");

} // namespace

class TestWifiSettingDialog : public QObject {
    Q_OBJECT

private slots:
    void formHasItsDesignedSettings();
    void fillsFromTheFile_data();
    void fillsFromTheFile();
    void okFollowsTheLengths_data();
    void okFollowsTheLengths();
    void okHandsTheValuesBackAndSaves();
    void okKeepsOtherMembersOwnerOnly();
    void okLeavesAnArrayUntouched();
    void okWithoutConfDirectoryStillHandsBack();
    void closingOtherwiseHandsNothingBack_data();
    void closingOtherwiseHandsNothingBack();
};

void TestWifiSettingDialog::formHasItsDesignedSettings()
{
    TempWorkDir work;
    QString ssid, password;
    wifi_setting_dialog dialog(&ssid, &password, nullptr);
    const WifiFields f = fieldsOf(&dialog);
    QVERIFY(f.ssid && f.password && f.ok && f.cancel);

    QCOMPARE(dialog.objectName(), QStringLiteral("wifi_setting_dialog"));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("设置WiFi"));
    QCOMPARE(dialog.size(), QSize(325, 275));
    QCOMPARE(dialog.minimumSize(), QSize(325, 275));
    QCOMPARE(dialog.maximumSize(), QSize(325, 275));
    QVERIFY(!dialog.isSizeGripEnabled());
    QVERIFY(dialog.isModal());
    QCOMPARE(dialog.font().family(), QStringLiteral("新宋体"));
    QCOMPARE(dialog.font().pointSize(), 12);

    auto *grid = qobject_cast<QGridLayout *>(dialog.layout());
    QVERIFY(grid);
    QCOMPARE(grid->objectName(), QStringLiteral("gridLayout"));
    QCOMPARE(grid->itemAtPosition(0, 0)->widget()->objectName(), QStringLiteral("ssidLabel"));
    QCOMPARE(grid->itemAtPosition(0, 1)->widget(), f.ssid);
    QCOMPARE(grid->itemAtPosition(1, 0)->widget()->objectName(), QStringLiteral("passwdLabel"));
    QCOMPARE(grid->itemAtPosition(1, 1)->widget(), f.password);
    QCOMPARE(grid->itemAtPosition(2, 1)->widget()->objectName(), QStringLiteral("buttonBox"));
    QCOMPARE(dialog.findChild<QLabel *>(QStringLiteral("ssidLabel"))->text(),
             QStringLiteral("SSID:"));
    QCOMPARE(dialog.findChild<QLabel *>(QStringLiteral("passwdLabel"))->text(),
             QStringLiteral("PASSWORD:"));

    // The password field comes first, so it also comes first in tab order.
    const QObjectList children = dialog.children();
    QVERIFY(children.indexOf(f.password) < children.indexOf(f.ssid));
    QCOMPARE(f.password->echoMode(), QLineEdit::Password);
    QCOMPARE(f.ssid->echoMode(), QLineEdit::Normal);
    QCOMPARE(f.password->placeholderText(), QStringLiteral("WiFi Password"));
    QCOMPARE(f.ssid->placeholderText(), QStringLiteral("SSID"));
    for (QLineEdit *edit : {f.ssid, f.password}) {
        QVERIFY(edit->isClearButtonEnabled());
        QVERIFY(!edit->validator());
        QVERIFY(edit->inputMask().isEmpty());
        QCOMPARE(edit->maxLength(), 32767);
    }
    QCOMPARE(dialog.findChild<QDialogButtonBox *>()->standardButtons(),
             QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
}

void TestWifiSettingDialog::fillsFromTheFile_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("ssid");
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("okEnabled");

    QTest::newRow("missing") << QByteArray() << ""
                             << "" << false;
    QTest::newRow("not JSON") << QByteArray("ssid=home") << ""
                              << "" << false;
    QTest::newRow("array") << QByteArray("[\"home\", \"password\"]") << ""
                           << "" << false;
    QTest::newRow("both long enough")
        << QByteArray("{\"wifi.password\": \"password\", \"wifi.ssid\": \"abc\"}") << "abc"
        << "password" << true;
    QTest::newRow("ssid a number")
        << QByteArray("{\"wifi.ssid\": 12345, \"wifi.password\": \"password\"}") << ""
        << "password" << false;
    QTest::newRow("password an object")
        << QByteArray("{\"wifi.ssid\": \"home\", \"wifi.password\": {}}") << "home"
        << "" << false;
    QTest::newRow("ssid too short")
        << QByteArray("{\"wifi.ssid\": \"ab\", \"wifi.password\": \"password\"}") << "ab"
        << "password" << false;
    QTest::newRow("password too short")
        << QByteArray("{\"wifi.ssid\": \"abc\", \"wifi.password\": \"passwor\"}") << "abc"
        << "passwor" << false;
}

void TestWifiSettingDialog::fillsFromTheFile()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, ssid);
    QFETCH(QString, password);
    QFETCH(bool, okEnabled);
    TempWorkDir work;
    if (!content.isNull())
        QVERIFY(writeWholeFile(kConfig, content));
    QString callerSsid, callerPassword;

    wifi_setting_dialog dialog(&callerSsid, &callerPassword, nullptr);

    const WifiFields f = fieldsOf(&dialog);
    QCOMPARE(f.ssid->text(), ssid);
    QCOMPARE(f.password->text(), password);
    QCOMPARE(f.ok->isEnabled(), okEnabled);
    QVERIFY(callerSsid.isEmpty() && callerPassword.isEmpty());
}

void TestWifiSettingDialog::okFollowsTheLengths_data()
{
    QTest::addColumn<QString>("ssid");
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("okEnabled");

    QTest::newRow("both empty") << ""
                                << "" << false;
    QTest::newRow("3 and 8") << "abc"
                             << "12345678" << true;
    QTest::newRow("2 and 8") << "ab"
                             << "12345678" << false;
    QTest::newRow("3 and 7") << "abc"
                             << "1234567" << false;
    QTest::newRow("long") << "my home network"
                          << "a much longer password" << true;
    QTest::newRow("blanks count") << "   "
                                  << "        " << true;
    QTest::newRow("2 blanks") << "  "
                              << "        " << false;
    QTest::newRow("7 blanks") << "   "
                              << "       " << false;
    QTest::newRow("any character") << "a\","
                                   << "\\\"',;-_ " << true;
}

void TestWifiSettingDialog::okFollowsTheLengths()
{
    QFETCH(QString, ssid);
    QFETCH(QString, password);
    QFETCH(bool, okEnabled);
    TempWorkDir work;
    QString callerSsid, callerPassword;
    wifi_setting_dialog dialog(&callerSsid, &callerPassword, nullptr);
    const WifiFields f = fieldsOf(&dialog);
    QVERIFY(!f.ok->isEnabled());

    // Typed in either order, the rule is checked after every keystroke.
    QTest::keyClicks(f.password, password);
    QTest::keyClicks(f.ssid, ssid);
    QCOMPARE(f.ssid->text(), ssid);
    QCOMPARE(f.password->text(), password);
    QCOMPARE(f.ok->isEnabled(), okEnabled);

    if (okEnabled) {
        QTest::keyClick(f.password, Qt::Key_Backspace);
        QCOMPARE(f.ok->isEnabled(), password.size() > 8);
        f.password->setText(password);
        QVERIFY(f.ok->isEnabled());
        QTest::keyClick(f.ssid, Qt::Key_Backspace);
        QCOMPARE(f.ok->isEnabled(), ssid.size() > 3);
    }
}

void TestWifiSettingDialog::okHandsTheValuesBackAndSaves()
{
    TempWorkDir work;
    QString ssid, password;
    wifi_setting_dialog dialog(&ssid, &password, nullptr);
    QSignalSpy accepted(&dialog, &QDialog::accepted);
    DialogHand hand([](QDialog *modal) {
        QTest::keyClicks(fieldsOf(modal).ssid, QStringLiteral(" net "));
        typeAndConfirm(modal, QString(), QStringLiteral("        "));
    });

    QVERIFY(dialog.exec() != DialogHand::kOverstayed);

    QVERIFY(!dialog.isVisible());
    QCOMPARE(ssid, QStringLiteral(" net "));
    QCOMPARE(password, QStringLiteral("        "));
    // Only the clicked() handler reacts; accepted() is not wired to the dialog.
    QCOMPARE(accepted.count(), 0);
    QCOMPARE(
        readWholeFile(kConfig),
        QByteArray("{\n    \"wifi.password\": \"        \",\n    \"wifi.ssid\": \" net \"\n}\n"));
    QVERIFY(isOwnerOnly(kConfig));

    // The next dialog offers the saved values again.
    QString again, againPassword;
    wifi_setting_dialog next(&again, &againPassword, nullptr);
    QCOMPARE(fieldsOf(&next).ssid->text(), QStringLiteral(" net "));
    QVERIFY(fieldsOf(&next).ok->isEnabled());
}

void TestWifiSettingDialog::okKeepsOtherMembersOwnerOnly()
{
    TempWorkDir work;
    QVERIFY(writeWholeFile(kConfig, "{\"wifi.ssid\": \"old\", \"mqtt\": {\"host\": \"h\"},"
                                    " \"wifi.password\": \"oldpassword\"}"));
    QVERIFY(QFile::setPermissions(kConfig, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                               QFileDevice::ReadGroup | QFileDevice::ReadOther));
    QString ssid, password;
    wifi_setting_dialog dialog(&ssid, &password, nullptr);
    DialogHand hand([](QDialog *modal) {
        const WifiFields f = fieldsOf(modal);
        f.ssid->clear();
        f.password->clear();
        typeAndConfirm(modal, QStringLiteral("new"), QStringLiteral("newpassword"));
    });

    QVERIFY(dialog.exec() != DialogHand::kOverstayed);

    QCOMPARE(ssid, QStringLiteral("new"));
    const QJsonDocument saved = QJsonDocument::fromJson(readWholeFile(kConfig));
    QJsonObject expected{{"mqtt", QJsonObject{{"host", "h"}}},
                         {"wifi.password", "newpassword"},
                         {"wifi.ssid", "new"}};
    QCOMPARE(saved.object(), expected);
    QCOMPARE(readWholeFile(kConfig), QJsonDocument(expected).toJson());
    QVERIFY(isOwnerOnly(kConfig));
}

void TestWifiSettingDialog::okLeavesAnArrayUntouched()
{
    TempWorkDir work;
    const QByteArray array("[\"not\", \"ours\"]\n");
    QVERIFY(writeWholeFile(kConfig, array));
    QString ssid, password;
    wifi_setting_dialog dialog(&ssid, &password, nullptr);
    DialogHand hand([](QDialog *modal) {
        typeAndConfirm(modal, QStringLiteral("net"), QStringLiteral("password"));
    });

    QVERIFY(dialog.exec() != DialogHand::kOverstayed);

    QCOMPARE(ssid, QStringLiteral("net"));
    QCOMPARE(password, QStringLiteral("password"));
    QCOMPARE(readWholeFile(kConfig), array);
}

void TestWifiSettingDialog::okWithoutConfDirectoryStillHandsBack()
{
    TempWorkDir work(false);
    QString ssid, password;
    wifi_setting_dialog dialog(&ssid, &password, nullptr);
    DialogHand hand([](QDialog *modal) {
        typeAndConfirm(modal, QStringLiteral("net"), QStringLiteral("password"));
    });

    QVERIFY(dialog.exec() != DialogHand::kOverstayed);

    QCOMPARE(ssid, QStringLiteral("net"));
    QCOMPARE(password, QStringLiteral("password"));
    QVERIFY(!QFile::exists(kConfig));
}

void TestWifiSettingDialog::closingOtherwiseHandsNothingBack_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("Cancel") << "cancel";
    QTest::newRow("window close") << "close";
    QTest::newRow("Escape") << "escape";
}

void TestWifiSettingDialog::closingOtherwiseHandsNothingBack()
{
    QFETCH(QString, how);
    TempWorkDir work;
    const QByteArray stored("{\"wifi.password\": \"password\", \"wifi.ssid\": \"home\"}");
    QVERIFY(writeWholeFile(kConfig, stored));
    QString ssid, password;
    wifi_setting_dialog dialog(&ssid, &password, nullptr);
    DialogHand hand([how](QDialog *modal) {
        const WifiFields f = fieldsOf(modal);
        QTest::keyClicks(f.ssid, QStringLiteral("edited"));
        QVERIFY(f.ok->isEnabled());
        if (how == QLatin1String("cancel"))
            QTest::mouseClick(f.cancel, Qt::LeftButton);
        else if (how == QLatin1String("close"))
            modal->close();
        else
            QTest::keyClick(f.ssid, Qt::Key_Escape);
    });

    QCOMPARE(dialog.exec(), int(QDialog::Rejected));

    QVERIFY(!dialog.isVisible());
    QVERIFY(ssid.isEmpty());
    QVERIFY(password.isEmpty());
    QCOMPARE(readWholeFile(kConfig), stored);
}

QTEST_MAIN(TestWifiSettingDialog)
#include "tst_wifisettingdialog.moc"
