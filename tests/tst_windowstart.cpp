// The window as it starts on the platform it runs on (the build machine's, or
// Windows, or Wine on a virtual display), listing the system's own ports.
#include "testsupport.h"

#include "mainwindow.h"
#include "uilanguage.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QSerialPortInfo>

namespace {

// The texts a user reads in the window: titles, labels, buttons and the
// chosen item of each combo box, of the widgets that are shown.
QList<QPair<QWidget *, QString>> visibleTexts(QWidget &window)
{
    QList<QPair<QWidget *, QString>> texts{{&window, window.windowTitle()}};
    for (QWidget *child : window.findChildren<QWidget *>()) {
        if (!child->isVisible())
            continue;
        QString text;
        if (auto *label = qobject_cast<QLabel *>(child))
            text = label->text();
        else if (auto *button = qobject_cast<QAbstractButton *>(child))
            text = button->text();
        else if (auto *box = qobject_cast<QGroupBox *>(child))
            text = box->title();
        else if (auto *combo = qobject_cast<QComboBox *>(child))
            text = combo->currentText();
        if (!text.isEmpty())
            texts.append({child, text});
    }
    return texts;
}

QString textOf(QWidget &window, const char *name)
{
    for (const auto &shown : visibleTexts(window))
        if (shown.first->objectName() == QLatin1String(name))
            return shown.second;
    return QStringLiteral("(not shown)");
}

} // namespace

class TestWindowStart : public QObject {
    Q_OBJECT

private slots:
    void listsTheSystemsPortsWithNoneSelected();
    void showsItsFirstTexts_data();
    void showsItsFirstTexts();
    void everyShownTextHasItsGlyphs();
    void qtsOwnTextsAreFoundInChinese();
};

void TestWindowStart::listsTheSystemsPortsWithNoneSelected()
{
    TempWorkDir work;
    QStringList system;
    for (const QSerialPortInfo &port : QSerialPortInfo::availablePorts())
        system << port.portName();
    system.sort();

    MainWindow window;
    auto *list = window.findChild<QListWidget *>(QStringLiteral("portListWidget"));
    QVERIFY(list);
    QStringList listed;
    for (int row = 0; row < list->count(); ++row)
        listed << list->item(row)->text();
    qInfo() << "platform" << QApplication::platformName() << "ports" << listed;
    QCOMPARE(listed, system);
    QCOMPARE(list->currentItem(), nullptr);
}

void TestWindowStart::showsItsFirstTexts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("enabled");
    QTest::newRow("scan") << "scanPortBtn" << QString::fromUtf8("扫描串口") << true;
    QTest::newRow("connect") << "connectBtn" << QStringLiteral("Connect") << false;
    QTest::newRow("sent") << "orderHasSendLabel" << QString::fromUtf8("已发送信息: 0条") << true;
    QTest::newRow("send") << "sendBtn" << QString::fromUtf8("发送") << false;
    QTest::newRow("wifi") << "connect_wifi_btn" << QString::fromUtf8("直接连接WiFi") << false;
    QTest::newRow("cloud") << "connectNimbrelCloudBtn" << QString::fromUtf8("连接Nimbrel云")
                           << false;
    QTest::newRow("topic") << "topicLabel" << QStringLiteral("(not shown)") << true;
}

void TestWindowStart::showsItsFirstTexts()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(bool, enabled);
    TempWorkDir work;
    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QCOMPARE(textOf(window, qPrintable(name)), text);
    auto *shown = window.findChild<QWidget *>(name);
    QVERIFY(shown);
    QCOMPARE(shown->isEnabled(), enabled);
}

// Legible: each character of each shown text is in the widget's font or in
// one the platform falls back to (NSimSun, which the form asks for, is often
// missing).
void TestWindowStart::everyShownTextHasItsGlyphs()
{
    TempWorkDir work;
    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    const auto texts = visibleTexts(window);
    QVERIFY(texts.size() > 20);
    for (const auto &shown : texts) {
        qInfo().noquote() << shown.first->objectName() << shown.second;
        const QFontMetrics metrics(shown.first->font());
        for (const uint character : shown.second.toUcs4())
            QVERIFY2(character == '&' || metrics.inFontUcs4(character),
                     qPrintable(shown.first->objectName() + ": " + shown.second));
    }
}

// Qt's own texts (standard buttons, the console's context menu) come from
// catalogues outside the program: the system's, or those that the Windows zip
// carries beside it.
void TestWindowStart::qtsOwnTextsAreFoundInChinese()
{
    const atlume::UiTranslations translations({QStringLiteral("zh-CN")});
    QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QString::fromUtf8("取消"));
}

QTEST_MAIN(TestWindowStart)
#include "tst_windowstart.moc"
