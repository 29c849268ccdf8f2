#include "buttoncombobox.h"

#include <QAbstractItemView>
#include <QSignalSpy>
#include <QtTest>

class TestButtonCombobox : public QObject {
    Q_OBJECT

private slots:
    void pressClicksOrOpensTheListByWhereItLands_data();
    void pressClicksOrOpensTheListByWhereItLands();
    void choosingFromListNeverClicks();
};

void TestButtonCombobox::pressClicksOrOpensTheListByWhereItLands_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QPoint>("position");
    QTest::addColumn<bool>("clicks");
    QTest::newRow("item 0, text part") << 0 << QPoint(10, 15) << true;
    QTest::newRow("item 0, arrow square") << 0 << QPoint(190, 15) << true;
    QTest::newRow("item 1, left edge") << 1 << QPoint(0, 0) << true;
    QTest::newRow("item 1, last button column") << 1 << QPoint(169, 29) << true;
    QTest::newRow("item 1, first arrow column") << 1 << QPoint(170, 15) << false;
    QTest::newRow("item 2, arrow square") << 2 << QPoint(199, 0) << false;
    QTest::newRow("item 3, middle") << 3 << QPoint(100, 15) << true;
}

void TestButtonCombobox::pressClicksOrOpensTheListByWhereItLands()
{
    QFETCH(int, index);
    QFETCH(QPoint, position);
    QFETCH(bool, clicks);

    ButtonCombobox combo;
    combo.addItems({"断开WiFi", "直接连接WiFi", "Smart Config 配网", "softAP 配网"});
    combo.setFixedSize(200, 30);
    combo.setCurrentIndex(index);
    combo.show();
    QVERIFY(QTest::qWaitForWindowExposed(&combo));

    QSignalSpy clicked(&combo, &ButtonCombobox::clicked);
    QTest::mousePress(&combo, Qt::LeftButton, Qt::NoModifier, position);
    QCOMPARE(clicked.count(), clicks ? 1 : 0);
    // A press that clicks never opens the list; one on the arrow does.
    QTRY_COMPARE(combo.view()->isVisible(), !clicks);
    combo.hidePopup();
}

void TestButtonCombobox::choosingFromListNeverClicks()
{
    ButtonCombobox combo;
    combo.addItems({"a", "b", "c"});
    combo.setCurrentIndex(1);
    QSignalSpy clicked(&combo, &ButtonCombobox::clicked);
    QSignalSpy activated(&combo, QOverload<int>::of(&QComboBox::activated));
    combo.show();
    QVERIFY(QTest::qWaitForWindowExposed(&combo));
    combo.showPopup();
    QTRY_VERIFY(combo.view()->isVisible());
    QTest::keyClick(combo.view(), Qt::Key_Down);
    QTest::keyClick(combo.view(), Qt::Key_Return);
    QTRY_COMPARE(combo.currentIndex(), 2);
    QCOMPARE(activated.count(), 1);
    QCOMPARE(clicked.count(), 0);
}

QTEST_MAIN(TestButtonCombobox)
#include "tst_buttoncombobox.moc"
