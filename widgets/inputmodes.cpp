#include "inputmodes.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

// The send button's texts are the window's, looked up where the window looks
// its own up; the topic modes' share their source text with the buttons'
// labels, hence the comment that tells them apart.
QString sendText(InputModes::Mode mode)
{
    switch (mode) {
    case InputModes::Subscribe:
        return QCoreApplication::translate("MainWindow", "订阅主题", "send button");
    case InputModes::Unsubscribe:
        return QCoreApplication::translate("MainWindow", "取消订阅", "send button");
    case InputModes::Publish:
        return QCoreApplication::translate("MainWindow", "发布消息", "send button");
    case InputModes::PublishLong:
        return QCoreApplication::translate("MainWindow", "发布长消息", "send button");
    case InputModes::AtCommand:
        break;
    }
    return QCoreApplication::translate("MainWindow", "发送");
}

} // namespace

InputModes::InputModes(const Widgets &widgets, QObject *parent) : QObject(parent), w(widgets) {}

void InputModes::addButton(QPushButton *button)
{
    if (!buttons.contains(button))
        buttons.append(button);
}

void InputModes::checkOnly(QPushButton *button)
{
    addButton(button);
    for (QPushButton *other : qAsConst(buttons)) {
        if (other != button)
            other->setChecked(false);
    }
}

void InputModes::enterAtMode(bool checked)
{
    w.send->setText(sendText(AtCommand));
    checkOnly(w.atMode);
    if (!checked)
        w.atMode->setChecked(true);
    setMode(AtCommand);
    setTopicFieldsVisible(false);
    w.box->setEnabled(true);
    enableSendForBox();
}

void InputModes::topicButtonClicked(QPushButton *button, Mode mode, bool checked)
{
    if (checked)
        enterTopicMode(button, mode);
    else
        enterAtMode(false);
}

void InputModes::enterTopicMode(QPushButton *button, Mode mode)
{
    checkOnly(button);
    w.topicLabel->show();
    w.topic->show();
    const bool withQos = mode != Unsubscribe;
    w.qosLabel->setVisible(withQos);
    w.qos->setVisible(withQos);
    if (w.topic->text().isEmpty())
        w.topic->setText(w.productId->text() + QLatin1Char('/') + w.deviceName->text() +
                         QLatin1Char('/'));
    w.topic->setFocus(Qt::MouseFocusReason);
    w.send->setText(sendText(mode));
    // Subscribing needs no message, publishing one that is not empty.
    if (mode == Subscribe || mode == Unsubscribe) {
        w.box->setDisabled(true);
        w.send->setEnabled(true);
    } else {
        w.box->setEnabled(true);
        enableSendForBox();
    }
    setMode(mode);
}

void InputModes::setMode(Mode mode)
{
    if (mode == current)
        return;
    current = mode;
    emit modeChanged(mode);
}

void InputModes::setTopicFieldsVisible(bool visible)
{
    for (QWidget *field :
         {w.topicLabel, static_cast<QWidget *>(w.topic), w.qosLabel, static_cast<QWidget *>(w.qos)})
        field->setVisible(visible);
}

void InputModes::enableSendForBox()
{
    w.send->setEnabled(!w.box->toPlainText().isEmpty());
}
