#pragma once

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QStringList>
#include <QTimer>
#include <QWindow>
#include <QtTest>
#include <functional>

// Works each dialog that comes up while it lives, from inside the dialog's
// exec(), as a user would: the action gets the dialog once it is shown and its
// window exposed. The hand is made before whatever opens the dialog, and lives
// until after it. A dialog the action leaves open is ended with kOverstayed
// after a while and fails the test, so that a fault fails the test instead of
// hanging it.
class DialogHand : public QObject {
public:
    using Action = std::function<void(QDialog *)>;
    static constexpr int kOverstayed = -1;

    explicit DialogHand(Action action, int patienceMs = 10000)
        : action(std::move(action)), patienceMs(patienceMs)
    {
        poll.setInterval(10);
        connect(&poll, &QTimer::timeout, this, &DialogHand::look);
        QTimer::singleShot(0, this, &DialogHand::look);
        poll.start();
    }

    int dialogs = 0;      // those handed to the action
    int modalDialogs = 0; // of those, the ones QApplication::activeModalWidget() reported
    QString className;    // of the last one
    QStringList problems; // what went wrong on the way

private:
    void look()
    {
        if (current && !current->isVisible())
            current = nullptr;
        auto *modal = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        // A dialog shown without modality is a fault the test should see, not a hang.
        QDialog *dialog = modal ? modal : visibleDialog();
        if (!dialog || dialog == current || !isUp(dialog))
            return;
        current = dialog;
        ++dialogs;
        if (dialog == modal)
            ++modalDialogs;
        className = QString::fromLatin1(dialog->metaObject()->className());
        action(dialog);
        QTimer::singleShot(patienceMs, this,
                           [this, dialog = QPointer<QDialog>(dialog)] { endIfOpen(dialog); });
    }

    void endIfOpen(QDialog *dialog)
    {
        if (!dialog || !dialog->isVisible())
            return;
        const QString problem =
            QString::fromLatin1(dialog->metaObject()->className()) + " stayed open";
        problems << problem;
        dialog->done(kOverstayed);
        QTest::qFail(qPrintable(problem), __FILE__, __LINE__);
    }

    static bool isUp(QDialog *dialog)
    {
        return dialog->isVisible() && dialog->windowHandle() && dialog->windowHandle()->isExposed();
    }

    static QDialog *visibleDialog()
    {
        const auto windows = QApplication::topLevelWidgets();
        for (QWidget *window : windows) {
            auto *dialog = qobject_cast<QDialog *>(window);
            if (dialog && dialog->isVisible())
                return dialog;
        }
        return nullptr;
    }

    Action action;
    int patienceMs;
    QTimer poll;
    QPointer<QDialog> current;
};

// The fields and buttons of either Wi-Fi dialog; the two name their fields differently.
struct WifiFields {
    QLineEdit *ssid;
    QLineEdit *password;
    QPushButton *ok;
    QPushButton *cancel;
};

inline WifiFields fieldsOf(QWidget *dialog)
{
    const bool softAp = dialog->inherits("softAPConnectWifi");
    auto *box = dialog->findChild<QDialogButtonBox *>(QStringLiteral("buttonBox"));
    return {dialog->findChild<QLineEdit *>(softAp ? QStringLiteral("ssid_line_edit")
                                                  : QStringLiteral("ssidLineEdit")),
            dialog->findChild<QLineEdit *>(softAp ? QStringLiteral("passwd_line_edit")
                                                  : QStringLiteral("passwdLineEdit")),
            box ? box->button(QDialogButtonBox::Ok) : nullptr,
            box ? box->button(QDialogButtonBox::Cancel) : nullptr};
}

// Types into both fields of a Wi-Fi dialog as a user would and presses OK.
inline void typeAndConfirm(QDialog *dialog, const QString &ssid, const QString &password)
{
    const WifiFields f = fieldsOf(dialog);
    QTest::keyClicks(f.ssid, ssid);
    QTest::keyClicks(f.password, password);
    QVERIFY(f.ok->isEnabled());
    QTest::mouseClick(f.ok, Qt::LeftButton);
}
