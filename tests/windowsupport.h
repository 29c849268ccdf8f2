#pragma once

#include "cloudcontrols.h"
#include "dialogsupport.h"
#include "fakemodule.h"
#include "inputmodes.h"
#include "mainwindow.h"
#include "portenumerator.h"
#include "testsupport.h"

#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSerialPort>
#include <QStringList>
#include <QTextBrowser>
#include <QtTest>

// The port list that the window sees, for tests that make ports appear and vanish.
class FakePortList {
public:
    explicit FakePortList(QStringList names = {}) : ports(std::move(names))
    {
        atlume::setPortLister([this] { return ports; });
    }
    ~FakePortList() { atlume::setPortLister({}); }
    FakePortList(const FakePortList &) = delete;
    FakePortList &operator=(const FakePortList &) = delete;

    QStringList ports;
};

template <class T> T *widget(const QWidget &window, const char *name)
{
    T *found = window.findChild<T *>(QString::fromLatin1(name));
    if (!found)
        qFatal("no widget %s", name);
    return found;
}

inline QString consoleText(const MainWindow &window)
{
    return widget<QTextBrowser>(window, "textBrowser")->toPlainText();
}

// What sendBtn sends now: 0 AT commands, 1 to 4 the topic modes.
inline int orderMode(const MainWindow &window)
{
    return window.findChild<InputModes *>()->mode();
}

// The Wi-Fi item offered again after Wi-Fi is lost or provisioning ends.
inline int wifiMethodIndex(const MainWindow &window)
{
    return window.findChild<CloudControls *>()->wifiMethodIndex();
}

// The count of lines sent, as the label over the console shows it.
inline QString sentLabel(const MainWindow &window)
{
    return widget<QLabel>(window, "orderHasSendLabel")->text();
}

inline QSerialPort *portOf(const MainWindow &window)
{
    return window.findChild<QSerialPort *>();
}

inline QListWidgetItem *portItem(const MainWindow &window, const QString &name)
{
    const auto items =
        widget<QListWidget>(window, "portListWidget")->findItems(name, Qt::MatchExactly);
    return items.isEmpty() ? nullptr : items.first();
}

// Shows the window as the one that takes the keyboard, as a user's window is.
inline void showAndActivate(MainWindow &window)
{
    window.show();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));
}

// Selects a port the way a click on its row does.
inline void selectPort(const MainWindow &window, const QString &name)
{
    auto *list = widget<QListWidget>(window, "portListWidget");
    QListWidgetItem *item = portItem(window, name);
    QVERIFY2(item, qPrintable(name));
    const QRect rect = list->visualItemRect(item);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
    QCOMPARE(list->currentItem(), item);
}

// A window in a working directory of its own over a port list of names
// alone: nothing behind them is ever opened.
struct PortListWindow {
    explicit PortListWindow(const QStringList &names = {}) : ports(names) {}

    TempWorkDir work;
    FakePortList ports;
    MainWindow window;
};

// A window with the simulated module's pty in its port list, selected.
class ModuleBench {
public:
    ModuleBench()
    {
        if (!module.open())
            qFatal("cannot open a pseudo-terminal");
        ports.ports = QStringList{module.slavePath()};
        QTest::mouseClick(widget<QPushButton>(window, "scanPortBtn"), Qt::LeftButton);
        window.show();
        QApplication::setActiveWindow(&window);
        selectPort(window, module.slavePath());
    }

    // Opens the port as a click on connectBtn does; returns after the two status queries.
    void open()
    {
        QTest::mouseClick(widget<QPushButton>(window, "connectBtn"), Qt::LeftButton);
        QCOMPARE(portOf(window)->isOpen(), true);
        QVERIFY(module.waitForLines(2, 3000));
    }

    TempWorkDir work;
    FakePortList ports;
    atlume::FakeModule module;
    MainWindow window;
};
