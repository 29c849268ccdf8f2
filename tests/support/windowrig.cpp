#include "windowrig.h"

#include "portenumerator.h"

#include <QApplication>
#include <QListWidget>
#include <QPushButton>
#include <QSerialPort>
#include <QtTest>

namespace atlume::support {

namespace {
// Opening the port sends two status queries.
constexpr int kQueriesPerOpening = 2;
constexpr int kOpenTimeoutMs = 3000;
} // namespace

FakePortList::FakePortList(QStringList names) : ports(std::move(names))
{
    setPortLister([this] { return ports; });
}

FakePortList::~FakePortList()
{
    setPortLister({});
}

QListWidgetItem *portItem(const MainWindow &window, const QString &name)
{
    const auto items =
        widget<QListWidget>(window, "portListWidget")->findItems(name, Qt::MatchExactly);
    return items.isEmpty() ? nullptr : items.first();
}

bool clickPortRow(const MainWindow &window, const QString &name)
{
    auto *list = widget<QListWidget>(window, "portListWidget");
    QListWidgetItem *item = portItem(window, name);
    if (!item)
        return false;
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                      list->visualItemRect(item).center());
    return list->currentItem() == item;
}

bool showWithPort(MainWindow &window, FakePortList &ports, const QString &name)
{
    ports.ports = QStringList{name};
    QTest::mouseClick(widget<QPushButton>(window, "scanPortBtn"), Qt::LeftButton);
    window.show();
    QApplication::setActiveWindow(&window);
    if (clickPortRow(window, name))
        return true;
    qWarning("%s could not be selected in the port list", qPrintable(name));
    return false;
}

QSerialPort *clickConnect(MainWindow &window)
{
    QTest::mouseClick(widget<QPushButton>(window, "connectBtn"), Qt::LeftButton);
    auto *port = window.findChild<QSerialPort *>();
    if (port && port->isOpen())
        return port;
    qWarning("the window did not open its port");
    return nullptr;
}

ModuleBench::ModuleBench()
{
    if (!module.open())
        qFatal("cannot open a pseudo-terminal");
    if (!showWithPort(window, ports, module.slavePath()))
        qFatal("the window did not take the module's port");
}

bool ModuleBench::open()
{
    return clickConnect(window) && received.waitForLines(kQueriesPerOpening, kOpenTimeoutMs);
}

} // namespace atlume::support
