#include "mainwindow.h"

#include "aboutdialog.h"
#include "cloudcontrols.h"
#include "cloudmessagespanel.h"
#include "commandbox.h"
#include "commandcompleter.h"
#include "console.h"
#include "foldbutton.h"
#include "inputmodes.h"
#include "portlist.h"
#include "sendtools.h"
#include "settingsfile.h"
#include "ui_mainwindow.h"

#include <QCloseEvent>
#include <QDir>
#include <QScrollBar>
#include <QToolButton>

namespace {
const char kGroupBoxStyle[] = "#groupBox{border: none;}";

const QString kSmartConfigGuidePicture = QStringLiteral("./conf/SmartConfig_wifi_guid.png");

// Shown when the module has started SmartConfig, after the line that says so.
void printSmartConfigGuide(Console *console)
{
    console->appendParagraph(MainWindow::tr("  SmartConfig配网方式需要使用搭配Lumaro小程序使用"));
    console->appendParagraph(
        MainWindow::tr("  请使用Taviq或者Lumaro小程序扫描下面的二维码配合操作。\r\n"));
    console->appendPicture(kSmartConfigGuidePicture);
}
} // namespace

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent), ui(new Ui::MainWindow), serialPort(new QSerialPort(this)),
      lostDevice(serialPort), userChoices(QStringLiteral("./conf/console.json"))
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

    inputModes = new InputModes({ui->sendBtn, ui->orderPlainTextEdit, ui->ATorderModeBtn,
                                 ui->topicLabel, ui->topicLineEdit, ui->qosLabel, ui->qosComboBox,
                                 ui->productIDLineEdit, ui->deviceNameLineEdit},
                                this);
    ui->qosComboBox->setCurrentIndex(0);
    inputModes->setTopicFieldsVisible(false);

    console = new Console(ui->textBrowser);
    console->useChoices(&userChoices);
    ui->textBrowser->viewport()->installEventFilter(this);
    QScrollBar *bar = ui->textBrowser->verticalScrollBar();
    bar->setAttribute(Qt::WA_MouseTracking);
    bar->installEventFilter(this);
    bar->setStyleSheet(
        atlume::readStyleSheet(QStringLiteral("./conf/vertical_scroll_bar_style.qss")));

    commandBox = new CommandBox(ui->orderPlainTextEdit, &userChoices);
    ui->orderPlainTextEdit->installEventFilter(this);
    sendTools = new SendTools(
        {this, serialPort, commandBox, inputModes, console, &userChoices},
        [this] { return send_from_box(false); },
        [this](const QByteArray &bytes, const QString &shown) { return send_bytes(bytes, shown); });
    new CommandCompleter(ui->orderPlainTextEdit,
                         [this] { return inputModes->mode() == InputModes::AtCommand; });
    cloudMessages = new CloudMessagesPanel(this);
    console->addMenuAction(cloudMessages->toggleAction());

    auto *portList = new PortList(ui->portListWidget);
    portList->useChoices(&userChoices);
    connect(portList, &PortList::rescanWanted, this, &MainWindow::on_scanPortBtn_clicked);
    // After printSerialError, which tells a lost device from other errors.
    connect(serialPort, &QSerialPort::errorOccurred, portList, [this, portList] {
        if (lostDevice.deviceGone() && serialPort->isOpen())
            portList->portLost(currentPortName);
    });
    connect(portList, &PortList::reopenWanted, this, [this](const QString &name) {
        if (serialPort->isOpen() || currentPortName != name)
            return;
        console->appendParagraph(tr("串口 %1 已重新接入，自动重新打开。").arg(name));
        on_connectBtn_clicked();
    });

    setup_toolBtn_extendArea();

    connect(serialPort, &QSerialPort::readyRead, this, &MainWindow::serialPort_readyRead);
}

void MainWindow::setup_toolBtn_extendArea()
{
    foldButton = new FoldButton(ui->textBrowser, ui->extendGroupBox);
    extendToolBtn = foldButton->button();

    // Through tr(), unlike the same sheet set on inputGroupBox in init():
    // a translator installed at run time sees these selectors as texts.
    ui->modeGroupBox->setStyleSheet(QObject::tr(kGroupBoxStyle));
    ui->IoTDeviceInFoGroupBox->setStyleSheet(QObject::tr(kGroupBoxStyle));
    ui->extendGroupBox->setStyleSheet(QObject::tr(kGroupBoxStyle));

    extendToolBtn->installEventFilter(this);
    ui->extendGroupBox->installEventFilter(this);
    ui->IoTDeviceInFoGroupBox->installEventFilter(this);
    ui->modeGroupBox->installEventFilter(this);

    connect(extendToolBtn, &QToolButton::clicked, this, &MainWindow::extendToolBtn_clicked);
    extendToolBtn->hide();

    ui->connect_wifi_btn->setCurrentIndex(1);
    extendAreaWidth = ui->extendGroupBox->width();

    cloudControls = new CloudControls(
        {ui->connect_wifi_btn,
         ui->connectNimbrelCloudBtn,
         ui->set_dev_conf_btn,
         ui->ATorderModeBtn,
         {ui->productIDLineEdit, ui->deviceNameLineEdit, ui->deviceSecretLineEdit},
         {ui->cmdtimeout_spinbox, ui->keepalive_spinbox, ui->clean_session_combobox,
          ui->reconnect_combobox},
         {ui->subTopicBtn, ui->unsubTopicBtn, ui->releaseTopicMsgBtn, ui->releaseTopicLongMsgBtn}},
        this);
    connect(cloudControls, &CloudControls::atModeWanted, this,
            [this] { on_ATorderModeBtn_clicked(false); });
    connect(cloudControls, &CloudControls::smartConfigGuideWanted, this,
            [this] { printSmartConfigGuide(console); });
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
    if (foldButton && foldButton->filter(watched, event))
        return true;
    if (watched == ui->orderPlainTextEdit) {
        switch (CommandBox::keyAction(event)) {
        case CommandBox::KeyAction::Send:
            on_sendBtn_clicked();
            return true;
        case CommandBox::KeyAction::LineBreak:
            ui->orderPlainTextEdit->insertPlainText(QStringLiteral("\n"));
            return true;
        case CommandBox::KeyAction::None:
            break;
        }
    }
    return QMainWindow::eventFilter(watched, event);
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
    // Nothing goes out once the window has gone.
    sendTools->stopSending();
    event->accept();
}
