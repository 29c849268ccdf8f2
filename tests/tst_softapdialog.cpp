#include "dialogsupport.h"
#include "formsupport.h"
#include "softapconnectwifi.h"
#include "testsupport.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QImage>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>

#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
#include "regexpvalidator.h"
#else
#include <QRegExpValidator>
using RegExpValidator = QRegExpValidator;
#endif

namespace {

QString fontFamilyOf(const QTextCharFormat &format)
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    return format.fontFamilies().toStringList().value(0);
#else
    return format.fontFamily();
#endif
}

const QString kConfig = QStringLiteral("conf/softAPConf.json");

// QTest::keyClicks aborts on characters beyond ASCII in this Qt build, so
// those arrive as the key events a keyboard layout would produce.
void typeText(QLineEdit *edit, const QString &text)
{
    for (QChar c : text) {
        if (c.unicode() < 0x80) {
            QTest::keyClicks(edit, QString(c));
            continue;
        }
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(edit, &press);
        QApplication::sendEvent(edit, &release);
    }
}

// Adds rows of single characters typed after a valid prefix.
void characterRows(const QString &characters, bool accepted, const char *what)
{
    for (QChar c : characters)
        QTest::addRow("%s %s U+%04X", accepted ? "accepts" : "refuses", what, c.unicode())
            << QString(c) << accepted;
}

} // namespace

class TestSoftApDialog : public QObject {
    Q_OBJECT

private slots:
    void formHasItsDesignedSettings();
    void showsTheGuideText();
    void showsThePictureUnscaled();
    void missingPictureLeavesTheLabelBlank();
    void validatorsUseQRegExp();
    void ssidTakesOnlyItsCharacters_data();
    void ssidTakesOnlyItsCharacters();
    void passwordTakesOnlyItsCharacters_data();
    void passwordTakesOnlyItsCharacters();
    void shortPasswordMayGrow();
    void inputMethodsAreOff();
    void okHandsBackAndSavesExactlyTwoMembers();
};

void TestSoftApDialog::formHasItsDesignedSettings()
{
    TempWorkDir work;
    QString ssid, password;
    softAPConnectWifi dialog(&ssid, &password, nullptr);
    const WifiFields f = fieldsOf(&dialog);
    QVERIFY(f.ssid && f.password && f.ok && f.cancel);

    QCOMPARE(dialog.objectName(), QStringLiteral("softAPConnectWifi"));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("softAP配网引导"));
    QCOMPARE(dialog.size(), QSize(400, 300));
    QCOMPARE(dialog.maximumSize(), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
    QCOMPARE(dialog.font(), QApplication::font());

    auto *grid = qobject_cast<QGridLayout *>(dialog.layout());
    QVERIFY(grid);
    QCOMPARE(grid->objectName(), QStringLiteral("gridLayout"));
    const QMargins margins = grid->contentsMargins();
    QCOMPARE(margins.left(), 9);
    QCOMPARE(margins.top(), 9);
    QDialog probe;
    const QMargins styleDefault = (new QGridLayout(&probe))->contentsMargins();
    QCOMPARE(margins.right(), styleDefault.right());
    QCOMPARE(margins.bottom(), styleDefault.bottom());

    auto *browser = dialog.findChild<QTextBrowser *>(QStringLiteral("textBrowser"));
    auto *qr = dialog.findChild<QLabel *>(QStringLiteral("qr_code_label"));
    auto *ssidLabel = dialog.findChild<QLabel *>(QStringLiteral("ssid_label"));
    auto *passwdLabel = dialog.findChild<QLabel *>(QStringLiteral("passwd_label"));
    auto *box = dialog.findChild<QDialogButtonBox *>(QStringLiteral("buttonBox"));
    QVERIFY(browser && qr && ssidLabel && passwdLabel && box);
    QCOMPARE(cellOf(grid, browser), (GridCell{0, 0, 1, 3}));
    QCOMPARE(cellOf(grid, qr), (GridCell{1, 0, 3, 1}));
    QCOMPARE(cellOf(grid, ssidLabel), (GridCell{1, 1, 1, 1}));
    QCOMPARE(cellOf(grid, f.ssid), (GridCell{1, 2, 1, 1}));
    QCOMPARE(cellOf(grid, passwdLabel), (GridCell{2, 1, 1, 1}));
    QCOMPARE(cellOf(grid, f.password), (GridCell{2, 2, 1, 1}));
    QCOMPARE(cellOf(grid, box), (GridCell{3, 1, 1, 2}));

    QCOMPARE(browser->frameShape(), QFrame::NoFrame);
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        QCOMPARE(browser->palette().color(group, QPalette::Base), QColor(240, 240, 240));
    QCOMPARE(qr->minimumSize(), QSize(150, 150));
    QVERIFY(qr->text().isEmpty());
    QCOMPARE(ssidLabel->text(), QStringLiteral("SSID: "));
    QCOMPARE(passwdLabel->text(), QStringLiteral("Password:"));
    for (QWidget *widget : {static_cast<QWidget *>(ssidLabel), static_cast<QWidget *>(passwdLabel),
                            static_cast<QWidget *>(f.ssid), static_cast<QWidget *>(f.password)}) {
        QCOMPARE(widget->font().family(), QStringLiteral("新宋体"));
        QCOMPARE(widget->font().pointSize(), 12);
    }
    QCOMPARE(f.password->echoMode(), QLineEdit::Normal);
    QVERIFY(f.ssid->isClearButtonEnabled());
    QVERIFY(f.password->isClearButtonEnabled());
    QCOMPARE(box->orientation(), Qt::Horizontal);
    QCOMPARE(box->standardButtons(), QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QVERIFY(!f.ok->isEnabled());
}

void TestSoftApDialog::showsTheGuideText()
{
    TempWorkDir work;
    QString ssid, password;
    softAPConnectWifi dialog(&ssid, &password, nullptr);
    QTextDocument *document =
        dialog.findChild<QTextBrowser *>(QStringLiteral("textBrowser"))->document();

    QCOMPARE(document->blockCount(), 2);
    QCOMPARE(
        document->toPlainText(),
        QStringLiteral("    softAP的配网方式需要搭配Lumaro小程序使用，请使用Taviq或者Lumaro扫描下"
                       "面的二维码进行操作。\n"
                       "    配置好设备的 SSID 和 Password 之后请点击OK关闭本界面，如果想退出，"
                       "请点击Cancel或者右上角关闭按钮退出本界面。"));

    QStringList emphasised;
    int secondParagraphRuns = 0;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        QCOMPARE(block.blockFormat().topMargin(), 0.0);
        QCOMPARE(block.blockFormat().leftMargin(), 0.0);
        QCOMPARE(block.blockFormat().indent(), 0);
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            QCOMPARE(format.fontPointSize(), 12.0);
            QCOMPARE(fontFamilyOf(format), QStringLiteral("SimSun"));
            const bool red = format.foreground().color() == QColor(0xff, 0, 0);
            QCOMPARE(format.fontItalic(), red);
            if (red)
                emphasised << it.fragment().text();
            if (block.blockNumber() == 1)
                ++secondParagraphRuns;
        }
    }
    QCOMPARE(emphasised, (QStringList{"SSID", "Password", "Cancel"}));
    QCOMPARE(secondParagraphRuns, 7);
}

void TestSoftApDialog::showsThePictureUnscaled()
{
    TempWorkDir work;
    QImage picture(37, 23, QImage::Format_RGB32);
    picture.fill(Qt::black);
    QVERIFY(picture.save(QStringLiteral("conf/softAP_wifi_guid.png")));
    QString ssid, password;

    softAPConnectWifi dialog(&ssid, &password, nullptr);

    auto *qr = dialog.findChild<QLabel *>(QStringLiteral("qr_code_label"));
    QCOMPARE(qr->pixmap(Qt::ReturnByValue).size(), QSize(37, 23));
    QVERIFY(!qr->hasScaledContents());
}

void TestSoftApDialog::missingPictureLeavesTheLabelBlank()
{
    TempWorkDir work;
    QVERIFY(writeWholeFile(QStringLiteral("conf/softAP_wifi_guid.png"), "not a picture"));
    QString ssid, password;
    softAPConnectWifi broken(&ssid, &password, nullptr);
    auto *qr = broken.findChild<QLabel *>(QStringLiteral("qr_code_label"));
    QVERIFY(qr->pixmap(Qt::ReturnByValue).isNull());

    QVERIFY(QFile::remove(QStringLiteral("conf/softAP_wifi_guid.png")));
    softAPConnectWifi missing(&ssid, &password, nullptr);
    qr = missing.findChild<QLabel *>(QStringLiteral("qr_code_label"));
    QVERIFY(qr->pixmap(Qt::ReturnByValue).isNull());
    QVERIFY(qr->text().isEmpty());
}

void TestSoftApDialog::validatorsUseQRegExp()
{
    TempWorkDir work;
    QString ssid, password;
    softAPConnectWifi dialog(&ssid, &password, nullptr);
    const WifiFields f = fieldsOf(&dialog);

    const QString ssidPattern =
        QLatin1String("[a-zA-Z0-9_") + QChar('\\') + QLatin1String("-]{1,}");
    const QString passwordPattern =
        QLatin1String("[a-zA-Z0-9\\\\-\\.\\$\\*\\&\\+\\?@%\\(\\)!`\\]\\[\\|<>,#]{8,}");
    QCOMPARE(ssidPattern.size(), 18);
    QCOMPARE(passwordPattern.size(), 48);
    QCOMPARE(passwordPattern.count(QLatin1Char('\\')), 13);

    const QList<QPair<QLineEdit *, QString>> expected{{f.ssid, ssidPattern},
                                                      {f.password, passwordPattern}};
    for (const auto &[edit, pattern] : expected) {
        auto *validator = qobject_cast<const RegExpValidator *>(edit->validator());
        QVERIFY(validator);
        QCOMPARE(validator->parent(), edit);
        QCOMPARE(validator->regExp().pattern(), pattern);
        QCOMPARE(validator->regExp().caseSensitivity(), Qt::CaseSensitive);
        QCOMPARE(validator->regExp().patternSyntax(), QRegExp::RegExp);
    }
}

void TestSoftApDialog::ssidTakesOnlyItsCharacters_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("accepted");

    characterRows(QStringLiteral("azAZ09_-"), true, "ssid");
    characterRows(QStringLiteral(" .@#/\\:`\"'\u00e9\u00df"), false, "ssid");
}

void TestSoftApDialog::ssidTakesOnlyItsCharacters()
{
    QFETCH(QString, typed);
    QFETCH(bool, accepted);
    TempWorkDir work;
    QString ssid, password;
    softAPConnectWifi dialog(&ssid, &password, nullptr);
    QLineEdit *edit = fieldsOf(&dialog).ssid;

    typeText(edit, typed);
    QCOMPARE(edit->text(), accepted ? typed : QString());
    typeText(edit, QStringLiteral("ab"));
    typeText(edit, typed);
    QCOMPARE(edit->text(), accepted ? typed + "ab" + typed : QStringLiteral("ab"));
}

void TestSoftApDialog::passwordTakesOnlyItsCharacters_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("accepted");

    characterRows(QStringLiteral("azAZ09"), true, "letter or digit");
    characterRows(QStringLiteral(".$*&+?@%()!|<>,#"), true, "listed sign");
    characterRows(QStringLiteral("`[]"), true, "backquote or bracket");
    // QRegExp reads "\\-\." as the range between backslash and dot, taken in
    // either order: the backslash and everything from '.' to '\' come in, and
    // the hyphen itself, just outside the range, stays out.
    characterRows(QStringLiteral("\\/:;="), true, "from the backslash range");
    characterRows(QStringLiteral("-"), false, "hyphen");
    characterRows(QStringLiteral(" \"'^_{}~\t"), false, "unlisted sign");
    characterRows(QStringLiteral("\u00e9\u00a3\u00df"), false, "non-ASCII");
}

void TestSoftApDialog::passwordTakesOnlyItsCharacters()
{
    QFETCH(QString, typed);
    QFETCH(bool, accepted);
    TempWorkDir work;
    QString ssid, password;
    softAPConnectWifi dialog(&ssid, &password, nullptr);
    QLineEdit *edit = fieldsOf(&dialog).password;

    typeText(edit, QStringLiteral("abc"));
    typeText(edit, typed);
    QCOMPARE(edit->text(), accepted ? "abc" + typed : QStringLiteral("abc"));
    // Also past the minimum length.
    edit->setText(QStringLiteral("abcdefghij"));
    typeText(edit, typed);
    QCOMPARE(edit->text(), accepted ? "abcdefghij" + typed : QStringLiteral("abcdefghij"));
}

void TestSoftApDialog::shortPasswordMayGrow()
{
    TempWorkDir work;
    QString ssid, password;
    softAPConnectWifi dialog(&ssid, &password, nullptr);
    const WifiFields f = fieldsOf(&dialog);
    QTest::keyClicks(f.ssid, QStringLiteral("ap1"));

    QTest::keyClicks(f.password, QStringLiteral("x"));
    QCOMPARE(f.password->text(), QStringLiteral("x"));
    QVERIFY(!f.password->hasAcceptableInput());
    QTest::keyClicks(f.password, QStringLiteral("[p]`|@#"));
    QCOMPARE(f.password->text(), QStringLiteral("x[p]`|@#"));
    QVERIFY(f.password->hasAcceptableInput());
    QVERIFY(f.ok->isEnabled());
}

void TestSoftApDialog::inputMethodsAreOff()
{
    TempWorkDir work;
    QString ssid, password;
    softAPConnectWifi dialog(&ssid, &password, nullptr);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    const WifiFields f = fieldsOf(&dialog);

    for (QLineEdit *edit : {f.ssid, f.password}) {
        edit->setFocus();
        QVERIFY(!edit->testAttribute(Qt::WA_InputMethodEnabled));
        // Even composed text that reaches the field is held to the pattern.
        QInputMethodEvent commit;
        commit.setCommitString(QStringLiteral("中文"));
        QApplication::sendEvent(edit, &commit);
        QVERIFY(edit->text().isEmpty());
    }
}

void TestSoftApDialog::okHandsBackAndSavesExactlyTwoMembers()
{
    TempWorkDir work;
    QVERIFY(
        writeWholeFile(kConfig, "{\"Password\": \"oldpassword\", \"SSID\": \"old\", \"More\": 1}"));
    QVERIFY(QFile::setPermissions(kConfig, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                               QFileDevice::ReadGroup | QFileDevice::ReadOther));
    QString ssid, password;
    softAPConnectWifi dialog(&ssid, &password, nullptr);
    DialogHand hand([](QDialog *modal) {
        const WifiFields f = fieldsOf(modal);
        QCOMPARE(f.ssid->text(), QStringLiteral("old"));
        f.ssid->clear();
        f.password->clear();
        QTest::keyClicks(f.ssid, QStringLiteral("Dev_AP-2"));
        QTest::keyClicks(f.password, QStringLiteral("p@ss<w0rd>"));
        QVERIFY(f.ok->isEnabled());
        QTest::mouseClick(f.ok, Qt::LeftButton);
    });

    QCOMPARE(dialog.exec(), int(QDialog::Accepted));

    QCOMPARE(ssid, QStringLiteral("Dev_AP-2"));
    QCOMPARE(password, QStringLiteral("p@ss<w0rd>"));
    QCOMPARE(readWholeFile(kConfig),
             QByteArray("{\n    \"Password\": \"p@ss<w0rd>\",\n    \"SSID\": \"Dev_AP-2\"\n}\n"));
    QVERIFY(isOwnerOnly(kConfig));
}

QTEST_MAIN(TestSoftApDialog)
#include "tst_softapdialog.moc"
