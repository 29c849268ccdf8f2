#include "dialogsupport.h"
#include "softapconnectwifi.h"
#include "testsupport.h"

#include <QApplication>
#include <QDialogButtonBox>
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

// Adds rows of single characters typed into a field after valid texts.
void characterRows(const char *field, const QStringList &before, const QString &characters,
                   bool accepted, const char *what)
{
    for (QChar c : characters)
        QTest::addRow("%s %s %s U+%04X", field, accepted ? "accepts" : "refuses", what, c.unicode())
            << QString::fromLatin1(field) << before << QString(c) << accepted;
}

} // namespace

class TestSoftApDialog : public QObject {
    Q_OBJECT

private slots:
    void showsTheGuideText();
    void showsThePictureUnscaled();
    void missingPictureLeavesTheLabelBlank();
    void validatorsUseQRegExp();
    void fieldTakesOnlyItsCharacters_data();
    void fieldTakesOnlyItsCharacters();
    void shortPasswordMayGrow();
    void inputMethodsAreOff();
};

void TestSoftApDialog::showsTheGuideText()
{
    TempWorkDir work;
    QString ssid, password;
    softAPConnectWifi dialog(&ssid, &password, nullptr);
    auto *browser = dialog.findChild<QTextBrowser *>(QStringLiteral("textBrowser"));
    QCOMPARE(browser->frameShape(), QFrame::NoFrame);
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        QCOMPARE(browser->palette().color(group, QPalette::Base), QColor(240, 240, 240));
    QTextDocument *document = browser->document();

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
    QCOMPARE(qr->minimumSize(), QSize(150, 150));
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

void TestSoftApDialog::fieldTakesOnlyItsCharacters_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QStringList>("before"); // what the field holds when the character comes
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("accepted");

    const QStringList ssid{QString(), QStringLiteral("ab")};
    characterRows("ssid", ssid, QStringLiteral("azAZ09_-"), true, "its character");
    characterRows("ssid", ssid, QStringLiteral(" .@#/\\:`\"'\u00e9\u00df"), false,
                  "other character");
    // Also past the minimum length.
    const QStringList password{QStringLiteral("abc"), QStringLiteral("abcdefghij")};
    characterRows("password", password, QStringLiteral("azAZ09"), true, "letter or digit");
    characterRows("password", password, QStringLiteral(".$*&+?@%()!|<>,#"), true, "listed sign");
    characterRows("password", password, QStringLiteral("`[]"), true, "backquote or bracket");
    // QRegExp reads "\\-\." as the range between backslash and dot, taken in
    // either order: the backslash and everything from '.' to '\' come in, and
    // the hyphen itself, just outside the range, stays out.
    characterRows("password", password, QStringLiteral("\\/:;="), true, "from the backslash range");
    characterRows("password", password, QStringLiteral("-"), false, "hyphen");
    characterRows("password", password, QStringLiteral(" \"'^_{}~\t"), false, "unlisted sign");
    characterRows("password", password, QStringLiteral("\u00e9\u00a3\u00df"), false, "non-ASCII");
}

void TestSoftApDialog::fieldTakesOnlyItsCharacters()
{
    QFETCH(QString, field);
    QFETCH(QStringList, before);
    QFETCH(QString, typed);
    QFETCH(bool, accepted);
    TempWorkDir work;
    QString ssid, password;
    softAPConnectWifi dialog(&ssid, &password, nullptr);
    const WifiFields f = fieldsOf(&dialog);
    QLineEdit *edit = field == QLatin1String("ssid") ? f.ssid : f.password;

    for (const QString &held : before) {
        edit->setText(held);
        typeText(edit, typed);
        QCOMPARE(edit->text(), accepted ? held + typed : held);
    }
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

QTEST_MAIN(TestSoftApDialog)
#include "tst_softapdialog.moc"
