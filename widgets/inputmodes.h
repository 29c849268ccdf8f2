#pragma once

#include <QList>
#include <QObject>

class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QWidget;

// What the input area under the console sends: AT commands typed into the
// command box, or one of the topic commands built from the topic, QoS and
// message fields. The mode buttons form one exclusive group; each mode shows
// the fields it needs and names the send button after what it sends.
class InputModes : public QObject {
    Q_OBJECT

public:
    // The values are fixed: they are what the window calls its send mode.
    enum Mode { AtCommand = 0, Subscribe = 1, Unsubscribe = 2, Publish = 3, PublishLong = 4 };

    struct Widgets {
        QPushButton *send = nullptr;
        QPlainTextEdit *box = nullptr;
        QPushButton *atMode = nullptr;
        QWidget *topicLabel = nullptr;
        QLineEdit *topic = nullptr;
        QWidget *qosLabel = nullptr;
        QComboBox *qos = nullptr;
        // The default topic is made of these two.
        QLineEdit *productId = nullptr;
        QLineEdit *deviceName = nullptr;
    };

    InputModes(const Widgets &widgets, QObject *parent);

    Mode mode() const { return current; }

    // The exclusive group: a button joins it once.
    void addButton(QPushButton *button);
    void checkOnly(QPushButton *button);

    // AT commands again; a click on the checked AT button leaves it checked,
    // and a call with checked false checks it.
    void enterAtMode(bool checked);
    // A topic button's click: checked enters its mode, unchecked goes back
    // to AT commands.
    void topicButtonClicked(QPushButton *button, Mode mode, bool checked);
    void setTopicFieldsVisible(bool visible);

signals:
    void modeChanged(InputModes::Mode mode);

private:
    void setMode(Mode mode);
    void enterTopicMode(QPushButton *button, Mode mode);
    void enableSendForBox();

    Widgets w;
    QList<QPushButton *> buttons;
    Mode current = AtCommand;
};
