#pragma once

#include "fakemodule.h"
#include "mainwindow.h"
#include "modulerecorder.h"
#include "tempworkdir.h"

#include <QString>
#include <QStringList>
#include <QWidget>

class QListWidgetItem;
class QSerialPort;

namespace atlume::support {

// The port list that the window sees, for as long as this lives.
class FakePortList {
public:
    explicit FakePortList(QStringList names = {});
    ~FakePortList();
    FakePortList(const FakePortList &) = delete;
    FakePortList &operator=(const FakePortList &) = delete;

    QStringList ports;
};

// The window's widget of this object name; a missing one ends the program,
// as a form that lost it is no window to measure or test.
template <class T> T *widget(const QWidget &window, const char *name)
{
    T *found = window.findChild<T *>(QString::fromLatin1(name));
    if (!found)
        qFatal("no widget %s", name);
    return found;
}

QListWidgetItem *portItem(const MainWindow &window, const QString &name);

// Clicks the port's row as a user does; whether it is now the current one.
bool clickPortRow(const MainWindow &window, const QString &name);

// Makes name the one port listed and lists it as a click on scanPortBtn does,
// shows the window as the one that takes the keyboard, as a user's window
// is, and selects the port with a click on its row; false when it did not
// become the current one.
bool showWithPort(MainWindow &window, FakePortList &ports, const QString &name);

// Opens the selected port as a click on connectBtn does, which returns after
// the window's two status queries and their pauses; the port, or null when
// it did not open.
QSerialPort *clickConnect(MainWindow &window);

// A window in a working directory of its own over a port list of its own:
// of names alone, nothing behind them is ever opened; or the pseudo-terminal
// of a module elsewhere, given to showWithPort().
struct PortListWindow {
    explicit PortListWindow(const QStringList &names = {}) : ports(names) {}

    TempWorkDir work;
    FakePortList ports;
    MainWindow window;
};

// The window on the simulated module in this process: the module's
// pseudo-terminal is the one port listed, selected, and what the module
// receives is recorded.
class ModuleBench {
public:
    ModuleBench();

    // Opens the port; true once the window's two status queries have reached
    // the module.
    bool open();

    TempWorkDir work;
    FakePortList ports;
    FakeModule module;
    ModuleRecorder received{module};
    MainWindow window;
};

} // namespace atlume::support
