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
    void okHandsTheValuesBackAndSaves();
    void okKeepsOtherMembersOwnerOnly();
    void okLeavesAnArrayUntouched();
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

QTEST_MAIN(TestWifiSettingDialog)
#include "tst_wifisettingdialog.moc"
