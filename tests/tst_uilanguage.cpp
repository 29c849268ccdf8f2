#include "windowsupport.h"

#include "aboutdialog.h"
#include "console.h"
#include "consolefindbar.h"
#include "seriportconfsetting.h"
#include "softapconnectwifi.h"
#include "uilanguage.h"
#include "wifi_setting_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QMap>
#include <QMenu>
#include <QRegularExpression>
#include <QScrollBar>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <QTextBrowser>
#include <QToolButton>
#include <QXmlStreamReader>
#include <QtTest>

#include <memory>

Q_DECLARE_METATYPE(atlume::UiLanguage)

namespace {

const QRegularExpression kChinese(QStringLiteral("[\\x{3000}-\\x{9fff}\\x{ff00}-\\x{ffef}]"));

// The window and its dialogs, each made as the window makes it and shown at its size.
struct Screens {
    Screens() : window({QStringLiteral("ttyS0")})
    {
        window.window.show();
        port.setPortName(QStringLiteral("ttyS0"));
        dialogs = {new AboutDialog(&window.window), new SeriPortConfSetting(&port, &window.window),
                   new wifi_setting_dialog(&ssid, &password, &window.window),
                   new softAPConnectWifi(&ssid, &password, &window.window)};
        for (QDialog *dialog : qAsConst(dialogs))
            dialog->show();
    }

    QList<QWidget *> all()
    {
        QList<QWidget *> screens{&window.window};
        for (QDialog *dialog : qAsConst(dialogs))
            screens << dialog;
        return screens;
    }

    // The dialogs use these until the window takes them along.
    QSerialPort port;
    QString ssid;
    QString password;
    PortListWindow window;
    QList<QDialog *> dialogs;
};

bool isQtOwnButton(const QWidget *widget)
{
    return qobject_cast<const QDialogButtonBox *>(widget->parentWidget());
}

// Every text a user reads on a screen, keyed by where it shows.
QMap<QString, QString> visibleTexts(QWidget *screen, bool withQtOwn)
{
    QMap<QString, QString> texts;
    const QString name = screen->objectName();
    texts[name + QStringLiteral(" title")] = screen->windowTitle();
    const auto widgets = screen->findChildren<QWidget *>();
    for (QWidget *widget : widgets) {
        const bool shows = widget->isVisibleTo(screen) || qobject_cast<QMenu *>(widget);
        const QWidget *owner = qobject_cast<QMenu *>(widget) ? widget->parentWidget() : widget;
        if (!owner || owner->window() != screen || !shows || (!withQtOwn && isQtOwnButton(widget)))
            continue;
        QString key = name + QLatin1Char('/') + widget->objectName();
        if (texts.contains(key) || widget->objectName().isEmpty())
            key += QLatin1Char('@') + QString::number(texts.size());
        if (!widget->toolTip().isEmpty())
            texts[key + QStringLiteral(" tip")] = widget->toolTip();
        if (auto *label = qobject_cast<QLabel *>(widget))
            texts[key] = label->text();
        else if (auto *button = qobject_cast<QAbstractButton *>(widget))
            texts[key] = button->text();
        else if (auto *box = qobject_cast<QGroupBox *>(widget))
            texts[key] = box->title();
        else if (auto *edit = qobject_cast<QLineEdit *>(widget))
            texts[key] = edit->placeholderText();
        else if (auto *browser = qobject_cast<QTextBrowser *>(widget))
            texts[key] = browser->toPlainText();
        else if (auto *menu = qobject_cast<QMenu *>(widget))
            texts[key] = menu->title();
        if (auto *combo = qobject_cast<QComboBox *>(widget)) {
            for (int i = 0; i < combo->count(); ++i)
                texts[key + QLatin1Char('#') + QString::number(i)] = combo->itemText(i);
        }
        const auto actions = widget->actions();
        for (int i = 0; i < actions.size(); ++i)
            texts[key + QLatin1Char('>') + QString::number(i)] = actions.at(i)->text();
    }
    return texts;
}

QMap<QString, QString> visibleTexts(Screens &screens, bool withQtOwn)
{
    QMap<QString, QString> texts;
    for (QWidget *screen : screens.all()) {
        const auto some = visibleTexts(screen, withQtOwn);
        for (auto it = some.begin(); it != some.end(); ++it)
            texts.insert(it.key(), it.value());
    }
    return texts;
}

// The console's context menu as a right click opens it: Qt's standard
// entries, then the console's own, whose names begin with "console".
QMap<QString, QString> contextMenuTexts(MainWindow &window, bool withQtOwn)
{
    QMap<QString, QString> texts;
    const std::unique_ptr<QMenu> menu(window.findChild<Console *>()->createContextMenu(QPoint()));
    const auto actions = menu->actions();
    for (int i = 0; i < actions.size(); ++i) {
        if (withQtOwn || actions.at(i)->objectName().startsWith(QLatin1String("console")))
            texts[QStringLiteral("console menu>") + actions.at(i)->objectName()] =
                actions.at(i)->text();
    }
    return texts;
}

// Lines arriving while the user reads further up bring the indicator of new lines.
QPushButton *showNewLinesIndicator(MainWindow &window)
{
    auto *console = window.findChild<Console *>();
    auto *bar = widget<QTextBrowser>(window, "textBrowser")->verticalScrollBar();
    console->beginRead();
    console->showReceived(QStringLiteral("line\n").repeated(200));
    // Qt lays a long insertion out in steps.
    if (!QTest::qWaitFor([bar] { return bar->maximum() > 0; }))
        return nullptr;
    bar->setValue(0);
    console->beginRead();
    console->showReceived(QStringLiteral("new line\n").repeated(12345));
    return widget<QPushButton>(window, "consoleNewLinesIndicator");
}

struct CatalogueEntry {
    QByteArray context;
    QByteArray source;
    QByteArray disambiguation;
};

// A text of the catalogue: a carriage return is written as a byte element.
QByteArray catalogueText(QXmlStreamReader &xml)
{
    QString text;
    while (xml.readNext() != QXmlStreamReader::EndElement || xml.name() == QLatin1String("byte")) {
        if (xml.isCharacters())
            text += xml.text();
        else if (xml.isStartElement())
            text +=
                QChar(xml.attributes().value(QLatin1String("value")).mid(1).toUInt(nullptr, 16));
    }
    return text.toUtf8();
}

QList<CatalogueEntry> catalogueEntries()
{
    QFile file(QStringLiteral(ATLUME_CATALOGUE));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read the catalogue");
    QList<CatalogueEntry> entries;
    QXmlStreamReader xml(&file);
    QByteArray context;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1String("name"))
            context = catalogueText(xml);
        else if (xml.name() == QLatin1String("source"))
            entries.append({context, catalogueText(xml), QByteArray()});
        else if (xml.name() == QLatin1String("comment"))
            entries.last().disambiguation = catalogueText(xml);
    }
    if (xml.hasError() || entries.isEmpty())
        qFatal("the catalogue cannot be read: %s", qPrintable(xml.errorString()));
    return entries;
}

QString plain(const QString &text)
{
    QString shown = text;
    return shown.remove(QRegularExpression(QStringLiteral("&(?=[^&])")));
}

int advance(const QFontMetrics &metrics, const QString &text)
{
    return metrics.horizontalAdvance(plain(text));
}

// The room a widget gives a single line of its text, or an empty size where
// the widget does not clip it (it wraps, scrolls, or grows to fit).
QSize room(QWidget *widget)
{
    if (auto *label = qobject_cast<QLabel *>(widget)) {
        const QRect inside = label->contentsRect();
        const int indent = label->indent() > 0 ? label->indent() : 0;
        return QSize(inside.width() - 2 * label->margin() - indent, inside.height());
    }
    if (auto *button = qobject_cast<QPushButton *>(widget)) {
        QStyleOptionButton option;
        option.initFrom(button);
        return button->style()
            ->subElementRect(QStyle::SE_PushButtonContents, &option, button)
            .size();
    }
    if (auto *tool = qobject_cast<QToolButton *>(widget)) {
        const int frame = tool->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, tool);
        return tool->size() - QSize(2 * frame, 0);
    }
    if (auto *combo = qobject_cast<QComboBox *>(widget)) {
        QStyleOptionComboBox option;
        option.initFrom(combo);
        return combo->style()
            ->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, combo)
            .size();
    }
    return QSize();
}

QStringList shownTexts(QWidget *widget)
{
    if (auto *label = qobject_cast<QLabel *>(widget))
        return {label->text()};
    if (auto *button = qobject_cast<QAbstractButton *>(widget))
        return {button->text()};
    QStringList texts;
    if (auto *combo = qobject_cast<QComboBox *>(widget)) {
        for (int i = 0; i < combo->count(); ++i)
            texts << combo->itemText(i);
    }
    return texts;
}

// What of a widget's text does not fit it, in words for the failure.
QStringList overflows(QWidget *widget)
{
    QStringList found;
    const QFontMetrics metrics(widget->font());
    if (auto *label = qobject_cast<QLabel *>(widget); label && label->wordWrap()) {
        if (label->heightForWidth(label->width()) > label->height())
            found << QStringLiteral("%1 wraps taller than %2 px")
                         .arg(label->objectName())
                         .arg(label->height());
        return found;
    }
    if (auto *browser = qobject_cast<QTextBrowser *>(widget)) {
        if (browser->verticalScrollBar()->maximum() > 0)
            found << QStringLiteral("%1 needs scrolling: %2 px in %3 px")
                         .arg(browser->objectName())
                         .arg(browser->document()->size().height())
                         .arg(browser->viewport()->height());
        return found;
    }
    const QSize space = room(widget);
    if (space.isEmpty())
        return found;
    for (const QString &text : shownTexts(widget)) {
        if (advance(metrics, text) > space.width())
            found << QStringLiteral("%1: \"%2\" is %3 px wide in %4 px")
                         .arg(widget->objectName(), text)
                         .arg(advance(metrics, text))
                         .arg(space.width());
    }
    return found;
}

// Of the widgets shown inside root, on its own window.
QStringList overflowsIn(QWidget *root)
{
    QStringList found;
    const auto widgets = root->findChildren<QWidget *>();
    for (QWidget *widget : widgets) {
        if (widget->window() == root->window() && widget->isVisibleTo(root) &&
            !isQtOwnButton(widget))
            found << overflows(widget);
    }
    return found;
}

QString translated(const char *source, const char *disambiguation = nullptr)
{
    return QCoreApplication::translate("MainWindow", source, disambiguation);
}

} // namespace

class TestUiLanguage : public QObject {
    Q_OBJECT

private slots:
    void choosesFromTheDesktopLanguages_data();
    void choosesFromTheDesktopLanguages();
    void chineseAndUnsetLocalesShowTheWrittenTexts_data();
    void chineseAndUnsetLocalesShowTheWrittenTexts();
    void englishShowsNoChinese();
    void everyCatalogueTextHasEnglish();
    void englishTextsFitTheirWidgets();
};

void TestUiLanguage::choosesFromTheDesktopLanguages_data()
{
    using atlume::UiLanguage;
    QTest::addColumn<QStringList>("uiLanguages");
    QTest::addColumn<UiLanguage>("expected");
    QTest::newRow("no language") << QStringList() << UiLanguage::Chinese;
    QTest::newRow("C") << QStringList{"C"} << UiLanguage::Chinese;
    QTest::newRow("POSIX") << QStringList{"POSIX"} << UiLanguage::Chinese;
    QTest::newRow("C with a codeset") << QStringList{"C.UTF-8"} << UiLanguage::Chinese;
    QTest::newRow("simplified Chinese")
        << QStringList{"zh-CN", "zh-Hans-CN", "zh"} << UiLanguage::Chinese;
    QTest::newRow("traditional Chinese")
        << QStringList{"zh-TW", "zh-Hant-TW"} << UiLanguage::Chinese;
    QTest::newRow("Chinese after English") << QStringList{"en-US", "zh-CN"} << UiLanguage::Chinese;
    QTest::newRow("English") << QStringList{"en-US", "en"} << UiLanguage::English;
    QTest::newRow("German") << QStringList{"de-DE", "de"} << UiLanguage::English;
    QTest::newRow("a language Qt does not know") << QStringList{"xx"} << UiLanguage::English;
}

void TestUiLanguage::choosesFromTheDesktopLanguages()
{
    QFETCH(QStringList, uiLanguages);
    QFETCH(atlume::UiLanguage, expected);
    QCOMPARE(atlume::chooseUiLanguage(uiLanguages), expected);
}

void TestUiLanguage::chineseAndUnsetLocalesShowTheWrittenTexts_data()
{
    QTest::addColumn<QStringList>("uiLanguages");
    QTest::newRow("Chinese") << QStringList{"zh-CN", "zh-Hans-CN", "zh"};
    QTest::newRow("C") << QStringList{"C"};
}

void TestUiLanguage::chineseAndUnsetLocalesShowTheWrittenTexts()
{
    QFETCH(QStringList, uiLanguages);
    QMap<QString, QString> written;
    {
        Screens screens;
        written = visibleTexts(screens, false);
        written.insert(contextMenuTexts(screens.window.window, false));
    }
    QCOMPARE(written.value(QStringLiteral("MainWindow/scanPortBtn")), QStringLiteral("扫描串口"));

    const atlume::UiTranslations translations(uiLanguages);
    Screens screens;
    QMap<QString, QString> shown = visibleTexts(screens, false);
    shown.insert(contextMenuTexts(screens.window.window, false));
    QCOMPARE(shown, written);
    const QString copy = contextMenuTexts(screens.window.window, true)
                             .value(QStringLiteral("console menu>edit-copy"));
    QVERIFY2(copy.contains(kChinese), qPrintable(copy));
    // Qt's own texts are Chinese too, but for the Wi-Fi dialogs' OK and
    // Cancel, which the softAP guide names.
    for (QDialog *dialog : screens.dialogs) {
        if (auto *box = dialog->findChild<QDialogButtonBox *>()) {
            QCOMPARE(box->button(QDialogButtonBox::Ok)->text(), QStringLiteral("OK"));
            QCOMPARE(box->button(QDialogButtonBox::Cancel)->text(), QStringLiteral("Cancel"));
        }
    }
}

void TestUiLanguage::englishShowsNoChinese()
{
    const atlume::UiTranslations translations({"en-US", "en"});
    QCOMPARE(translations.language(), atlume::UiLanguage::English);
    Screens screens;
    QMap<QString, QString> texts = visibleTexts(screens, true);
    texts.insert(contextMenuTexts(screens.window.window, true));
    QPushButton *indicator = showNewLinesIndicator(screens.window.window);
    QVERIFY(indicator && indicator->isVisible());
    texts.insert(QStringLiteral("new lines"), indicator->text());
    QVERIFY(texts.size() > 100);
    for (auto it = texts.begin(); it != texts.end(); ++it)
        QVERIFY2(!it.value().contains(kChinese), qPrintable(it.key() + ": " + it.value()));
}

void TestUiLanguage::everyCatalogueTextHasEnglish()
{
    const atlume::UiTranslations translations({"de-DE", "de"});
    const auto entries = catalogueEntries();
    QVERIFY(entries.size() > 100);
    for (const CatalogueEntry &entry : entries) {
        const QString english = QCoreApplication::translate(
            entry.context.constData(), entry.source.constData(),
            entry.disambiguation.isEmpty() ? nullptr : entry.disambiguation.constData());
        const QString what = QString::fromUtf8(entry.context + " / " + entry.source);
        QVERIFY2(!english.isEmpty() && !english.contains(kChinese), qPrintable(what));
    }
}

void TestUiLanguage::englishTextsFitTheirWidgets()
{
    const atlume::UiTranslations translations({"en-US", "en"});
    Screens screens;
    MainWindow &window = screens.window.window;
    window.resize(window.minimumSize());
    QTRY_COMPARE(window.size(), QSize(774, 550));
    QStringList found;
    for (QWidget *screen : screens.all())
        found << overflowsIn(screen);

    // Texts the window sets later, each on the widget that shows it.
    const QList<QPair<const char *, QStringList>> later{
        {"sendBtn",
         {translated("发送"), translated("订阅主题", "send button"),
          translated("取消订阅", "send button"), translated("发布消息", "send button"),
          translated("发布长消息", "send button")}},
        {"connectNimbrelCloudBtn", {translated("连接Nimbrel云"), translated("断开Nimbrel云")}},
        {"connect_wifi_btn", {translated("停止SmartConfig配网"), translated("停止softAP配网")}},
        {"deviceIoTInfoToolBtn",
         {translated("隐藏物联网设置区域"), translated("展开物联网设置区域")}},
        {"orderHasSendLabel", {translated("已发送信息：%1条").arg(999999)}},
        {"connectBtn", {QStringLiteral("Disconnect")}}};
    for (const auto &shown : later) {
        QWidget *target = widget<QWidget>(window, shown.first);
        for (const QString &text : shown.second) {
            if (auto *combo = qobject_cast<QComboBox *>(target))
                combo->setItemText(0, text);
            else if (auto *label = qobject_cast<QLabel *>(target))
                label->setText(text);
            else
                static_cast<QAbstractButton *>(target)->setText(text);
            found << overflows(target);
        }
    }
    // The console's overlays size themselves to their texts, but must stay
    // inside the console.
    QPushButton *indicator = showNewLinesIndicator(window);
    QVERIFY(indicator && indicator->isVisible());
    found << overflows(indicator);
    auto *console = window.findChild<Console *>();
    console->showFindBar();
    auto *findBar = window.findChild<ConsoleFindBar *>();
    QTest::keyClicks(widget<QLineEdit>(*findBar, "consoleFindField"), QStringLiteral("nowhere"));
    QTest::keyClick(widget<QLineEdit>(*findBar, "consoleFindField"), Qt::Key_Return);
    QVERIFY(!widget<QLabel>(*findBar, "consoleFindStatus")->text().isEmpty());
    const QRect inside = widget<QTextBrowser>(window, "textBrowser")->viewport()->geometry();
    for (QWidget *overlay : {static_cast<QWidget *>(indicator), static_cast<QWidget *>(findBar)}) {
        if (!inside.contains(overlay->geometry()))
            found << overlay->objectName() + QStringLiteral(" reaches out of the console");
    }
    found << overflowsIn(findBar);
    QVERIFY2(found.isEmpty(), qPrintable(found.join(QLatin1Char('\n'))));
}

QTEST_MAIN(TestUiLanguage)
#include "tst_uilanguage.moc"
