#include "mainwindow.h"
#include "uilanguage.h"

#include <QApplication>
#include <QLocale>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const atlume::UiTranslations translations(QLocale::system().uiLanguages());
    MainWindow window;
    window.show();
    return app.exec();
}
