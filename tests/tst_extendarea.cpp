// The fold button over the console's scroll bar, folding the extension area
// and the IoT settings, and the keys the window takes from the command box.

#include "testsupport.h"
#include "windowsupport.h"

#include <QGroupBox>
#include <QHoverEvent>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBrowser>
#include <QToolButton>

#include <memory>

namespace {

const QString kOpenTip = QString::fromUtf8(" 打开扩展区域");
const QString kCloseTip = QString::fromUtf8(" 关闭扩展区域");
const QString kOpenText = QString::fromUtf8("▶");
const QString kCloseText = QString::fromUtf8("◀");

QToolButton *foldButton(const MainWindow &window)
{
    auto *console = widget<QTextBrowser>(window, "textBrowser");
    const auto buttons =
        console->findChildren<QToolButton *>(QString(), Qt::FindDirectChildrenOnly);
    if (buttons.size() != 1)
        qFatal("the console has %d tool buttons", int(buttons.size()));
    return buttons.first();
}

QScrollBar *consoleBar(const MainWindow &window)
{
    return widget<QTextBrowser>(window, "textBrowser")->verticalScrollBar();
}

QWidget *consoleViewport(const MainWindow &window)
{
    return widget<QTextBrowser>(window, "textBrowser")->viewport();
}

// The hover zone at the middle of the console's right edge, in console coordinates.
QRect zoneOf(const MainWindow &window)
{
    const QWidget *console = widget<QTextBrowser>(window, "textBrowser");
    return QRect(console->width() - 13, console->height() / 2 - 50, 13, 100);
}

// Enough lines that the console needs its scroll bar.
void fillConsole(const MainWindow &window)
{
    auto *console = widget<QTextBrowser>(window, "textBrowser");
    QStringList lines;
    for (int i = 0; i < 300; ++i)
        lines << QStringLiteral("line %1").arg(i);
    console->setPlainText(lines.join(QLatin1Char('\n')));
}

void settleLayout()
{
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        QCoreApplication::processEvents();
    }
}

QMouseEvent moveAt(const QPointF &pos, Qt::MouseButtons held = Qt::NoButton)
{
    return QMouseEvent(QEvent::MouseMove, pos, pos, Qt::NoButton, held, Qt::NoModifier);
}

QHoverEvent hoverAt(QEvent::Type type, const QPointF &pos, const QPointF &oldPos)
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    return QHoverEvent(type, pos, pos, oldPos);
#else
    return QHoverEvent(type, pos, oldPos);
#endif
}

// The window's filter as Qt calls it, for its verdict on one event.
bool filterVerdict(MainWindow &window, QObject *watched, QEvent *event)
{
    QObject *filter = &window;
    return filter->eventFilter(watched, event);
}

// A window with no port: the fold button does not need one.
struct PlainWindow : PortListWindow {
    PlainWindow()
    {
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
    }
};

} // namespace

class TestExtendArea : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();
    void firstShownWithoutTextOrTip();
    void pointerInTheZoneShowsTheFoldButton_data();
    void pointerInTheZoneShowsTheFoldButton();
    void hoverLeaveHidesTheButton();
    void areaShowAndHideHideTheButton();
    void foldingChangesMinimumWidth();
    void returnSendsTheBoxUnlessAltAloneOrKeypadEnter_data();
    void returnSendsTheBoxUnlessAltAloneOrKeypadEnter();
    void foldButtonFoldsTheIotSettings();

private:
    // One window with an open port for all tests but the first; made on first use.
    MainWindow &window();

    std::unique_ptr<ModuleBench> bench;
};

MainWindow &TestExtendArea::window()
{
    if (!bench) {
        bench = std::make_unique<ModuleBench>();
        if (!bench->open())
            QTest::qFail("the window did not open the module's port", __FILE__, __LINE__);
    }
    return bench->window;
}

void TestExtendArea::initTestCase()
{
    qRegisterMetaType<DEVICE_SIGNAL>("DEVICE_SIGNAL");
}

// Whatever a failed case left behind: area shown, bar shown, fold button hidden.
void TestExtendArea::init()
{
    if (!bench)
        return;
    widget<QGroupBox>(window(), "extendGroupBox")->show();
    consoleBar(window())->show();
    foldButton(window())->hide();
    settleLayout();
}

void TestExtendArea::cleanupTestCase()
{
    bench.reset();
}

void TestExtendArea::firstShownWithoutTextOrTip()
{
    QVERIFY2(!bench, "this window must be the only one");
    PlainWindow plain;
    fillConsole(plain.window);
    settleLayout();
    QToolButton *button = foldButton(plain.window);
    QVERIFY(button->isHidden());
    QCOMPARE(button->font().family(), QStringLiteral("NSimSun"));
    QCOMPARE(button->font().pointSize(), 16);

    QScrollBar *bar = consoleBar(plain.window);
    QVERIFY(bar->isVisible());
    auto move = moveAt(QPointF(5, bar->height() / 2));
    QApplication::sendEvent(bar, &move);
    QVERIFY(bar->isHidden());
    QVERIFY(button->isVisible());
    QCOMPARE(button->geometry(), zoneOf(plain.window));
    QCOMPARE(button->text(), QString());
    QCOMPARE(button->toolTip(), QString());
}

void TestExtendArea::pointerInTheZoneShowsTheFoldButton_data()
{
    QTest::addColumn<QSize>("windowSize");
    QTest::addColumn<bool>("onBar");
    QTest::addColumn<bool>("areaShown");
    // On the bar: x from its left edge, y from the middle of its height.
    // Over the viewport: x from the console's width, y from the middle of its height.
    QTest::addColumn<QPointF>("offset");
    QTest::addColumn<int>("held");
    QTest::addColumn<bool>("inside");

    struct Row {
        const char *name;
        bool onBar;
        bool areaShown;
        QPointF offset;
        Qt::MouseButtons held;
        bool inside;
    };
    const Row rows[] = {
        {"bar, top left of zone", true, true, {0, -50}, Qt::NoButton, true},
        {"bar, bottom right of zone", true, true, {12, 49}, Qt::NoButton, true},
        {"bar, middle", true, true, {6, 0}, Qt::NoButton, true},
        {"bar, right of zone", true, true, {13, 0}, Qt::NoButton, false},
        {"bar, above zone", true, true, {6, -51}, Qt::NoButton, false},
        {"bar, below zone", true, true, {6, 50}, Qt::NoButton, false},
        {"bar, rounded into zone", true, true, {12.4, 49.4}, Qt::NoButton, true},
        {"bar, rounded out of zone", true, true, {12.6, 0}, Qt::NoButton, false},
        {"bar, dragging in zone", true, true, {6, 0}, Qt::LeftButton, false},
        {"bar, right button held in zone", true, true, {6, 0}, Qt::RightButton, false},
        {"bar, area hidden", true, false, {6, 0}, Qt::NoButton, true},
        {"viewport, top left of zone", false, true, {-13, -50}, Qt::NoButton, true},
        {"viewport, bottom right of zone", false, true, {-1, 49}, Qt::NoButton, true},
        {"viewport, left of zone", false, true, {-14, 0}, Qt::NoButton, false},
        {"viewport, right of zone", false, true, {0, 0}, Qt::NoButton, false},
        {"viewport, above zone", false, true, {-7, -51}, Qt::NoButton, false},
        {"viewport, below zone", false, true, {-7, 50}, Qt::NoButton, false},
        {"viewport, rounded into zone", false, true, {-13.4, 0}, Qt::NoButton, true},
        {"viewport, rounded out of zone", false, true, {-13.6, 0}, Qt::NoButton, false},
        {"viewport, button held in zone", false, true, {-7, 0}, Qt::LeftButton, true},
        {"viewport, area hidden, in zone", false, false, {-7, 0}, Qt::NoButton, true},
        {"viewport, area hidden, out of zone", false, false, {-7, 60}, Qt::NoButton, false},
    };
    const QSize sizes[] = {{774, 550}, {774, 551}, {901, 651}, {1000, 700}, {1100, 777}};
    for (const QSize &size : sizes) {
        for (const Row &row : rows) {
            QTest::addRow("%dx%d, %s", size.width(), size.height(), row.name)
                << size << row.onBar << row.areaShown << row.offset << int(row.held) << row.inside;
        }
    }
}

void TestExtendArea::pointerInTheZoneShowsTheFoldButton()
{
    QFETCH(QSize, windowSize);
    QFETCH(bool, onBar);
    QFETCH(bool, areaShown);
    QFETCH(QPointF, offset);
    QFETCH(int, held);
    QFETCH(bool, inside);

    auto *area = widget<QGroupBox>(window(), "extendGroupBox");
    area->setVisible(areaShown);
    window().resize(windowSize);
    QTRY_COMPARE(window().size(), windowSize);
    fillConsole(window());
    settleLayout();

    auto *console = widget<QTextBrowser>(window(), "textBrowser");
    QScrollBar *bar = consoleBar(window());
    QToolButton *button = foldButton(window());
    const QRect zone = zoneOf(window());
    QVERIFY(zone.right() == console->width() - 1);

    // Start from the opposite of what the move should bring about.
    const QString oldText = QStringLiteral("old");
    const QString oldTip = QStringLiteral("old tip");
    auto prepare = [&] {
        button->setText(oldText);
        button->setToolTip(oldTip);
        button->setGeometry(0, 0, 5, 5);
        if (onBar || inside) {
            bar->show();
            button->hide();
        } else {
            bar->hide();
            button->show();
        }
    };

    QObject *target = onBar ? static_cast<QObject *>(bar) : consoleViewport(window());
    const QPointF pos =
        onBar ? QPointF(offset.x(), bar->height() / 2 + offset.y())
              : QPointF(console->width() + offset.x(), console->height() / 2 + offset.y());

    prepare();
    auto move = moveAt(pos, Qt::MouseButtons(held));
    QApplication::sendEvent(target, &move);

    if (!inside) {
        QVERIFY(!bar->isHidden());
        QVERIFY(button->isHidden());
        QCOMPARE(button->text(), oldText);
        QCOMPARE(button->toolTip(), oldTip);
    } else {
        QVERIFY(!button->isHidden());
        QCOMPARE(button->geometry(), zone);
        if (onBar) {
            QVERIFY(bar->isHidden());
            QCOMPARE(button->text(), oldText);
            QCOMPARE(button->toolTip(), oldTip);
        } else {
            QVERIFY(!bar->isHidden());
            QCOMPARE(button->text(), areaShown ? kCloseText : kOpenText);
            QCOMPARE(button->toolTip(), areaShown ? kCloseTip : kOpenTip);
        }
    }

    // Only a move into the bar's zone is kept from its target.
    prepare();
    auto again = moveAt(pos, Qt::MouseButtons(held));
    QCOMPARE(filterVerdict(window(), target, &again), onBar && inside);

    area->show();
    button->hide();
    bar->show();
}

void TestExtendArea::hoverLeaveHidesTheButton()
{
    fillConsole(window());
    settleLayout();
    QScrollBar *bar = consoleBar(window());
    QToolButton *button = foldButton(window());
    auto move = moveAt(QPointF(3, bar->height() / 2));
    QApplication::sendEvent(bar, &move);
    QVERIFY(bar->isHidden());
    QVERIFY(!button->isHidden());

    QHoverEvent enter = hoverAt(QEvent::HoverEnter, QPointF(3, 3), QPointF(-1, -1));
    QApplication::sendEvent(button, &enter);
    QVERIFY(!button->isHidden());
    QVERIFY(bar->isHidden());

    QHoverEvent leave = hoverAt(QEvent::HoverLeave, QPointF(-1, -1), QPointF(3, 3));
    QApplication::sendEvent(button, &leave);
    QVERIFY(button->isHidden());
    QVERIFY(!bar->isHidden());

    QHoverEvent leaveAgain = hoverAt(QEvent::HoverLeave, QPointF(-1, -1), QPointF(3, 3));
    QCOMPARE(filterVerdict(window(), button, &leaveAgain), false);
    // The button needs hover events to see the pointer leave.
    QVERIFY(button->testAttribute(Qt::WA_Hover));
}

void TestExtendArea::areaShowAndHideHideTheButton()
{
    auto *area = widget<QGroupBox>(window(), "extendGroupBox");
    QToolButton *button = foldButton(window());
    QVERIFY(!area->isHidden());

    button->show();
    area->hide();
    QVERIFY(button->isHidden());

    button->show();
    area->show();
    QVERIFY(button->isHidden());

    // Any event of the area does it, and the event still reaches the area.
    button->show();
    QEvent polish(QEvent::StyleChange);
    QCOMPARE(filterVerdict(window(), area, &polish), false);
    QVERIFY(button->isHidden());
}

void TestExtendArea::foldingChangesMinimumWidth()
{
    auto *area = widget<QGroupBox>(window(), "extendGroupBox");
    QToolButton *button = foldButton(window());
    QScrollBar *bar = consoleBar(window());
    window().resize(774, 600);
    QTRY_COMPARE(window().width(), 774);
    fillConsole(window());
    settleLayout();
    QCOMPARE(window().minimumWidth(), 774);
    QVERIFY(!area->isHidden());

    auto showButton = [&] {
        auto move = moveAt(QPointF(3, bar->height() / 2));
        QApplication::sendEvent(bar, &move);
        QVERIFY(!button->isHidden());
    };

    button->setToolTip(QStringLiteral("tip"));
    showButton();
    QTest::mouseClick(button, Qt::LeftButton);
    QVERIFY(area->isHidden());
    QCOMPARE(button->text(), kOpenText);
    QCOMPARE(button->toolTip(), QStringLiteral("tip"));
    QCOMPARE(window().minimumWidth(), 506);
    // Folding hides the button along with the area.
    QVERIFY(button->isHidden());
    // A smaller minimum leaves the window's size alone.
    QCOMPARE(window().width(), 774);

    window().resize(600, 600);
    QTRY_COMPARE(window().width(), 600);
    showButton();
    QTest::mouseClick(button, Qt::LeftButton);
    QVERIFY(!area->isHidden());
    QCOMPARE(button->text(), kCloseText);
    QCOMPARE(window().minimumWidth(), 774);
    QVERIFY(button->isHidden());
    // The larger minimum widens the window.
    QTRY_VERIFY(window().width() >= 774);

    showButton();
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(window().minimumWidth(), 506);
    showButton();
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(window().minimumWidth(), 774);
    QVERIFY(!area->isHidden());
    bar->show();
}

void TestExtendArea::returnSendsTheBoxUnlessAltAloneOrKeypadEnter_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<bool>("sends");

    QTest::newRow("Return") << int(Qt::Key_Return) << int(Qt::NoModifier) << true;
    QTest::newRow("Shift+Return") << int(Qt::Key_Return) << int(Qt::ShiftModifier) << true;
    QTest::newRow("Ctrl+Return") << int(Qt::Key_Return) << int(Qt::ControlModifier) << true;
    QTest::newRow("Alt+Return") << int(Qt::Key_Return) << int(Qt::AltModifier) << false;
    QTest::newRow("Alt+Shift+Return")
        << int(Qt::Key_Return) << int(Qt::AltModifier | Qt::ShiftModifier) << true;
    QTest::newRow("Ctrl+Alt+Return")
        << int(Qt::Key_Return) << int(Qt::AltModifier | Qt::ControlModifier) << true;
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << false;
}

void TestExtendArea::returnSendsTheBoxUnlessAltAloneOrKeypadEnter()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(bool, sends);

    auto *box = widget<QPlainTextEdit>(window(), "orderPlainTextEdit");
    QCOMPARE(orderMode(window()), 0);
    box->setPlainText(QStringLiteral("ATX"));
    QTextCursor cursor = box->textCursor();
    cursor.setPosition(2);
    box->setTextCursor(cursor);
    const int before = bench->received.lines().size();

    QTest::keyClick(box, Qt::Key(key), Qt::KeyboardModifiers(modifiers));

    if (sends) {
        QVERIFY(bench->received.waitForLines(before + 1, 3000));
        QCOMPARE(bench->received.lines().size(), before + 1);
        QCOMPARE(bench->received.lines().last().bytes, QByteArray("ATX"));
        // The editor never saw the key.
        QCOMPARE(box->toPlainText(), QStringLiteral("ATX"));
    } else {
        QCOMPARE(box->toPlainText(), QStringLiteral("AT\nX"));
        QVERIFY(!bench->received.waitForLines(before + 1, 300));
    }
}

void TestExtendArea::foldButtonFoldsTheIotSettings()
{
    auto *fold = widget<QToolButton>(window(), "deviceIoTInfoToolBtn");
    auto *identity = widget<QGroupBox>(window(), "IoTDeviceInFoGroupBox");
    auto *mqtt = widget<QGroupBox>(window(), "mqtt_connect_config_area");
    QCOMPARE(fold->text(), QString::fromUtf8("隐藏物联网设置设置"));
    QVERIFY(!identity->isHidden());
    QVERIFY(!mqtt->isHidden());

    QTest::mouseClick(fold, Qt::LeftButton);
    QVERIFY(identity->isHidden());
    QVERIFY(mqtt->isHidden());
    QCOMPARE(fold->text(), QString::fromUtf8("展开物联网设置区域"));

    QTest::mouseClick(fold, Qt::LeftButton);
    QVERIFY(!identity->isHidden());
    QVERIFY(!mqtt->isHidden());
    QCOMPARE(fold->text(), QString::fromUtf8("隐藏物联网设置区域"));

    // The identity group decides; the MQTT group follows it.
    mqtt->hide();
    QTest::mouseClick(fold, Qt::LeftButton);
    QVERIFY(identity->isHidden());
    QVERIFY(mqtt->isHidden());
    QTest::mouseClick(fold, Qt::LeftButton);
    QVERIFY(!identity->isHidden());
    QVERIFY(!mqtt->isHidden());
    QCOMPARE(fold->text(), QString::fromUtf8("隐藏物联网设置区域"));
}

QTEST_MAIN(TestExtendArea)
#include "tst_extendarea.moc"
