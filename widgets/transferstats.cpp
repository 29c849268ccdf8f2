#include "transferstats.h"

#include "userchoices.h"

#include <QAction>
#include <QLabel>
#include <QStatusBar>

namespace {
const QString kShownKey = QStringLiteral("showTransferStats");
// While bytes flow the figures change with every read; showing them at
// most this often is as good and costs nothing.
constexpr int kRefreshMs = 200;
} // namespace

TransferStats::TransferStats(QStatusBar *bar, atlume::UserChoices *choices)
    : QObject(bar), bar(bar), choices(choices), toggle(new QAction(tr("显示收发统计"), this))
{
    toggle->setObjectName(QStringLiteral("consoleTransferStatsAction"));
    toggle->setCheckable(true);
    connect(toggle, &QAction::toggled, this, &TransferStats::setShown);
    refreshTimer.setSingleShot(true);
    refreshTimer.setInterval(kRefreshMs);
    connect(&refreshTimer, &QTimer::timeout, this, &TransferStats::refresh);
    if (isShown())
        setShown(true);
}

void TransferStats::reset()
{
    in = out = 0;
    changed();
}

void TransferStats::addReceived(qint64 bytes)
{
    in += bytes;
    changed();
}

void TransferStats::addSent(qint64 bytes)
{
    out += bytes;
    changed();
}

bool TransferStats::isShown() const
{
    return choices->flag(kShownKey);
}

void TransferStats::setShown(bool shown)
{
    choices->setFlag(kShownKey, shown);
    toggle->setChecked(shown);
    // Made only when first asked for: the status bar is empty otherwise.
    if (shown && !label) {
        label = new QLabel(bar);
        label->setObjectName(QStringLiteral("transferStatsLabel"));
        bar->addPermanentWidget(label);
    }
    if (!label)
        return;
    label->setVisible(shown);
    refresh();
}

void TransferStats::changed()
{
    if (label && !label->isHidden() && !refreshTimer.isActive())
        refreshTimer.start();
}

void TransferStats::refresh()
{
    if (label)
        label->setText(tr("接收：%1 字节  发送：%2 字节").arg(in).arg(out));
}
