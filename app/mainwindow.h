#pragma once

#include "devicesignal.h"
#include "linereceiver.h"
#include "serialerrors.h"
#include "userchoices.h"

#include <QMainWindow>
#include <QSerialPort>
#include <QString>

class CloudControls;
class CloudMessagesPanel;
class CommandBox;
class Console;
class FoldButton;
class InputModes;
class SendTools;
class QListWidgetItem;
class QPushButton;
class QToolButton;

namespace Ui {
class MainWindow;
}

class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    void init();
    void load_port_conf();
    void save_port_conf();
    void send_order(const QString &order);
    // The raw sibling of send_order: writes the bytes as they are, counts the
    // line, shows what was sent when asked to, and does not pause. False when
    // the port took nothing.
    bool send_bytes(const QByteArray &bytes, const QString &shown);

    // Consecutive lines of one operation leave at least this far apart, so
    // the module has answered the earlier one before the next is written.
    static constexpr int kDefaultCommandPauseMs = 1000;
    // A simulated module answers at once; tests that open the port over and
    // over shorten the pause rather than wait out seconds each time.
    void setCommandPause(int msecs) { commandPauseMs = msecs; }

    // Widget-group operations of the cloud controls.
    void reset_extend_area_btns();
    void enable_extend_area_btns();
    void enable_device_info_edits();
    void disable_device_info_edits();
    void enable_mqtt_conf_widgets();
    void disable_mqtt_conf_widgets();
    void disable_topic_btns();
    void add_mode_btn(QPushButton *button);
    void check_mode_btn_only(QPushButton *button);

signals:
    void device_return_signal(DEVICE_SIGNAL signal_num);

private slots:
    void setPortListWidget();
    void on_scanPortBtn_clicked();
    void on_connectBtn_clicked();
    void on_sendBtn_clicked();
    void on_cleanBtn_clicked();
    void on_portListWidget_currentItemChanged(QListWidgetItem *current, QListWidgetItem *previous);
    void printSerialError(QSerialPort::SerialPortError serialPortErrno);
    void set_serial_port_by_default();
    void on_portListWidget_itemDoubleClicked(QListWidgetItem *item);
    void on_action_Nimbrel_IoT_triggered();
    void setup_toolBtn_extendArea();
    void extendToolBtn_clicked();
    bool eventFilter(QObject *watched, QEvent *event) override;
    void on_connectNimbrelCloudBtn_clicked(bool checked);
    void closeEvent(QCloseEvent *event) override;
    void on_textBrowser_textChanged();
    void on_subTopicBtn_clicked(bool checked);
    void on_unsubTopicBtn_clicked(bool checked);
    void on_releaseTopicMsgBtn_clicked(bool checked);
    void on_releaseTopicLongMsgBtn_clicked(bool checked);
    void on_ATorderModeBtn_clicked(bool checked);
    void on_deviceIoTInfoToolBtn_clicked();
    void on_orderPlainTextEdit_textChanged();
    void set_extend_area_btns_by_device_return(DEVICE_SIGNAL signal_num);
    void on_set_dev_conf_btn_clicked();
    void serialPort_readyRead();
    void on_connect_wifi_btn_clicked();

private:
    Ui::MainWindow *ui;
    QString currentPortName;
    int sendCount = 0;
    QToolButton *extendToolBtn = nullptr;
    int extendAreaWidth = 0;
    QSerialPort *serialPort;

    atlume::LineReceiver receiver;
    atlume::LostDeviceDetector lostDevice;
    // What the user chose in the window's menus, remembered between starts.
    atlume::UserChoices userChoices;
    int commandPauseMs = kDefaultCommandPauseMs;
    Console *console = nullptr;
    CommandBox *commandBox = nullptr;
    FoldButton *foldButton = nullptr;
    CloudControls *cloudControls = nullptr;
    InputModes *inputModes = nullptr;
    CloudMessagesPanel *cloudMessages = nullptr;
    SendTools *sendTools = nullptr;

    // The command box's content as the box sends it: text with its line
    // ending, or bytes in hex. paced holds the caller for the usual pause
    // after the write. False when nothing went out.
    bool send_from_box(bool paced);
};
