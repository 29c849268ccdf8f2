#include "seriportconfsetting.h"

#include "ui_seriportconfsetting.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QSerialPort>
#include <iterator>

namespace {

// The parity and flow-control lists are ordered for the user, not by the
// enumeration values, so both directions go through these tables.
constexpr QSerialPort::Parity kParityByIndex[] = {QSerialPort::NoParity, QSerialPort::OddParity,
                                                  QSerialPort::EvenParity, QSerialPort::MarkParity,
                                                  QSerialPort::SpaceParity};
constexpr QSerialPort::FlowControl kFlowByIndex[] = {
    QSerialPort::NoFlowControl, QSerialPort::HardwareControl, QSerialPort::SoftwareControl};

template <typename T, std::size_t N> int indexOfValue(const T (&table)[N], T value)
{
    for (std::size_t i = 0; i < N; ++i) {
        if (table[i] == value)
            return static_cast<int>(i);
    }
    return -1;
}

void selectText(QComboBox *box, const QString &text)
{
    const int index = box->findText(text, Qt::MatchExactly);
    if (index >= 0)
        box->setCurrentIndex(index);
}

void selectIndex(QComboBox *box, int index)
{
    if (index >= 0)
        box->setCurrentIndex(index);
}

} // namespace

SeriPortConfSetting::SeriPortConfSetting(QSerialPort *serialPort, QWidget *parent)
    : QDialog(parent), ui(new Ui::SeriPortConfSetting), serialPort(serialPort)
{
    ui->setupUi(this);
    read_port_settings();
}

SeriPortConfSetting::~SeriPortConfSetting()
{
    delete ui;
}

void SeriPortConfSetting::read_port_settings()
{
    selectText(ui->setBaudRateCB,
               QString::number(serialPort->baudRate(QSerialPort::AllDirections)));
    selectText(ui->setDataBitsCB, QString::number(serialPort->dataBits()));
    selectText(ui->setStopBitsCB, QString::number(serialPort->stopBits()));
    selectIndex(ui->setParityCB, indexOfValue(kParityByIndex, serialPort->parity()));
    selectIndex(ui->setFlowControlCB, indexOfValue(kFlowByIndex, serialPort->flowControl()));
}

void SeriPortConfSetting::apply_to_port()
{
    serialPort->setBaudRate(ui->setBaudRateCB->currentText().toInt(), QSerialPort::AllDirections);
    serialPort->setDataBits(
        static_cast<QSerialPort::DataBits>(ui->setDataBitsCB->currentText().toInt()));
    serialPort->setStopBits(
        static_cast<QSerialPort::StopBits>(ui->setStopBitsCB->currentText().toInt()));
    const int parityIndex = ui->setParityCB->currentIndex();
    if (parityIndex >= 0 && parityIndex < int(std::size(kParityByIndex)))
        serialPort->setParity(kParityByIndex[parityIndex]);
    const int flowIndex = ui->setFlowControlCB->currentIndex();
    if (flowIndex >= 0 && flowIndex < int(std::size(kFlowByIndex)))
        serialPort->setFlowControl(kFlowByIndex[flowIndex]);
}

void SeriPortConfSetting::on_OKBtn_clicked()
{
    apply_to_port();
    close();
}

// The title bar's close button applies like OKBtn: the dialog has no cancel
// button, and closing is how users expect to confirm here. Escape goes the
// QDialog::reject() way, which sends no close event and so applies nothing.
void SeriPortConfSetting::closeEvent(QCloseEvent *event)
{
    apply_to_port();
    event->accept();
}
