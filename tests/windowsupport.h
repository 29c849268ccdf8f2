#pragma once

#include "dialogsupport.h"
#include "fakemodule.h"
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
