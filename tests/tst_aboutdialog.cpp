#include "dialogsupport.h"
#include "formsupport.h"
#include "testsupport.h"

#include "aboutdialog.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QWindow>
#include <QtTest>

#include <memory>

namespace {

const QString kVersionText = QStringLiteral(
    "    这是 v1.0 版本，本程序可作为一个串口调试工具使用，也可以利用 Nimbrel云 IoT AT "
    "指令集和Nimbrel云物联网平台进行互动。");

} // namespace

class TestAboutDialog : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void cannotBeResized();
    void showsItsTexts_data();
    void showsItsTexts();
    void textsAreLookedUpInAboutDialogContext_data();
    void textsAreLookedUpInAboutDialogContext();
    void placesEachWidgetInItsGridCell_data();
    void placesEachWidgetInItsGridCell();
    void labelsAreShapedAndAligned();
    void versionTextWrapsInsideItsColumn();
    void okEndsExec();
    void windowCloseEndsExec();

private:
    template <typename T> T *child(AboutDialog &dialog, const char *name)
    {
        return dialog.findChild<T *>(QString::fromLatin1(name));
    }

    std::unique_ptr<TempWorkDir> workDir;
};

void TestAboutDialog::init()
{
    workDir = std::make_unique<TempWorkDir>();
}

void TestAboutDialog::cleanup()
{
    workDir.reset();
}

void TestAboutDialog::cannotBeResized()
{
    AboutDialog dialog(nullptr);
    QCOMPARE(dialog.minimumSize(), QSize(550, 300));
    QCOMPARE(dialog.maximumSize(), QSize(550, 300));
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QCOMPARE(dialog.size(), QSize(550, 300));
    dialog.resize(800, 600);
    QCOMPARE(dialog.size(), QSize(550, 300));
    dialog.resize(200, 100);
    QCOMPARE(dialog.size(), QSize(550, 300));
}

void TestAboutDialog::showsItsTexts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("property");
    QTest::addColumn<QString>("text");
    QTest::newRow("title") << "AboutDialog" << QByteArray("windowTitle") << "关于 Atlume";
    QTest::newRow("label") << "label" << QByteArray("text") << "";
    QTest::newRow("label_2") << "label_2" << QByteArray("text") << "关于 Atlume";
    QTest::newRow("label_3") << "label_3" << QByteArray("text") << kVersionText;
    QTest::newRow("label_4") << "label_4" << QByteArray("text")
                             << "Copyright © 2026 Atlume developers";
    QTest::newRow("label_5") << "label_5" << QByteArray("text") << "All rights reserved.";
    QTest::newRow("pushButton") << "pushButton" << QByteArray("text") << "OK";
}

void TestAboutDialog::showsItsTexts()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, property);
    QFETCH(QString, text);
    AboutDialog dialog(nullptr);
    QCOMPARE(dialog.objectName(), QStringLiteral("AboutDialog"));
    QObject *found = name == dialog.objectName() ? &dialog : dialog.findChild<QObject *>(name);
    QVERIFY(found);
    QCOMPARE(found->property(property.constData()).toString(), text);
}

void TestAboutDialog::textsAreLookedUpInAboutDialogContext_data()
{
    showsItsTexts_data();
}

void TestAboutDialog::textsAreLookedUpInAboutDialogContext()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, property);
    QFETCH(QString, text);
    ContextTagger tagger;
    QCoreApplication::installTranslator(&tagger);
    AboutDialog dialog(nullptr);
    QCoreApplication::removeTranslator(&tagger);
    QObject *found = name == dialog.objectName() ? &dialog : dialog.findChild<QObject *>(name);
    QVERIFY(found);
    const QString expected = text.isEmpty() ? QString() : QStringLiteral("AboutDialog|") + text;
    QCOMPARE(found->property(property.constData()).toString(), expected);
}

void TestAboutDialog::placesEachWidgetInItsGridCell_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<GridCell>("cell");
    QTest::newRow("label_2") << "label_2" << GridCell{0, 0, 1, 2};
    QTest::newRow("label_3") << "label_3" << GridCell{1, 0, 1, 2};
    QTest::newRow("label_4") << "label_4" << GridCell{2, 0, 1, 2};
    QTest::newRow("label_5") << "label_5" << GridCell{3, 0, 1, 2};
    QTest::newRow("pushButton") << "pushButton" << GridCell{4, 1, 1, 1};
}

void TestAboutDialog::placesEachWidgetInItsGridCell()
{
    QFETCH(QString, name);
    QFETCH(GridCell, cell);
    AboutDialog dialog(nullptr);
    auto *grid = dialog.findChild<QGridLayout *>(QStringLiteral("gridLayout"));
    QVERIFY(grid);
    QCOMPARE(grid->parentWidget(), dialog.findChild<QWidget *>(QStringLiteral("layoutWidget")));
    QCOMPARE(grid->count(), 5);
    QVERIFY(!grid->itemAtPosition(4, 0));
    QCOMPARE(grid->verticalSpacing(), 6);
    QCOMPARE(grid->contentsMargins(), QMargins(0, 0, 0, 0));
    auto *widget = dialog.findChild<QWidget *>(name);
    QVERIFY(widget);
    QVERIFY(grid->indexOf(widget) >= 0);
    QCOMPARE(cellOf(grid, widget), cell);
}

void TestAboutDialog::labelsAreShapedAndAligned()
{
    AboutDialog dialog(nullptr);
    QCOMPARE(dialog.font().family(), QStringLiteral("新宋体"));
    QCOMPARE(dialog.font().pointSize(), 12);

    auto *picture = child<QLabel>(dialog, "label");
    QVERIFY(picture);
    QCOMPARE(picture->geometry(), QRect(20, 20, 150, 150));
    QCOMPARE(picture->minimumSize(), QSize(150, 150));
    QCOMPARE(picture->maximumSize(), QSize(150, 150));
    QCOMPARE(picture->baseSize(), QSize(150, 150));
    QVERIFY(!picture->hasMouseTracking());
    QVERIFY(picture->pixmap(Qt::ReturnByValue).isNull());
    QCOMPARE(child<QWidget>(dialog, "layoutWidget")->geometry(), QRect(210, 20, 321, 261));

    auto *heading = child<QLabel>(dialog, "label_2");
    QCOMPARE(heading->minimumSize(), QSize(0, 50));
    QCOMPARE(heading->maximumSize(), QSize(QWIDGETSIZE_MAX, 50));
    QVERIFY(heading->font().bold());
    // 75 on Qt 5's scale of weights, 700 on Qt 6's.
    QCOMPARE(heading->font().weight(), int(QFont::Bold));
    QCOMPARE(heading->font().family(), QStringLiteral("新宋体"));
    QCOMPARE(heading->alignment(), Qt::AlignHCenter | Qt::AlignTop);

    auto *version = child<QLabel>(dialog, "label_3");
    QVERIFY(version->wordWrap());
    QCOMPARE(version->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft | Qt::AlignLeading);
    QCOMPARE(version->alignment() & Qt::AlignVertical_Mask, Qt::AlignTop);
    QVERIFY(version->text().startsWith(QStringLiteral("    这")));

    for (const char *name : {"label_4", "label_5"}) {
        auto *line = child<QLabel>(dialog, name);
        QCOMPARE(line->minimumHeight(), 25);
        QCOMPARE(line->maximumHeight(), 25);
        QCOMPARE(line->alignment(), Qt::AlignCenter);
    }

    auto *ok = child<QPushButton>(dialog, "pushButton");
    QCOMPARE(ok->minimumSize(), QSize(75, 24));
    QCOMPARE(ok->maximumSize(), QSize(75, 24));
}

void TestAboutDialog::versionTextWrapsInsideItsColumn()
{
    AboutDialog dialog(nullptr);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto *version = child<QLabel>(dialog, "label_3");
    QTRY_VERIFY(version->width() > 0);
    QVERIFY(version->width() <= 321);
    const int lineHeight = version->fontMetrics().lineSpacing();
    QVERIFY(version->heightForWidth(version->width()) >= 2 * lineHeight);
    // Every wrapped line fits into the height the label gets.
    QVERIFY(version->height() >= version->heightForWidth(version->width()));
}

void TestAboutDialog::okEndsExec()
{
    AboutDialog dialog(nullptr);
    QSignalSpy finished(&dialog, &QDialog::finished);
    auto *ok = child<QPushButton>(dialog, "pushButton");
    QVERIFY(ok);
    DialogHand hand([ok](QDialog *) { QTest::mouseClick(ok, Qt::LeftButton); });
    QVERIFY(dialog.exec() != DialogHand::kOverstayed);
    QCOMPARE(finished.count(), 1);
    QVERIFY(!dialog.isVisible());
}

void TestAboutDialog::windowCloseEndsExec()
{
    AboutDialog dialog(nullptr);
    QSignalSpy finished(&dialog, &QDialog::finished);
    // The title bar's close button reaches the dialog as a close event on its
    // native window, as the window system delivers it.
    DialogHand hand([](QDialog *modal) {
        QCloseEvent close;
        QCoreApplication::sendEvent(modal->windowHandle(), &close);
    });
    QVERIFY(dialog.exec() != DialogHand::kOverstayed);
    QCOMPARE(finished.count(), 1);
    QVERIFY(!dialog.isVisible());
}

QTEST_MAIN(TestAboutDialog)
#include "tst_aboutdialog.moc"
