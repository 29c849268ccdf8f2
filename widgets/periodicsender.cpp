#include "periodicsender.h"

#include <QInputDialog>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>

PeriodicSender::PeriodicSender(QStatusBar *bar, std::function<Tick()> sendOnce)
    : QObject(bar), bar(bar), sendOnce(std::move(sendOnce))
{
    timer.setTimerType(Qt::PreciseTimer);
    connect(&timer, &QTimer::timeout, this, &PeriodicSender::tick);
}

int PeriodicSender::askInterval(QWidget *parent)
{
    bool ok = false;
    // The field itself refuses what is out of range.
    const int interval =
        QInputDialog::getInt(parent, tr("定时发送"), tr("每隔多少毫秒发送一次命令框的内容："),
                             kOfferedIntervalMs, kMinIntervalMs, kMaxIntervalMs, 100, &ok);
    return ok ? interval : 0;
}

void PeriodicSender::start(int intervalMs)
{
    if (!status) {
        // Made only when first asked for: the status bar is empty otherwise.
        status = new QLabel(bar);
        status->setObjectName(QStringLiteral("periodicSendStatus"));
        stopButton = new QPushButton(tr("停止"), bar);
        stopButton->setObjectName(QStringLiteral("periodicSendStopButton"));
        connect(stopButton, &QPushButton::clicked, this, &PeriodicSender::stop);
        bar->addWidget(status);
        bar->addWidget(stopButton);
    }
    status->setText(tr("定时发送中（每 %1 毫秒）").arg(intervalMs));
    status->show();
    stopButton->show();
    timer.start(qBound(kMinIntervalMs, intervalMs, kMaxIntervalMs));
    tick();
}

void PeriodicSender::stop()
{
    if (!timer.isActive())
        return;
    timer.stop();
    status->hide();
    stopButton->hide();
    emit stopped();
}

void PeriodicSender::tick()
{
    if (sendOnce() == Tick::Failed)
        stop();
}
