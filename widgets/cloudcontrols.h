#pragma once

#include "devicesignal.h"

#include <QList>
#include <QObject>

class ButtonCombobox;
class QPushButton;
class QWidget;

// The cloud-operation controls beside the console, which show what the
// module reports and never what the user asked for. What each recognised
// reply makes of them is one row of a table (cloudcontrols.cpp); the
// operations on whole groups of them are here too.
class CloudControls : public QObject {
    Q_OBJECT

public:
    struct Widgets {
        ButtonCombobox *wifi = nullptr;
        QPushButton *cloud = nullptr;
        QPushButton *setDeviceInfo = nullptr;
        QPushButton *atMode = nullptr;
        QList<QWidget *> identityEdits;
        QList<QWidget *> mqttParameters;
        QList<QPushButton *> topicButtons;
    };

    // What a press on the Wi-Fi control asks for, by the item it shows. Kept
    // with each item, so that no translation of a text can change what a
    // press sends.
    enum class WifiAction {
        Disconnect,
        StopSmartConfig,
        StopSoftAp,
        JoinDirectly,
        SmartConfig,
        SoftAp
    };

    CloudControls(const Widgets &widgets, QObject *parent);

    // Applies one reply of the module; a value outside the table changes nothing.
    void apply(DEVICE_SIGNAL signal);

    WifiAction wifiAction() const;
    // The Wi-Fi item offered again after Wi-Fi is lost or provisioning ends.
    int wifiMethodIndex() const { return methodIndex; }

    // The groups.
    void setIdentityEditable(bool editable);
    void setMqttParametersEditable(bool editable);
    void disableTopicButtons();
    // As a closed port leaves them: nothing to press.
    void reset();
    // As an open port makes them: the identity, AT mode and the Wi-Fi control.
    void enableForOpenPort();
    // Item 0, the stop or disconnect item, can be chosen or not; while it
    // cannot, the method item is current.
    void setStopItemAvailable(bool available);

signals:
    // Steps of a reply that belong to the rest of the window, in their place
    // among the controls' own.
    void smartConfigGuideWanted();
    void atModeWanted();

private:
    void offerStopItem(WifiAction action);
    void offerMethodItem();
    void setCloudOffered(bool offered);
    void setCloudUp(bool up);

    Widgets w;
    int methodIndex = 1;
};
