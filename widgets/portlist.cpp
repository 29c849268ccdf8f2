#include "portlist.h"

#include "portenumerator.h"
#include "simulatedports.h"

#include <QEvent>
#include <QListWidget>
#include <QMenu>
#include <QSerialPortInfo>

namespace {

const QString kAutoRefreshKey = QStringLiteral("autoRefreshPorts");
const QString kAutoReconnectKey = QStringLiteral("autoReconnect");
// How often the system's ports are looked at for a change of the set, and,
// more often, for a lost port's return: a reset board is soon back.
constexpr int kRefreshIntervalMs = 1000;
constexpr int kLostPortIntervalMs = 250;
// A port that comes back later than this is a new start, not a reset board.
constexpr qint64 kReturnWithinMs = 60000;

QString usbId(quint16 id)
{
    return QStringLiteral("%1").arg(id, 4, 16, QLatin1Char('0'));
}

QStringList sorted(QStringList names)
{
    names.sort();
    return names;
}

QStringList describe(const QSerialPortInfo &info)
{
    QStringList lines;
    const auto add = [&lines](const QString &label, const QString &value) {
        if (!value.isEmpty())
            lines << label.arg(value);
    };
    add(PortList::tr("描述：%1"), info.description());
    add(PortList::tr("制造商：%1"), info.manufacturer());
    add(PortList::tr("序列号：%1"), info.serialNumber());
    if (info.hasVendorIdentifier())
        add(PortList::tr("USB 厂商 ID：%1"), usbId(info.vendorIdentifier()));
    if (info.hasProductIdentifier())
        add(PortList::tr("USB 产品 ID：%1"), usbId(info.productIdentifier()));
    add(PortList::tr("系统位置：%1"), info.systemLocation());
    return lines;
}

QStringList describeSimulated(const QString &name)
{
    QStringList lines;
    const qint64 process = atlume::sim::announcingProcess(name);
    const QString program = atlume::sim::processName(process);
    if (process <= 0)
        lines << PortList::tr("Atlume 模拟模组");
    else if (program.isEmpty())
        lines << PortList::tr("Atlume 模拟模组，由进程 %1 运行").arg(process);
    else
        lines << PortList::tr("Atlume 模拟模组，由进程 %1（%2）运行").arg(process).arg(program);
    const QString terminal = atlume::sim::terminalPath(name);
    if (!terminal.isEmpty())
        lines << PortList::tr("系统位置：%1").arg(terminal);
    return lines;
}

} // namespace

PortList::PortList(QListWidget *list) : QObject(list), list(list)
{
    list->installEventFilter(this);
    refreshTimer.setInterval(kRefreshIntervalMs);
    connect(&refreshTimer, &QTimer::timeout, this, &PortList::refresh);
    lostPortTimer.setInterval(kLostPortIntervalMs);
    connect(&lostPortTimer, &QTimer::timeout, this, &PortList::lookForLostPort);
    connect(list->model(), &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex &, int first, int last) { describePorts(first, last); });
    connect(list, &QListWidget::currentItemChanged, this, [this](QListWidgetItem *current) {
        // The user chose another port: the one lost is no longer wanted back.
        if (current && !lostPort.isEmpty() && current->text() != lostPort)
            stopWatching();
    });
    if (list->count() > 0)
        describePorts(0, list->count() - 1);
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(list, &QWidget::customContextMenuRequested, this, [this](const QPoint &position) {
        QMenu *menu = createContextMenu();
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(this->list->viewport()->mapToGlobal(position));
    });
}

void PortList::useChoices(atlume::UserChoices *userChoices)
{
    choices = userChoices;
    refreshing = choices->flag(kAutoRefreshKey);
    reconnecting = choices->flag(kAutoReconnectKey);
    if (refreshing)
        refreshTimer.start();
}

void PortList::setAutoRefresh(bool on)
{
    refreshing = on;
    choices->setFlag(kAutoRefreshKey, on);
    if (on)
        refreshTimer.start();
    else
        refreshTimer.stop();
}

void PortList::setAutoReconnect(bool on)
{
    reconnecting = on;
    choices->setFlag(kAutoReconnectKey, on);
    if (!on)
        stopWatching();
}

QMenu *PortList::createContextMenu()
{
    auto *menu = new QMenu(list);
    QAction *refresh = menu->addAction(tr("自动刷新"));
    refresh->setObjectName(QStringLiteral("portAutoRefreshAction"));
    refresh->setCheckable(true);
    refresh->setChecked(refreshing);
    connect(refresh, &QAction::toggled, this, &PortList::setAutoRefresh);
    QAction *reconnect = menu->addAction(tr("自动重连"));
    reconnect->setObjectName(QStringLiteral("portAutoReconnectAction"));
    reconnect->setCheckable(true);
    reconnect->setChecked(reconnecting);
    connect(reconnect, &QAction::toggled, this, &PortList::setAutoReconnect);
    return menu;
}

void PortList::portLost(const QString &name)
{
    if (!reconnecting || name.isEmpty() || name == lostPort)
        return;
    lostPort = name;
    // A port still listed right after the loss has not gone yet: it is back
    // only once it has been missing.
    lostPortGone = !atlume::availablePortNames().contains(name);
    lostFor.start();
    lostPortTimer.start();
}

void PortList::stopWatching()
{
    lostPort.clear();
    lostPortTimer.stop();
}

void PortList::lookForLostPort()
{
    if (!atlume::availablePortNames().contains(lostPort)) {
        lostPortGone = true;
    } else if (lostPortGone) {
        const QString name = lostPort;
        stopWatching();
        emit rescanWanted();
        const auto items = list->findItems(name, Qt::MatchExactly);
        if (items.isEmpty())
            return;
        list->setCurrentItem(items.first());
        emit reopenWanted(name);
        return;
    }
    if (lostFor.elapsed() > kReturnWithinMs)
        stopWatching();
}

void PortList::refresh()
{
    const QStringList names = atlume::availablePortNames();
    QStringList listed;
    for (int row = 0; row < list->count(); ++row)
        listed << list->item(row)->text();
    if (sorted(names) != sorted(listed))
        emit rescanWanted();
}

void PortList::describePorts(int first, int last)
{
    QHash<QString, QSerialPortInfo> system;
    const auto ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &info : ports)
        system.insert(info.portName(), info);
    // The list's own hint stays in every port's tip.
    const QString hint = list->toolTip();
    for (int row = first; row <= last; ++row) {
        QListWidgetItem *item = list->item(row);
        const QString name = item->text();
        QStringList lines;
        if (system.contains(name))
            lines = describe(system.value(name));
        else if (atlume::sim::isPortName(name))
            lines = describeSimulated(name);
        if (lines.isEmpty())
            continue;
        if (!hint.isEmpty())
            lines << hint;
        item->setToolTip(lines.join(QLatin1Char('\n')));
    }
}

bool PortList::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != list || event->type() != QEvent::FocusIn || list->currentItem())
        return QObject::eventFilter(watched, event);
    // Given focus without a current row, the list makes its first row
    // current, which would switch the working port although nobody chose
    // it. Let the list take focus with its signals blocked, then undo that.
    const QSignalBlocker blocker(list);
    static_cast<QObject *>(list)->event(event);
    list->setCurrentItem(nullptr);
    return true;
}
