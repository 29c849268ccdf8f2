#pragma once

#include "cloudcontrols.h"
#include "dialogsupport.h"
#include "fakemodule.h"
#include "inputmodes.h"
#include "mainwindow.h"
#include "testsupport.h"
#include "windowrig.h"

#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSerialPort>
#include <QStringList>
#include <QTextBrowser>
#include <QtTest>

using atlume::support::FakePortList;
using atlume::support::ModuleBench;
using atlume::support::portItem;
using atlume::support::PortListWindow;
using atlume::support::widget;

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
    QVERIFY2(atlume::support::clickPortRow(window, name), qPrintable(name));
}
