#include "dialogsupport.h"
#include "testsupport.h"
#include "wifi_setting_dialog.h"

#include <QSignalSpy>

namespace {
const QString kConfig = QStringLiteral("conf/config.json");
} // namespace

class TestWifiSettingDialog : public QObject {
    Q_OBJECT

private slots:
    void okHandsTheValuesBackAndSaves();
    void okLeavesAnArrayUntouched();
};

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
