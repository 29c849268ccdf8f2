#include "mainwindow.h"

#include "aboutdialog.h"
#include "commandhistory.h"
#include "console.h"
#include "mouseposition.h"
#include "settingsfile.h"
#include "ui_mainwindow.h"

#include <QCloseEvent>
#include <QDir>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QToolButton>

namespace {
constexpr int kZoneWidth = 13;
constexpr int kZoneHalfHeight = 50;
constexpr int kZoneHeight = 100;

const char kGroupBoxStyle[] = "#groupBox{border: none;}";

// The hover zone over the console, which is also the tool button's geometry.
QRect extendZone(const QWidget *console)
{
    return QRect(console->width() - kZoneWidth, console->height() / 2 - kZoneHalfHeight, kZoneWidth,
                 kZoneHeight);
}

// The same strip in the console's vertical scroll bar's own coordinates.
QRect scrollBarZone(const QWidget *bar)
{
    return QRect(0, bar->height() / 2 - kZoneHalfHeight, kZoneWidth, kZoneHeight);
}
} // namespace

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent), ui(new Ui::MainWindow), serialPort(new QSerialPort(this))
{
    qRegisterMetaType<DEVICE_SIGNAL>("DEVICE_SIGNAL");
    ui->setupUi(this);
    init();
}

MainWindow::~MainWindow()
{
    delete ui;
}

void MainWindow::init()
{
    setPortListWidget();

    ui->connectBtn->setDisabled(true);
    ui->orderPlainTextEdit->setDisabled(true);
    ui->sendBtn->setDisabled(true);

    connect(serialPort, &QSerialPort::errorOccurred, this, &MainWindow::printSerialError);

    QDir confDir(QStringLiteral("./conf/"));
    if (!confDir.exists(QStringLiteral("portConf")))
        confDir.mkdir(QStringLiteral("portConf"));

    ui->portListWidget->setToolTip(tr("  双击串口名称可对通讯模组串口属性进行设置。"));
    ui->inputGroupBox->setStyleSheet(QLatin1String(kGroupBoxStyle));

    ui->qosComboBox->setCurrentIndex(0);
    setTopicFieldsVisible(false);

    setupConsole();
    ui->orderPlainTextEdit->installEventFilter(this);
    // Keyboard focus entering the port list must never choose a port by itself.
    ui->portListWidget->installEventFilter(this);

    setup_toolBtn_extendArea();

    connect(serialPort, &QSerialPort::readyRead, this, &MainWindow::serialPort_readyRead);
}

void MainWindow::setupConsole()
{
    console = new Console(ui->textBrowser);
    console->setSettingsPath(QStringLiteral("./conf/console.json"));
    history = new CommandHistory(ui->orderPlainTextEdit);

    ui->textBrowser->viewport()->installEventFilter(this);
    QScrollBar *bar = ui->textBrowser->verticalScrollBar();
    bar->setAttribute(Qt::WA_MouseTracking);
    bar->installEventFilter(this);
    bar->setStyleSheet(
        atlume::readStyleSheet(QStringLiteral("./conf/vertical_scroll_bar_style.qss")));
}

void MainWindow::setup_toolBtn_extendArea()
{
    createExtendToolBtn();

    // Through tr(), unlike the same sheet set on inputGroupBox in init():
    // a translator installed at run time sees these selectors as texts.
    ui->modeGroupBox->setStyleSheet(QObject::tr(kGroupBoxStyle));
    ui->IoTDeviceInFoGroupBox->setStyleSheet(QObject::tr(kGroupBoxStyle));
    ui->extendGroupBox->setStyleSheet(QObject::tr(kGroupBoxStyle));

    ui->extendGroupBox->installEventFilter(this);
    ui->IoTDeviceInFoGroupBox->installEventFilter(this);
    ui->modeGroupBox->installEventFilter(this);

    ui->connect_wifi_btn->setCurrentIndex(1);
    extendAreaWidth = ui->extendGroupBox->width();

    reset_extend_area_btns();
    disable_device_info_edits();
    disable_mqtt_conf_widgets();

    add_mode_btn(ui->subTopicBtn);
    add_mode_btn(ui->unsubTopicBtn);
    add_mode_btn(ui->releaseTopicMsgBtn);
    add_mode_btn(ui->releaseTopicLongMsgBtn);
    add_mode_btn(ui->ATorderModeBtn);

    ui->tlsmode_combobox->setCurrentIndex(1);
    ui->tlsmode_combobox->setDisabled(true);

    connect(this, &MainWindow::device_return_signal, this,
            &MainWindow::set_extend_area_btns_by_device_return);
}

void MainWindow::createExtendToolBtn()
{
    extendToolBtn = new QToolButton(ui->textBrowser);
    extendToolBtn->setFont(QFont(QStringLiteral("NSimSun"), 16));
    // Leaving the button must hide it, and not every style sends hover-leave events.
    extendToolBtn->setAttribute(Qt::WA_Hover);
    extendToolBtn->installEventFilter(this);
    connect(extendToolBtn, &QToolButton::clicked, this, &MainWindow::extendToolBtn_clicked);
    extendToolBtn->hide();
}

void MainWindow::extendToolBtn_clicked()
{
    if (ui->extendGroupBox->isHidden()) {
        setMinimumWidth(minimumWidth() + extendAreaWidth);
        ui->extendGroupBox->show();
        extendToolBtn->setText(QStringLiteral("◀"));
    } else {
        ui->extendGroupBox->hide();
        setMinimumWidth(minimumWidth() - extendAreaWidth);
        extendToolBtn->setText(QStringLiteral("▶"));
    }
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    bool handled = false;
    if (watched == ui->textBrowser->verticalScrollBar())
        handled = consoleScrollBarEvent(event);
    else if (watched == ui->textBrowser->viewport())
        consoleViewportEvent(event);
    else if (watched == extendToolBtn)
        extendToolBtnEvent(event);
    else if (watched == ui->extendGroupBox)
        extendGroupBoxEvent();
    else if (watched == ui->orderPlainTextEdit)
        handled = commandBoxEvent(event);
    else if (watched == ui->portListWidget)
        handled = portListEvent(event);
    return handled || QMainWindow::eventFilter(watched, event);
}

bool MainWindow::consoleScrollBarEvent(QEvent *event)
{
    if (event->type() != QEvent::MouseMove || !extendToolBtn)
        return false;
    const auto *move = static_cast<QMouseEvent *>(event);
    QScrollBar *bar = ui->textBrowser->verticalScrollBar();
    // A drag of the scroll bar must go on, whatever it passes over.
    if (move->buttons() != Qt::NoButton || !scrollBarZone(bar).contains(mousePosition(move)))
        return false;
    bar->hide();
    extendToolBtn->setGeometry(extendZone(ui->textBrowser));
    extendToolBtn->show();
    return true;
}

void MainWindow::consoleViewportEvent(QEvent *event)
{
    if (event->type() != QEvent::MouseMove || !extendToolBtn)
        return;
    const auto *move = static_cast<QMouseEvent *>(event);
    const QRect zone = extendZone(ui->textBrowser);
    if (!zone.contains(mousePosition(move))) {
        hideExtendToolBtn();
        return;
    }
    extendToolBtn->setGeometry(zone);
    if (ui->extendGroupBox->isHidden()) {
        extendToolBtn->setText(QStringLiteral("▶"));
        extendToolBtn->setToolTip(tr(" 打开扩展区域"));
    } else {
        extendToolBtn->setText(QStringLiteral("◀"));
        extendToolBtn->setToolTip(tr(" 关闭扩展区域"));
    }
    extendToolBtn->show();
}

void MainWindow::extendToolBtnEvent(QEvent *event)
{
    if (event->type() == QEvent::HoverLeave)
        hideExtendToolBtn();
}

void MainWindow::extendGroupBoxEvent()
{
    if (extendToolBtn)
        extendToolBtn->hide();
}

void MainWindow::hideExtendToolBtn()
{
    ui->textBrowser->verticalScrollBar()->show();
    extendToolBtn->hide();
}

bool MainWindow::commandBoxEvent(QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto *key = static_cast<QKeyEvent *>(event);
    if (key->key() != Qt::Key_Return)
        return false;
    if (key->modifiers() == Qt::AltModifier)
        ui->orderPlainTextEdit->insertPlainText(QStringLiteral("\n"));
    else
        on_sendBtn_clicked();
    return true;
}

bool MainWindow::portListEvent(QEvent *event)
{
    if (event->type() != QEvent::FocusIn || ui->portListWidget->currentItem())
        return false;
    // Given focus without a current row, the list makes its first row
    // current, which would switch the working port although nobody chose
    // it. Let the list take focus with its signals blocked, then undo that.
    const QSignalBlocker blocker(ui->portListWidget);
    static_cast<QObject *>(ui->portListWidget)->event(event);
    ui->portListWidget->setCurrentItem(nullptr);
    return true;
}

void MainWindow::on_deviceIoTInfoToolBtn_clicked()
{
    if (ui->IoTDeviceInFoGroupBox->isHidden()) {
        ui->IoTDeviceInFoGroupBox->show();
        ui->mqtt_connect_config_area->show();
        ui->deviceIoTInfoToolBtn->setText(tr("隐藏物联网设置区域"));
    } else {
        ui->IoTDeviceInFoGroupBox->hide();
        ui->mqtt_connect_config_area->hide();
        ui->deviceIoTInfoToolBtn->setText(tr("展开物联网设置区域"));
    }
}

void MainWindow::on_action_Nimbrel_IoT_triggered()
{
    AboutDialog dialog(this);
    // show() before exec() would leave the dialog non-modal; it is meant to block.
    dialog.setModal(true);
    dialog.show();
    dialog.exec();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (ui->portListWidget->currentItem())
        save_port_conf();
    event->accept();
}
