#include "dialogsupport.h"
#include "seriportconfsetting.h"
#include "testsupport.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QSerialPort>
#include <functional>

namespace {

struct Parameter {
    QList<int> valid;
    std::function<int(const QSerialPort &)> get;
    std::function<void(QSerialPort &, int)> set;
};

// The port side of each combo box, as the enumeration values.
Parameter parameterOf(const QString &combo)
{
    if (combo == QLatin1String("setBaudRateCB"))
        return {{1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200},
                [](const QSerialPort &p) { return int(p.baudRate(QSerialPort::AllDirections)); },
                [](QSerialPort &p, int v) { p.setBaudRate(v, QSerialPort::AllDirections); }};
    if (combo == QLatin1String("setDataBitsCB"))
        return {{5, 6, 7, 8},
                [](const QSerialPort &p) { return int(p.dataBits()); },
                [](QSerialPort &p, int v) { p.setDataBits(QSerialPort::DataBits(v)); }};
    if (combo == QLatin1String("setStopBitsCB"))
        return {{1, 2, 3},
                [](const QSerialPort &p) { return int(p.stopBits()); },
                [](QSerialPort &p, int v) { p.setStopBits(QSerialPort::StopBits(v)); }};
    if (combo == QLatin1String("setParityCB"))
        return {{0, 2, 3, 4, 5},
                [](const QSerialPort &p) { return int(p.parity()); },
                [](QSerialPort &p, int v) { p.setParity(QSerialPort::Parity(v)); }};
    return {{0, 1, 2},
            [](const QSerialPort &p) { return int(p.flowControl()); },
            [](QSerialPort &p, int v) { p.setFlowControl(QSerialPort::FlowControl(v)); }};
}

void setDefaults(QSerialPort &port)
{
    port.setBaudRate(115200, QSerialPort::AllDirections);
    port.setDataBits(QSerialPort::Data8);
    port.setFlowControl(QSerialPort::NoFlowControl);
    port.setParity(QSerialPort::NoParity);
    port.setStopBits(QSerialPort::OneStop);
}

QStringList shownTexts(QDialog &dialog)
{
    QStringList texts;
    for (const char *name :
         {"setBaudRateCB", "setStopBitsCB", "setDataBitsCB", "setParityCB", "setFlowControlCB"})
        texts << dialog.findChild<QComboBox *>(QLatin1String(name))->currentText();
    return texts;
}

} // namespace

class TestSeriPortConfSetting : public QObject {
    Q_OBJECT

private slots:
    void formHasTheRowsAndItems_data();
    void formHasTheRowsAndItems();
    void formHasItsDesignedSettings();
    void showsThePortDefaults();
    void showsEachPortValue_data();
    void showsEachPortValue();
    void unmatchedPortValuesKeepTheFormSelection();
    void appliesEachItemToThePort_data();
    void appliesEachItemToThePort();
    void okAppliesAndCloses();
    void titleBarCloseApplies();
    void escapeDoesNotApply();
};

void TestSeriPortConfSetting::formHasTheRowsAndItems_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("labelText");
    QTest::addColumn<QString>("combo");
    QTest::addColumn<QStringList>("items");

    QTest::newRow("baud rate") << 0 << "label_2"
                               << "波特率"
                               << "setBaudRateCB"
                               << QStringList{"1200",  "2400",  "4800",  "9600",
                                              "19200", "38400", "57600", "115200"};
    QTest::newRow("stop bits") << 1 << "label_3"
                               << "停止位"
                               << "setStopBitsCB" << QStringList{"1", "2", "3"};
    QTest::newRow("data bits") << 2 << "label_4"
                               << "数据位"
                               << "setDataBitsCB" << QStringList{"5", "6", "7", "8"};
    QTest::newRow("parity") << 3 << "label_5"
                            << "奇偶校验"
                            << "setParityCB"
                            << QStringList{"无", "奇校验", "偶校验", "标记", "空格"};
    QTest::newRow("flow control") << 4 << "label_6"
                                  << "流控制"
                                  << "setFlowControlCB"
                                  << QStringList{"无", "硬件流控", "软件流控"};
}

void TestSeriPortConfSetting::formHasTheRowsAndItems()
{
    QFETCH(int, row);
    QFETCH(QString, label);
    QFETCH(QString, labelText);
    QFETCH(QString, combo);
    QFETCH(QStringList, items);
    QSerialPort port;
    SeriPortConfSetting dialog(&port, nullptr);
    auto *grid = dialog.findChild<QGridLayout *>(QStringLiteral("gridLayout"));
    QVERIFY(grid);

    auto *labelWidget = qobject_cast<QLabel *>(grid->itemAtPosition(row, 0)->widget());
    auto *box = qobject_cast<QComboBox *>(grid->itemAtPosition(row, 1)->widget());
    QVERIFY(labelWidget && box);
    QCOMPARE(labelWidget->objectName(), label);
    QCOMPARE(labelWidget->text(), labelText);
    QCOMPARE(box->objectName(), combo);
    QVERIFY(!box->isEditable());
    QStringList texts;
    for (int i = 0; i < box->count(); ++i)
        texts << box->itemText(i);
    QCOMPARE(texts, items);
    for (QWidget *widget : {static_cast<QWidget *>(labelWidget), static_cast<QWidget *>(box)}) {
        QCOMPARE(widget->font().family(), QStringLiteral("新宋体"));
        QCOMPARE(widget->font().pointSize(), 12);
    }
}

void TestSeriPortConfSetting::formHasItsDesignedSettings()
{
    QSerialPort port;
    SeriPortConfSetting dialog(&port, nullptr);
    QCOMPARE(dialog.objectName(), QStringLiteral("SeriPortConfSetting"));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Dialog"));
    QCOMPARE(dialog.size(), QSize(221, 339));
    QCOMPARE(dialog.windowModality(), Qt::WindowModal);
    QVERIFY(dialog.isModal());
    QCOMPARE(dialog.font().family(), QStringLiteral("新宋体"));
    QCOMPARE(dialog.font().pointSize(), 12);

    auto *outer = qobject_cast<QGridLayout *>(dialog.layout());
    QVERIFY(outer);
    QCOMPARE(outer->objectName(), QStringLiteral("gridLayout_2"));
    QCOMPARE(outer->count(), 1);
    auto *inner = qobject_cast<QGridLayout *>(outer->itemAtPosition(0, 0)->layout());
    QVERIFY(inner);
    QCOMPARE(inner->objectName(), QStringLiteral("gridLayout"));
    QCOMPARE(inner->sizeConstraint(), QLayout::SetFixedSize);
    QVERIFY(!inner->itemAtPosition(5, 0));
    auto *ok = qobject_cast<QPushButton *>(inner->itemAtPosition(5, 1)->widget());
    QVERIFY(ok);
    QCOMPARE(ok->objectName(), QStringLiteral("OKBtn"));
    QCOMPARE(ok->text(), QStringLiteral("OK"));
}

void TestSeriPortConfSetting::showsThePortDefaults()
{
    QSerialPort port;
    setDefaults(port);
    SeriPortConfSetting dialog(&port, nullptr);
    QCOMPARE(shownTexts(dialog), (QStringList{"115200", "1", "8", "无", "无"}));
}

// Control, index, item text and the enumeration value they stand for.
static void mappingTable()
{
    QTest::addColumn<QString>("combo");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value");

    const QStringList rates{"1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200"};
    for (int i = 0; i < rates.size(); ++i)
        QTest::addRow("baud %s", qPrintable(rates[i]))
            << "setBaudRateCB" << i << rates[i] << rates[i].toInt();
    QTest::newRow("stop 1") << "setStopBitsCB" << 0 << "1" << int(QSerialPort::OneStop);
    QTest::newRow("stop 2") << "setStopBitsCB" << 1 << "2" << int(QSerialPort::TwoStop);
    QTest::newRow("stop 3") << "setStopBitsCB" << 2 << "3" << int(QSerialPort::OneAndHalfStop);
    for (int bits = 5; bits <= 8; ++bits)
        QTest::addRow("data %d", bits)
            << "setDataBitsCB" << bits - 5 << QString::number(bits) << bits;
    QTest::newRow("parity none") << "setParityCB" << 0 << "无" << int(QSerialPort::NoParity);
    QTest::newRow("parity odd") << "setParityCB" << 1 << "奇校验" << int(QSerialPort::OddParity);
    QTest::newRow("parity even") << "setParityCB" << 2 << "偶校验" << int(QSerialPort::EvenParity);
    QTest::newRow("parity mark") << "setParityCB" << 3 << "标记" << int(QSerialPort::MarkParity);
    QTest::newRow("parity space") << "setParityCB" << 4 << "空格" << int(QSerialPort::SpaceParity);
    QTest::newRow("flow none") << "setFlowControlCB" << 0 << "无"
                               << int(QSerialPort::NoFlowControl);
    QTest::newRow("flow hardware")
        << "setFlowControlCB" << 1 << "硬件流控" << int(QSerialPort::HardwareControl);
    QTest::newRow("flow software")
        << "setFlowControlCB" << 2 << "软件流控" << int(QSerialPort::SoftwareControl);
}

void TestSeriPortConfSetting::showsEachPortValue_data()
{
    mappingTable();
}

void TestSeriPortConfSetting::showsEachPortValue()
{
    QFETCH(QString, combo);
    QFETCH(int, index);
    QFETCH(QString, text);
    QFETCH(int, value);
    QSerialPort port;
    setDefaults(port);
    parameterOf(combo).set(port, value);

    SeriPortConfSetting dialog(&port, nullptr);

    auto *box = dialog.findChild<QComboBox *>(combo);
    QCOMPARE(box->currentIndex(), index);
    QCOMPARE(box->currentText(), text);
}

void TestSeriPortConfSetting::unmatchedPortValuesKeepTheFormSelection()
{
    QSerialPort port;
    port.setBaudRate(1234, QSerialPort::AllDirections);
    port.setDataBits(QSerialPort::DataBits(4));
    port.setStopBits(QSerialPort::StopBits(0));
    port.setParity(QSerialPort::Parity(1));
    port.setFlowControl(QSerialPort::FlowControl(3));
    SeriPortConfSetting dialog(&port, nullptr);
    QCOMPARE(shownTexts(dialog), (QStringList{"1200", "1", "5", "空格", "无"}));

    // Different rates per direction have no single value to show.
    QSerialPort split;
    setDefaults(split);
    split.setBaudRate(9600, QSerialPort::Input);
    SeriPortConfSetting splitDialog(&split, nullptr);
    QCOMPARE(shownTexts(splitDialog).first(), QStringLiteral("1200"));
}

void TestSeriPortConfSetting::appliesEachItemToThePort_data()
{
    mappingTable();
}

void TestSeriPortConfSetting::appliesEachItemToThePort()
{
    QFETCH(QString, combo);
    QFETCH(int, index);
    QFETCH(int, value);
    QSerialPort port;
    setDefaults(port);
    SeriPortConfSetting dialog(&port, nullptr);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    dialog.findChild<QComboBox *>(combo)->setCurrentIndex(index);
    // Make sure the value has to be written, not merely left as it was.
    const Parameter parameter = parameterOf(combo);
    for (int other : parameter.valid) {
        if (other != value) {
            parameter.set(port, other);
            break;
        }
    }

    QTest::mouseClick(dialog.findChild<QPushButton *>(QStringLiteral("OKBtn")), Qt::LeftButton);

    QCOMPARE(parameter.get(port), value);
    QVERIFY(!dialog.isVisible());
    if (combo == QLatin1String("setBaudRateCB")) {
        QCOMPARE(port.baudRate(QSerialPort::Input), value);
        QCOMPARE(port.baudRate(QSerialPort::Output), value);
    }
}

void TestSeriPortConfSetting::okAppliesAndCloses()
{
    QSerialPort port;
    setDefaults(port);
    SeriPortConfSetting dialog(&port, nullptr);
    DialogHand hand([](QDialog *modal) {
        modal->findChild<QComboBox *>(QStringLiteral("setBaudRateCB"))->setCurrentIndex(3);
        modal->findChild<QComboBox *>(QStringLiteral("setStopBitsCB"))->setCurrentIndex(2);
        QTest::mouseClick(modal->findChild<QPushButton *>(QStringLiteral("OKBtn")), Qt::LeftButton);
    });

    QVERIFY(dialog.exec() != DialogHand::kOverstayed);

    QVERIFY(!dialog.isVisible());
    QCOMPARE(port.baudRate(), 9600);
    QCOMPARE(port.stopBits(), QSerialPort::OneAndHalfStop);
    SeriPortConfSetting reopened(&port, nullptr);
    QCOMPARE(shownTexts(reopened), (QStringList{"9600", "3", "8", "无", "无"}));
}

void TestSeriPortConfSetting::titleBarCloseApplies()
{
    QSerialPort port;
    setDefaults(port);
    SeriPortConfSetting dialog(&port, nullptr);
    DialogHand hand([](QDialog *modal) {
        modal->findChild<QComboBox *>(QStringLiteral("setBaudRateCB"))->setCurrentIndex(0);
        modal->findChild<QComboBox *>(QStringLiteral("setParityCB"))->setCurrentIndex(3);
        QVERIFY(modal->close());
    });

    QVERIFY(dialog.exec() != DialogHand::kOverstayed);

    QVERIFY(!dialog.isVisible());
    QCOMPARE(port.baudRate(), 1200);
    QCOMPARE(port.parity(), QSerialPort::MarkParity);
}

void TestSeriPortConfSetting::escapeDoesNotApply()
{
    QSerialPort port;
    setDefaults(port);
    SeriPortConfSetting dialog(&port, nullptr);
    DialogHand hand([](QDialog *modal) {
        auto *baud = modal->findChild<QComboBox *>(QStringLiteral("setBaudRateCB"));
        baud->setCurrentIndex(0);
        QTest::keyClick(baud, Qt::Key_Escape);
    });

    QCOMPARE(dialog.exec(), int(QDialog::Rejected));

    QVERIFY(!dialog.isVisible());
    QCOMPARE(port.baudRate(), 115200);
}

QTEST_MAIN(TestSeriPortConfSetting)
#include "tst_seriportconfsetting.moc"
