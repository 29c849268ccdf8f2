// The main window's form on its own: built with Ui::MainWindow on a plain
// QMainWindow, which has no on_ slots, so nothing of the program runs.

#include "formsupport.h"
#include "testsupport.h"

#include "ui_mainwindow.h"

#include <QMainWindow>
#include <QSpacerItem>
#include <QtTest>

#include <memory>

Q_DECLARE_METATYPE(QMargins)

namespace QTest {
template <> char *toString(const QMargins &margins)
{
    return qstrdup(QByteArray("QMargins(" + QByteArray::number(margins.left()) + ", " +
                              QByteArray::number(margins.top()) + ", " +
                              QByteArray::number(margins.right()) + ", " +
                              QByteArray::number(margins.bottom()) + ")")
                       .constData());
}
} // namespace QTest

namespace {

const QString kFamily = QStringLiteral("新宋体");
constexpr int kMax = QWIDGETSIZE_MAX;
const QColor kLightBase(240, 240, 240);

struct FormObject {
    const char *name;
    const char *className;
};

// Every named object of the form, in the order the widget tree is built.
const FormObject kFormObjects[] = {
    {"action_Nimbrel_IoT", "QAction"},
    {"centralwidget", "QWidget"},
    {"horizontalLayout_3", "QHBoxLayout"},
    {"verticalLayout", "QVBoxLayout"},
    {"scanPortBtn", "QPushButton"},
    {"connectBtn", "QPushButton"},
    {"portListWidget", "QListWidget"},
    {"mainWindowSplitter", "QSplitter"},
    {"layoutWidget", "QWidget"},
    {"verticalLayout_3", "QVBoxLayout"},
    {"horizontalLayout_2", "QHBoxLayout"},
    {"orderHasSendLabel", "QLabel"},
    {"cleanBtn", "QPushButton"},
    {"textBrowser", "QTextBrowser"},
    {"inputGroupBox", "QGroupBox"},
    {"gridLayout", "QGridLayout"},
    {"horizontalLayout", "QHBoxLayout"},
    {"topicLabel", "QLabel"},
    {"topicLineEdit", "QLineEdit"},
    {"orderPlainTextEdit", "QPlainTextEdit"},
    {"qosLabel", "QLabel"},
    {"qosComboBox", "QComboBox"},
    {"sendBtn", "QPushButton"},
    {"extendGroupBox", "QGroupBox"},
    {"verticalLayout_2", "QVBoxLayout"},
    {"IoTDeviceInFoGroupBox", "QGroupBox"},
    {"IoTDeviceInfoGridLayout", "QGridLayout"},
    {"productIDLabel", "QLabel"},
    {"productIDLineEdit", "QLineEdit"},
    {"deviceNameLabel", "QLabel"},
    {"deviceNameLineEdit", "QLineEdit"},
    {"deviceSecretLabel", "QLabel"},
    {"deviceSecretLineEdit", "QLineEdit"},
    {"mqtt_connect_config_area", "QGroupBox"},
    {"gridLayout_2", "QGridLayout"},
    {"tlsmode_label", "QLabel"},
    {"tlsmode_combobox", "QComboBox"},
    {"cmdtimeout_label", "QLabel"},
    {"cmdtimeout_spinbox", "QSpinBox"},
    {"keepalive_label", "QLabel"},
    {"keepalive_spinbox", "QSpinBox"},
    {"clean_session_label", "QLabel"},
    {"clean_session_combobox", "QComboBox"},
    {"reconnect_label", "QLabel"},
    {"reconnect_combobox", "QComboBox"},
    {"deviceIoTInfoToolBtn", "QToolButton"},
    {"modeGroupBox", "QGroupBox"},
    {"gridLayout_4", "QGridLayout"},
    {"ATorderModeBtn", "QPushButton"},
    {"set_dev_conf_btn", "QPushButton"},
    {"connect_wifi_btn", "ButtonCombobox"},
    {"connectNimbrelCloudBtn", "QPushButton"},
    {"subTopicBtn", "QPushButton"},
    {"unsubTopicBtn", "QPushButton"},
    {"releaseTopicMsgBtn", "QPushButton"},
    {"releaseTopicLongMsgBtn", "QPushButton"},
    {"menubar", "QMenuBar"},
    {"menu_S", "QMenu"},
    {"menu_H", "QMenu"},
    {"statusbar", "QStatusBar"},
};

// Names a layout item the way the tables below do: by its widget's or
// layout's object name, or "<spacer>".
QString itemName(QLayoutItem *item)
{
    if (!item)
        return QString();
    if (item->widget())
        return item->widget()->objectName();
    if (item->layout())
        return item->layout()->objectName();
    if (item->spacerItem())
        return QStringLiteral("<spacer>");
    return QStringLiteral("<unknown>");
}

} // namespace

class TestMainForm : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void objectsHaveTheirNamesAndClasses_data();
    void objectsHaveTheirNamesAndClasses();
    void widgetsAreCreatedInTreeOrder();
    void windowHoldsTheFormsBars();

    void boxLayoutsHoldTheirItemsInOrder_data();
    void boxLayoutsHoldTheirItemsInOrder();
    void gridsPlaceItemsInTheirCells_data();
    void gridsPlaceItemsInTheirCells();
    void gridCellsStayEmpty_data();
    void gridCellsStayEmpty();
    void layoutsHaveTheirSpacingAndMargins_data();
    void layoutsHaveTheirSpacingAndMargins();
    void mqttGridKeepsDefaultSpacing();
    void splitterStacksConsoleOverInput();
    void spacerPushesExtensionAreaUp();

    void showsTheTextsOfTheForm_data();
    void showsTheTextsOfTheForm();
    void textsAreLookedUpInMainWindowContext_data();
    void textsAreLookedUpInMainWindowContext();
    void comboBoxesOfferTheirItems_data();
    void comboBoxesOfferTheirItems();
    void comboItemsAreLookedUpInMainWindowContext_data();
    void comboItemsAreLookedUpInMainWindowContext();
    void spinBoxesHaveTheirRangesAndValues_data();
    void spinBoxesHaveTheirRangesAndValues();

    void widgetsKeepTheirSizeLimits_data();
    void widgetsKeepTheirSizeLimits();
    void widgetsUseTheirFonts_data();
    void widgetsUseTheirFonts();
    void onlyTheListedFieldsHaveALightBase_data();
    void onlyTheListedFieldsHaveALightBase();
    void objectsHaveTheirDesignedProperties_data();
    void objectsHaveTheirDesignedProperties();
    void mqttLabelsAlignRight_data();
    void mqttLabelsAlignRight();
    void menuBarHoldsTheSettingsAndHelpMenus();

    void windowStartsAtItsSize();
    void windowCannotShrinkBelowMinimum();
    void columnsKeepTheirWidths_data();
    void columnsKeepTheirWidths();

private:
    QObject *object(const QString &name) const;
    template <typename T> T *child(const QString &name) const
    {
        return window->findChild<T *>(name);
    }

    std::unique_ptr<TempWorkDir> workDir;
    std::unique_ptr<QMainWindow> window;
    Ui::MainWindow ui;
};

void TestMainForm::init()
{
    workDir = std::make_unique<TempWorkDir>();
    window = std::make_unique<QMainWindow>();
    ui.setupUi(window.get());
}

void TestMainForm::cleanup()
{
    window.reset();
    workDir.reset();
}

QObject *TestMainForm::object(const QString &name) const
{
    if (name == window->objectName())
        return window.get();
    return window->findChild<QObject *>(name);
}

void TestMainForm::objectsHaveTheirNamesAndClasses_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("className");
    QTest::newRow("MainWindow") << "MainWindow"
                                << "QMainWindow";
    for (const FormObject &entry : kFormObjects)
        QTest::newRow(entry.name) << entry.name << entry.className;
}

void TestMainForm::objectsHaveTheirNamesAndClasses()
{
    QFETCH(QString, name);
    QFETCH(QString, className);
    QObject *found = object(name);
    QVERIFY2(found, qPrintable(name));
    QCOMPARE(QString::fromLatin1(found->metaObject()->className()), className);
    if (found != window.get())
        QCOMPARE(window->findChildren<QObject *>(name).size(), 1);
}

void TestMainForm::widgetsAreCreatedInTreeOrder()
{
    // children() keeps creation order within each parent, and the siblings'
    // orders together fix the depth-first order of the whole tree. A splitter
    // restacks its own panes, so those two are checked by index instead.
    QHash<QObject *, QStringList> expected;
    for (const FormObject &entry : kFormObjects) {
        QObject *found = object(entry.name);
        QVERIFY2(found, entry.name);
        if (qobject_cast<QLayout *>(found) || qobject_cast<QSplitter *>(found->parent()))
            continue;
        expected[found->parent()] << entry.name;
    }
    for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
        QStringList actual;
        for (QObject *sibling : it.key()->children()) {
            if (it.value().contains(sibling->objectName()))
                actual << sibling->objectName();
        }
        QCOMPARE(actual, it.value());
    }
}

void TestMainForm::windowHoldsTheFormsBars()
{
    QCOMPARE(window->centralWidget(), ui.centralwidget);
    QCOMPARE(window->menuBar(), ui.menubar);
    QCOMPARE(window->statusBar(), ui.statusbar);
    QVERIFY(ui.statusbar->currentMessage().isEmpty());
    QCOMPARE(ui.releaseTopicLongMsgBtn->parentWidget(), ui.extendGroupBox);
    QCOMPARE(ui.action_Nimbrel_IoT->parent(), window.get());
}

void TestMainForm::boxLayoutsHoldTheirItemsInOrder_data()
{
    QTest::addColumn<QString>("layoutName");
    QTest::addColumn<QString>("owner");
    QTest::addColumn<QStringList>("items");
    QTest::newRow("horizontalLayout_3")
        << "horizontalLayout_3"
        << "centralwidget" << QStringList{"verticalLayout", "mainWindowSplitter", "extendGroupBox"};
    QTest::newRow("verticalLayout") << "verticalLayout" << QString()
                                    << QStringList{"scanPortBtn", "connectBtn", "portListWidget"};
    QTest::newRow("verticalLayout_3")
        << "verticalLayout_3"
        << "layoutWidget" << QStringList{"horizontalLayout_2", "textBrowser"};
    QTest::newRow("horizontalLayout_2")
        << "horizontalLayout_2" << QString() << QStringList{"orderHasSendLabel", "cleanBtn"};
    QTest::newRow("horizontalLayout")
        << "horizontalLayout" << QString() << QStringList{"topicLabel", "topicLineEdit"};
    QTest::newRow("verticalLayout_2")
        << "verticalLayout_2"
        << "extendGroupBox"
        << QStringList{"IoTDeviceInFoGroupBox", "mqtt_connect_config_area", "deviceIoTInfoToolBtn",
                       "modeGroupBox",          "releaseTopicLongMsgBtn",   "<spacer>"};
}

void TestMainForm::boxLayoutsHoldTheirItemsInOrder()
{
    QFETCH(QString, layoutName);
    QFETCH(QString, owner);
    QFETCH(QStringList, items);
    auto *layout = child<QBoxLayout>(layoutName);
    QVERIFY(layout);
    if (!owner.isEmpty())
        QCOMPARE(child<QWidget>(owner)->layout(), layout);
    QStringList actual;
    for (int i = 0; i < layout->count(); ++i)
        actual << itemName(layout->itemAt(i));
    QCOMPARE(actual, items);
}

void TestMainForm::gridsPlaceItemsInTheirCells_data()
{
    QTest::addColumn<QString>("gridName");
    QTest::addColumn<QString>("itemName");
    QTest::addColumn<GridCell>("cell");

    auto cell = [](const char *grid, const char *item, int row, int column, int rowSpan,
                   int columnSpan) {
        QTest::addRow("%s/%s", grid, item)
            << grid << item << GridCell{row, column, rowSpan, columnSpan};
    };
    cell("gridLayout", "horizontalLayout", 0, 0, 1, 5);
    cell("gridLayout", "orderPlainTextEdit", 1, 0, 1, 5);
    cell("gridLayout", "qosLabel", 2, 2, 1, 1);
    cell("gridLayout", "qosComboBox", 2, 3, 1, 1);
    cell("gridLayout", "sendBtn", 2, 4, 1, 1);
    cell("IoTDeviceInfoGridLayout", "productIDLabel", 0, 0, 1, 1);
    cell("IoTDeviceInfoGridLayout", "productIDLineEdit", 0, 1, 1, 1);
    cell("IoTDeviceInfoGridLayout", "deviceNameLabel", 1, 0, 1, 1);
    cell("IoTDeviceInfoGridLayout", "deviceNameLineEdit", 1, 1, 1, 1);
    cell("IoTDeviceInfoGridLayout", "deviceSecretLabel", 2, 0, 1, 1);
    cell("IoTDeviceInfoGridLayout", "deviceSecretLineEdit", 2, 1, 1, 1);
    const char *mqttRows[] = {"tlsmode", "cmdtimeout", "keepalive", "clean_session", "reconnect"};
    const char *mqttFields[] = {"_combobox", "_spinbox", "_spinbox", "_combobox", "_combobox"};
    for (int row = 0; row < 5; ++row) {
        const QByteArray label = QByteArray(mqttRows[row]) + "_label";
        const QByteArray field = QByteArray(mqttRows[row]) + mqttFields[row];
        cell("gridLayout_2", label.constData(), row, 0, 1, 1);
        cell("gridLayout_2", field.constData(), row, 1, 1, 1);
    }
    cell("gridLayout_4", "ATorderModeBtn", 0, 0, 1, 1);
    cell("gridLayout_4", "set_dev_conf_btn", 0, 1, 1, 1);
    cell("gridLayout_4", "connect_wifi_btn", 1, 0, 1, 2);
    cell("gridLayout_4", "connectNimbrelCloudBtn", 5, 0, 1, 1);
    cell("gridLayout_4", "subTopicBtn", 5, 1, 1, 1);
    cell("gridLayout_4", "unsubTopicBtn", 6, 0, 1, 1);
    cell("gridLayout_4", "releaseTopicMsgBtn", 6, 1, 1, 1);
}

void TestMainForm::gridsPlaceItemsInTheirCells()
{
    QFETCH(QString, gridName);
    QFETCH(QString, itemName);
    QFETCH(GridCell, cell);
    auto *grid = child<QGridLayout>(gridName);
    QVERIFY(grid);
    int index = -1;
    for (int i = 0; i < grid->count(); ++i) {
        if (::itemName(grid->itemAt(i)) == itemName)
            index = i;
    }
    QVERIFY2(index >= 0, qPrintable(itemName + " is not in " + gridName));
    QCOMPARE(cellAt(grid, index), cell);
}

void TestMainForm::gridCellsStayEmpty_data()
{
    QTest::addColumn<QString>("gridName");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("itemCount");
    QTest::newRow("input row 2, col 0") << "gridLayout" << 2 << 0 << 5;
    QTest::newRow("input row 2, col 1") << "gridLayout" << 2 << 1 << 5;
    for (int row = 2; row <= 4; ++row) {
        for (int column = 0; column <= 1; ++column)
            QTest::addRow("mode row %d, col %d", row, column)
                << "gridLayout_4" << row << column << 7;
    }
}

void TestMainForm::gridCellsStayEmpty()
{
    QFETCH(QString, gridName);
    QFETCH(int, row);
    QFETCH(int, column);
    QFETCH(int, itemCount);
    auto *grid = child<QGridLayout>(gridName);
    QVERIFY(grid);
    QCOMPARE(grid->count(), itemCount);
    QVERIFY(!grid->itemAtPosition(row, column));
}

void TestMainForm::layoutsHaveTheirSpacingAndMargins_data()
{
    QTest::addColumn<QString>("layoutName");
    QTest::addColumn<int>("spacing");
    QTest::addColumn<QMargins>("margins");
    QTest::newRow("horizontalLayout_3") << "horizontalLayout_3" << 0 << QMargins(3, 0, 3, 0);
    QTest::newRow("verticalLayout_3") << "verticalLayout_3" << 0 << QMargins(0, 0, 0, 0);
    QTest::newRow("gridLayout") << "gridLayout" << 0 << QMargins(0, 0, 0, 0);
    QTest::newRow("verticalLayout_2") << "verticalLayout_2" << 0 << QMargins(0, 0, 0, 0);
    QTest::newRow("IoTDeviceInfoGridLayout")
        << "IoTDeviceInfoGridLayout" << 0 << QMargins(0, 0, 0, 0);
    QTest::newRow("gridLayout_4") << "gridLayout_4" << 0 << QMargins(0, 0, 0, 0);
    // Sub-layouts take no margins of their own.
    QTest::newRow("verticalLayout") << "verticalLayout" << 0 << QMargins(0, 0, 0, 0);
    QTest::newRow("horizontalLayout_2") << "horizontalLayout_2" << 0 << QMargins(0, 0, 0, 0);
    QTest::newRow("horizontalLayout") << "horizontalLayout" << 0 << QMargins(0, 0, 0, 0);
}

void TestMainForm::layoutsHaveTheirSpacingAndMargins()
{
    QFETCH(QString, layoutName);
    QFETCH(int, spacing);
    QFETCH(QMargins, margins);
    auto *layout = child<QLayout>(layoutName);
    QVERIFY(layout);
    QCOMPARE(layout->spacing(), spacing);
    QCOMPARE(layout->contentsMargins(), margins);
    if (auto *grid = qobject_cast<QGridLayout *>(layout)) {
        QCOMPARE(grid->horizontalSpacing(), spacing);
        QCOMPARE(grid->verticalSpacing(), spacing);
    }
}

void TestMainForm::mqttGridKeepsDefaultSpacing()
{
    // Layout margins differ between windows and child widgets, so the
    // reference group box must be a child as well.
    QWidget parent;
    auto *defaults = new QGridLayout(new QGroupBox(&parent));
    QCOMPARE(ui.gridLayout_2->horizontalSpacing(), defaults->horizontalSpacing());
    QCOMPARE(ui.gridLayout_2->verticalSpacing(), defaults->verticalSpacing());
    QCOMPARE(ui.gridLayout_2->contentsMargins(), defaults->contentsMargins());
    QCOMPARE(ui.horizontalLayout->sizeConstraint(), QLayout::SetFixedSize);
}

void TestMainForm::splitterStacksConsoleOverInput()
{
    QSplitter *splitter = ui.mainWindowSplitter;
    QCOMPARE(splitter->count(), 2);
    QCOMPARE(splitter->widget(0), ui.layoutWidget);
    QCOMPARE(splitter->widget(1), ui.inputGroupBox);
    QCOMPARE(splitter->orientation(), Qt::Vertical);
    QCOMPARE(splitter->handleWidth(), 5);
    QVERIFY(!splitter->opaqueResize());
}

void TestMainForm::spacerPushesExtensionAreaUp()
{
    QLayoutItem *last = ui.verticalLayout_2->itemAt(ui.verticalLayout_2->count() - 1);
    QVERIFY(last);
    QSpacerItem *spacer = last->spacerItem();
    QVERIFY(spacer);
    QCOMPARE(spacer, ui.verticalSpacer);
    QCOMPARE(spacer->sizeHint(), QSize(228, 213));
    QCOMPARE(spacer->sizePolicy().horizontalPolicy(), QSizePolicy::Minimum);
    QCOMPARE(spacer->sizePolicy().verticalPolicy(), QSizePolicy::Expanding);
    QCOMPARE(spacer->expandingDirections(), Qt::Vertical);
}

void TestMainForm::showsTheTextsOfTheForm_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("property");
    QTest::addColumn<QString>("text");
    auto text = [](const char *name, const char *property, const QString &value) {
        QTest::addRow("%s", name) << name << QByteArray(property) << value;
    };
    text("MainWindow", "windowTitle", "Atlume");
    text("action_Nimbrel_IoT", "text", "关于 Atlume");
    text("scanPortBtn", "text", "扫描串口");
    text("connectBtn", "text", "Connect");
    text("orderHasSendLabel", "text", "已发送信息: 0条");
    text("cleanBtn", "text", "清除");
    text("textBrowser", "plainText", "");
    text("inputGroupBox", "title", "");
    text("topicLabel", "text", "Topic: ");
    text("topicLineEdit", "text", "");
    text("orderPlainTextEdit", "plainText", "");
    text("qosLabel", "text", "QoS:");
    text("sendBtn", "text", "发送");
    text("extendGroupBox", "title", "");
    text("IoTDeviceInFoGroupBox", "title", "设备参数");
    text("productIDLabel", "text", "产品ID：");
    text("productIDLineEdit", "text", "");
    text("deviceNameLabel", "text", "设备名称：");
    text("deviceNameLineEdit", "text", "");
    text("deviceSecretLabel", "text", "设备秘钥：");
    text("deviceSecretLineEdit", "text", "");
    text("mqtt_connect_config_area", "title", "MQTT连接参数");
    text("tlsmode_label", "text", "接入方式：");
    text("cmdtimeout_label", "text", "命令超时时间：");
    text("keepalive_label", "text", "心跳间隔：");
    text("clean_session_label", "text", "是否清除会话：");
    text("reconnect_label", "text", "是否重连：");
    text("deviceIoTInfoToolBtn", "text", "隐藏物联网设置设置");
    text("modeGroupBox", "title", "");
    text("ATorderModeBtn", "text", "AT指令模式");
    text("set_dev_conf_btn", "text", "设置设备信息");
    text("connectNimbrelCloudBtn", "text", "连接Nimbrel云");
    text("subTopicBtn", "text", "订阅主题");
    text("unsubTopicBtn", "text", "取消订阅");
    text("releaseTopicMsgBtn", "text", "发布消息");
    text("releaseTopicLongMsgBtn", "text", "发布长消息");
    text("menu_S", "title", "设置(&S)");
    text("menu_H", "title", "帮助(&H)");
}

void TestMainForm::showsTheTextsOfTheForm()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, property);
    QFETCH(QString, text);
    QObject *found = object(name);
    QVERIFY(found);
    const QVariant value = found->property(property.constData());
    QVERIFY2(value.isValid(), property.constData());
    QCOMPARE(value.toString(), text);
}

void TestMainForm::textsAreLookedUpInMainWindowContext_data()
{
    showsTheTextsOfTheForm_data();
}

void TestMainForm::textsAreLookedUpInMainWindowContext()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, property);
    QFETCH(QString, text);
    ContextTagger tagger;
    QCoreApplication::installTranslator(&tagger);
    ui.retranslateUi(window.get());
    QCoreApplication::removeTranslator(&tagger);
    const QString expected = text.isEmpty() ? QString() : QStringLiteral("MainWindow|") + text;
    QCOMPARE(object(name)->property(property.constData()).toString(), expected);
}

void TestMainForm::comboBoxesOfferTheirItems_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<int>("currentIndex");
    QTest::newRow("qosComboBox") << "qosComboBox" << QStringList{"0", "1"} << 0;
    QTest::newRow("tlsmode_combobox")
        << "tlsmode_combobox" << QStringList{"直连模式", "TLS秘钥方式", "TLS证书方式"} << 0;
    QTest::newRow("clean_session_combobox")
        << "clean_session_combobox" << QStringList{"不清除", "清除"} << 0;
    QTest::newRow("reconnect_combobox")
        << "reconnect_combobox" << QStringList{"不自动重连", "自动重连"} << 1;
    QTest::newRow("connect_wifi_btn")
        << "connect_wifi_btn"
        << QStringList{"断开WiFi", "直接连接WiFi", "Smart Config 配网", "softAP 配网"} << 0;
}

void TestMainForm::comboBoxesOfferTheirItems()
{
    QFETCH(QString, name);
    QFETCH(QStringList, items);
    QFETCH(int, currentIndex);
    auto *combo = child<QComboBox>(name);
    QVERIFY(combo);
    QStringList actual;
    for (int i = 0; i < combo->count(); ++i)
        actual << combo->itemText(i);
    QCOMPARE(actual, items);
    QCOMPARE(combo->currentIndex(), currentIndex);
    QCOMPARE(combo->currentText(), items.at(currentIndex));
    QVERIFY(!combo->isEditable());
}

void TestMainForm::comboItemsAreLookedUpInMainWindowContext_data()
{
    comboBoxesOfferTheirItems_data();
}

void TestMainForm::comboItemsAreLookedUpInMainWindowContext()
{
    QFETCH(QString, name);
    QFETCH(QStringList, items);
    QFETCH(int, currentIndex);
    ContextTagger tagger;
    QCoreApplication::installTranslator(&tagger);
    ui.retranslateUi(window.get());
    QCoreApplication::removeTranslator(&tagger);
    auto *combo = child<QComboBox>(name);
    QCOMPARE(combo->count(), items.size());
    for (int i = 0; i < items.size(); ++i)
        QCOMPARE(combo->itemText(i), QStringLiteral("MainWindow|") + items.at(i));
    // Retranslating renames the items and leaves the selection alone.
    QCOMPARE(combo->currentIndex(), currentIndex);
}

void TestMainForm::spinBoxesHaveTheirRangesAndValues_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("minimum");
    QTest::addColumn<int>("maximum");
    QTest::addColumn<int>("value");
    QTest::newRow("cmdtimeout_spinbox") << "cmdtimeout_spinbox" << 1000 << 10000 << 5000;
    QTest::newRow("keepalive_spinbox") << "keepalive_spinbox" << 60 << 690 << 240;
}

void TestMainForm::spinBoxesHaveTheirRangesAndValues()
{
    QFETCH(QString, name);
    QFETCH(int, minimum);
    QFETCH(int, maximum);
    QFETCH(int, value);
    auto *spin = child<QSpinBox>(name);
    QVERIFY(spin);
    QCOMPARE(spin->minimum(), minimum);
    QCOMPARE(spin->maximum(), maximum);
    QCOMPARE(spin->value(), value);
    QCOMPARE(spin->singleStep(), 1);
    QVERIFY(spin->prefix().isEmpty());
    QVERIFY(spin->suffix().isEmpty());
    QCOMPARE(spin->text(), QString::number(value));
}

void TestMainForm::widgetsKeepTheirSizeLimits_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSize>("minimum");
    QTest::addColumn<QSize>("maximum");
    auto limits = [](const char *name, QSize minimum, QSize maximum) {
        QTest::addRow("%s", name) << name << minimum << maximum;
    };
    const QSize unlimited(kMax, kMax);
    limits("MainWindow", QSize(774, 550), unlimited);
    limits("centralwidget", QSize(0, 0), unlimited);
    limits("scanPortBtn", QSize(100, 30), QSize(100, 30));
    limits("connectBtn", QSize(100, 30), QSize(100, kMax));
    limits("portListWidget", QSize(100, 0), QSize(100, kMax));
    limits("mainWindowSplitter", QSize(400, 0), unlimited);
    limits("cleanBtn", QSize(100, 30), QSize(100, kMax));
    limits("textBrowser", QSize(400, 200), unlimited);
    limits("topicLabel", QSize(0, 0), QSize(50, kMax));
    limits("topicLineEdit", QSize(185, 25), QSize(kMax, 25));
    limits("qosLabel", QSize(40, 30), QSize(40, kMax));
    limits("qosComboBox", QSize(0, 30), QSize(30, kMax));
    limits("sendBtn", QSize(100, 30), QSize(100, 30));
    limits("extendGroupBox", QSize(268, 0), QSize(268, kMax));
    limits("productIDLabel", QSize(0, 26), unlimited);
    limits("deviceNameLabel", QSize(0, 26), unlimited);
    limits("deviceSecretLabel", QSize(0, 26), unlimited);
    limits("mqtt_connect_config_area", QSize(0, 0), unlimited);
    limits("deviceIoTInfoToolBtn", QSize(268, 15), QSize(268, 15));
    limits("modeGroupBox", QSize(266, 0), QSize(366, kMax));
    limits("ATorderModeBtn", QSize(0, 30), QSize(kMax, 30));
    limits("set_dev_conf_btn", QSize(0, 30), unlimited);
    limits("connect_wifi_btn", QSize(0, 30), unlimited);
    limits("connectNimbrelCloudBtn", QSize(0, 30), QSize(kMax, 30));
    limits("subTopicBtn", QSize(0, 30), QSize(kMax, 30));
    limits("unsubTopicBtn", QSize(0, 30), QSize(kMax, 30));
    limits("releaseTopicMsgBtn", QSize(0, 30), QSize(kMax, 30));
    limits("releaseTopicLongMsgBtn", QSize(0, 30), QSize(kMax, 30));
}

void TestMainForm::widgetsKeepTheirSizeLimits()
{
    QFETCH(QString, name);
    QFETCH(QSize, minimum);
    QFETCH(QSize, maximum);
    auto *widget = qobject_cast<QWidget *>(object(name));
    QVERIFY(widget);
    QCOMPARE(widget->minimumSize(), minimum);
    QCOMPARE(widget->maximumSize(), maximum);
}

void TestMainForm::widgetsUseTheirFonts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("pointSize");
    const char *windowFont[] = {"MainWindow",     "action_Nimbrel_IoT",
                                "portListWidget", "orderHasSendLabel",
                                "topicLabel",     "menubar",
                                "menu_S",         "menu_H",
                                "statusbar"};
    for (const char *name : windowFont)
        QTest::addRow("%s", name) << name << 12;
    const char *small[] = {"textBrowser",         "productIDLabel",    "deviceNameLabel",
                           "deviceSecretLabel",   "productIDLineEdit", "deviceNameLineEdit",
                           "deviceSecretLineEdit"};
    for (const char *name : small)
        QTest::addRow("%s", name) << name << 10;
    QTest::newRow("deviceIoTInfoToolBtn") << "deviceIoTInfoToolBtn" << 8;
    const char *buttons[] = {"ATorderModeBtn",     "set_dev_conf_btn",       "connect_wifi_btn",
                             "subTopicBtn",        "connectNimbrelCloudBtn", "unsubTopicBtn",
                             "releaseTopicMsgBtn", "releaseTopicLongMsgBtn"};
    for (const char *name : buttons)
        QTest::addRow("%s", name) << name << 12;
    // Widgets without a font of their own take the window's.
    const char *inherited[] = {"scanPortBtn", "sendBtn", "tlsmode_label", "keepalive_spinbox"};
    for (const char *name : inherited)
        QTest::addRow("%s (inherited)", name) << name << 12;
}

void TestMainForm::widgetsUseTheirFonts()
{
    QFETCH(QString, name);
    QFETCH(int, pointSize);
    QObject *found = object(name);
    QVERIFY(found);
    QFont font;
    if (auto *action = qobject_cast<QAction *>(found))
        font = action->font();
    else
        font = qobject_cast<QWidget *>(found)->font();
    QCOMPARE(font.family(), kFamily);
    QCOMPARE(font.pointSize(), pointSize);
}

void TestMainForm::onlyTheListedFieldsHaveALightBase_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("light");
    const char *light[] = {"portListWidget", "textBrowser", "qosComboBox", "topicLineEdit",
                           "orderPlainTextEdit"};
    for (const char *name : light)
        QTest::addRow("%s", name) << name << true;
    const char *plain[] = {"productIDLineEdit", "tlsmode_combobox", "cmdtimeout_spinbox",
                           "connect_wifi_btn"};
    for (const char *name : plain)
        QTest::addRow("%s", name) << name << false;
}

void TestMainForm::onlyTheListedFieldsHaveALightBase()
{
    QFETCH(QString, name);
    QFETCH(bool, light);
    auto *widget = child<QWidget>(name);
    QVERIFY(widget);
    QCOMPARE(widget->testAttribute(Qt::WA_SetPalette), light);
    if (!light)
        return;
    const QPalette palette = widget->palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        QCOMPARE(palette.brush(group, QPalette::Base).style(), Qt::SolidPattern);
        QCOMPARE(palette.color(group, QPalette::Base), kLightBase);
    }
}

void TestMainForm::objectsHaveTheirDesignedProperties_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("property");
    QTest::addColumn<QVariant>("expected");
    auto prop = [](const char *name, const char *property, const QVariant &expected) {
        QTest::addRow("%s.%s", name, property) << name << QByteArray(property) << expected;
    };
    prop("MainWindow", "mouseTracking", true);
    prop("centralwidget", "mouseTracking", true);
    prop("portListWidget", "frameShape", int(QFrame::StyledPanel));
    prop("portListWidget", "contextMenuPolicy", int(Qt::CustomContextMenu));
    prop("portListWidget", "baseSize", QSize(75, 450));
    prop("mainWindowSplitter", "styleSheet", QString());
    prop("mainWindowSplitter", "frameShape", int(QFrame::NoFrame));
    prop("mainWindowSplitter", "frameShadow", int(QFrame::Sunken));
    prop("textBrowser", "frameShape", int(QFrame::NoFrame));
    prop("textBrowser", "mouseTracking", true);
    prop("textBrowser", "readOnly", true);
    prop("topicLineEdit", "frame", true);
    prop("orderPlainTextEdit", "frameShape", int(QFrame::NoFrame));
    prop("orderPlainTextEdit", "frameShadow", int(QFrame::Plain));
    prop("orderPlainTextEdit", "autoFillBackground", true);
    prop("qosComboBox", "frame", false);
    prop("qosComboBox", "autoFillBackground", true);
    prop("deviceSecretLineEdit", "echoMode", int(QLineEdit::Normal));
    prop("deviceIoTInfoToolBtn", "autoFillBackground", false);
    prop("deviceIoTInfoToolBtn", "iconSize", QSize(15, 15));
    prop("ATorderModeBtn", "layoutDirection", int(Qt::LeftToRight));
    prop("subTopicBtn", "baseSize", QSize(0, 30));
    const char *cloudButtons[] = {"ATorderModeBtn",         "set_dev_conf_btn",
                                  "connect_wifi_btn",       "subTopicBtn",
                                  "connectNimbrelCloudBtn", "unsubTopicBtn",
                                  "releaseTopicMsgBtn",     "releaseTopicLongMsgBtn"};
    for (const char *name : cloudButtons)
        prop(name, "iconSize", QSize(30, 30));
    const char *checkable[] = {"ATorderModeBtn",     "connectNimbrelCloudBtn",
                               "subTopicBtn",        "unsubTopicBtn",
                               "releaseTopicMsgBtn", "releaseTopicLongMsgBtn"};
    for (const char *name : checkable)
        prop(name, "checkable", true);
    const char *plainButtons[] = {"set_dev_conf_btn", "deviceIoTInfoToolBtn",
                                  "scanPortBtn",      "connectBtn",
                                  "cleanBtn",         "sendBtn"};
    for (const char *name : plainButtons)
        prop(name, "checkable", false);
}

void TestMainForm::objectsHaveTheirDesignedProperties()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, property);
    QFETCH(QVariant, expected);
    QObject *found = object(name);
    QVERIFY(found);
    const QVariant actual = found->property(property.constData());
    QVERIFY2(actual.isValid(), property.constData());
    // Enumerations come back typed; compare them by value.
    if (expected.userType() == QMetaType::Int)
        QCOMPARE(actual.toInt(), expected.toInt());
    else
        QCOMPARE(actual, expected);
}

void TestMainForm::mqttLabelsAlignRight_data()
{
    QTest::addColumn<QString>("name");
    const char *labels[] = {"tlsmode_label", "cmdtimeout_label", "keepalive_label",
                            "clean_session_label", "reconnect_label"};
    for (const char *name : labels)
        QTest::addRow("%s", name) << name;
}

void TestMainForm::mqttLabelsAlignRight()
{
    QFETCH(QString, name);
    auto *label = child<QLabel>(name);
    QVERIFY(label);
    QCOMPARE(label->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight | Qt::AlignTrailing);
    QCOMPARE(label->alignment() & Qt::AlignVertical_Mask, Qt::AlignVCenter);
}

void TestMainForm::menuBarHoldsTheSettingsAndHelpMenus()
{
    QCOMPARE(ui.menubar->geometry(), QRect(0, 0, 774, 22));
    const QList<QAction *> bar = ui.menubar->actions();
    QCOMPARE(bar.size(), 2);
    QCOMPARE(bar.at(0), ui.menu_S->menuAction());
    QCOMPARE(bar.at(1), ui.menu_H->menuAction());
    QVERIFY(ui.menu_S->actions().isEmpty());
    QCOMPARE(ui.menu_H->actions(), QList<QAction *>{ui.action_Nimbrel_IoT});
    QCOMPARE(ui.menu_H->actions().constFirst()->text(), QStringLiteral("关于 Atlume"));
}

void TestMainForm::windowStartsAtItsSize()
{
    QCOMPARE(window->size(), QSize(774, 648));
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    QCOMPARE(window->size(), QSize(774, 648));
}

void TestMainForm::windowCannotShrinkBelowMinimum()
{
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    window->resize(300, 200);
    QCOMPARE(window->size(), QSize(774, 550));
    // The layout must not ask for more than the form's minimum either: the
    // three columns add up to exactly 774 pixels.
    QVERIFY(window->minimumSizeHint().width() <= 774);
    QTRY_COMPARE(ui.mainWindowSplitter->width(), 400);
}

void TestMainForm::columnsKeepTheirWidths_data()
{
    QTest::addColumn<QSize>("windowSize");
    QTest::newRow("minimum") << QSize(774, 550);
    QTest::newRow("initial") << QSize(774, 648);
    QTest::newRow("large") << QSize(1280, 960);
}

void TestMainForm::columnsKeepTheirWidths()
{
    QFETCH(QSize, windowSize);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    window->resize(windowSize);
    QTRY_COMPARE(ui.centralwidget->width(), windowSize.width());
    QTRY_COMPARE(ui.extendGroupBox->width(), 268);
    QCOMPARE(ui.scanPortBtn->size(), QSize(100, 30));
    QCOMPARE(ui.sendBtn->size(), QSize(100, 30));
    QCOMPARE(ui.portListWidget->width(), 100);
    QCOMPARE(ui.connectBtn->width(), 100);
    QCOMPARE(ui.deviceIoTInfoToolBtn->size(), QSize(268, 15));
    // Port column, splitter, extension area: left to right, edge to edge
    // between the 3-pixel side margins.
    QCOMPARE(ui.portListWidget->x(), 3);
    QCOMPARE(ui.mainWindowSplitter->x(), 103);
    QCOMPARE(ui.mainWindowSplitter->x() + ui.mainWindowSplitter->width(), ui.extendGroupBox->x());
    QCOMPARE(ui.extendGroupBox->x() + 268 + 3, windowSize.width());
    QVERIFY(ui.layoutWidget->geometry().bottom() < ui.inputGroupBox->geometry().top());
}

QTEST_MAIN(TestMainForm)
#include "tst_mainform.moc"
