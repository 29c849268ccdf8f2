#include "cloudcontrols.h"

#include "buttoncombobox.h"

#include <QCoreApplication>
#include <QPushButton>

namespace {

// The combo box's own model reads an item's flags from this role: -1 is
// every flag, 0 makes the item impossible to choose.
constexpr int kItemFlagsRole = Qt::UserRole - 1;
constexpr int kWifiActionRole = Qt::UserRole;
constexpr int kStopItem = 0;
constexpr int kJoinDirectlyItem = 1;

using Action = CloudControls::WifiAction;

enum class Switch { Keep, On, Off };

// What the Wi-Fi control shows after a reply: as it was, the method item
// (offered again once Wi-Fi or provisioning has ended), or item 0 as the
// way to stop what runs.
enum class WifiItem { Keep, Method, Disconnect, StopSmartConfig, StopSoftAp };

struct Reaction {
    DEVICE_SIGNAL signal;
    bool smartConfigGuide; // printed before anything else changes
    int methodIndex;       // the Wi-Fi item offered from now on; 0 keeps it
    WifiItem wifi;
    Switch cloudOffered; // the cloud button enabled or not, its check state kept
    Switch cloudUp;      // the cloud button checked (connected) or not
    Switch identity;     // the identity fields and the button that sends them
    Switch mqttParameters;
    Switch topics; // On: the topic buttons enabled; Off: back to AT mode, all off
};

// Applied from left to right.
constexpr Switch K = Switch::Keep;
constexpr Switch On = Switch::On;
constexpr Switch Off = Switch::Off;
const Reaction kReactions[] = {
    {WIFI_GOT_IP, false, 1, WifiItem::Keep, K, K, K, K, K},
    {WIFI_JOIN_REPLY, false, 1, WifiItem::Method, K, K, K, K, K},
    {WIFI_CONNECTED, false, 0, WifiItem::Disconnect, On, K, K, On, K},
    {WIFI_DISCONNECTED, false, 0, WifiItem::Method, Off, K, On, Off, Off},
    {MQTT_CONNECTED, false, 0, WifiItem::Keep, K, On, Off, Off, On},
    {MQTT_DISCONNECTED, false, 0, WifiItem::Keep, K, Off, On, On, Off},
    {SMARTCONFIG_STARTED, true, 2, WifiItem::StopSmartConfig, K, K, K, K, K},
    {SOFTAP_STARTED, false, 3, WifiItem::StopSoftAp, K, K, K, K, K},
    {PROVISION_FAILED, false, 0, WifiItem::Method, K, K, K, K, K},
    {SMARTCONFIG_STOPPED, false, 0, WifiItem::Method, K, K, K, K, K},
    {SOFTAP_STOPPED, false, 0, WifiItem::Method, K, K, K, K, K},
};

// The window's texts, looked up where the window looks its own up.
const char *const kConnectCloud = QT_TRANSLATE_NOOP("MainWindow", "连接Nimbrel云");
const char *const kDisconnectCloud = QT_TRANSLATE_NOOP("MainWindow", "断开Nimbrel云");
const char *const kDisconnectWifi = QT_TRANSLATE_NOOP("MainWindow", "断开WiFi");
const char *const kStopSmartConfig = QT_TRANSLATE_NOOP("MainWindow", "停止SmartConfig配网");
const char *const kStopSoftAp = QT_TRANSLATE_NOOP("MainWindow", "停止softAP配网");

QString windowText(const char *text)
{
    return QCoreApplication::translate("MainWindow", text);
}

QString stopItemText(Action action)
{
    switch (action) {
    case Action::StopSmartConfig:
        return windowText(kStopSmartConfig);
    case Action::StopSoftAp:
        return windowText(kStopSoftAp);
    default:
        return windowText(kDisconnectWifi);
    }
}

void setAllEnabled(const QList<QWidget *> &widgets, bool enabled)
{
    for (QWidget *widget : widgets)
        widget->setEnabled(enabled);
}

} // namespace

CloudControls::CloudControls(const Widgets &widgets, QObject *parent) : QObject(parent), w(widgets)
{
    const Action itemActions[] = {Action::Disconnect, Action::JoinDirectly, Action::SmartConfig,
                                  Action::SoftAp};
    for (int item = 0; item < w.wifi->count() && item < 4; ++item)
        w.wifi->setItemData(item, int(itemActions[item]), kWifiActionRole);
}

void CloudControls::apply(DEVICE_SIGNAL signal)
{
    for (const Reaction &reaction : kReactions) {
        if (reaction.signal != signal)
            continue;
        if (reaction.smartConfigGuide)
            emit smartConfigGuideWanted();
        if (reaction.methodIndex > 0)
            methodIndex = reaction.methodIndex;
        switch (reaction.wifi) {
        case WifiItem::Keep:
            break;
        case WifiItem::Method:
            offerMethodItem();
            break;
        case WifiItem::Disconnect:
            offerStopItem(Action::Disconnect);
            break;
        case WifiItem::StopSmartConfig:
            offerStopItem(Action::StopSmartConfig);
            break;
        case WifiItem::StopSoftAp:
            offerStopItem(Action::StopSoftAp);
            break;
        }
        if (reaction.cloudOffered != K)
            setCloudOffered(reaction.cloudOffered == On);
        if (reaction.cloudUp != K)
            setCloudUp(reaction.cloudUp == On);
        if (reaction.identity != K) {
            w.setDeviceInfo->setEnabled(reaction.identity == On);
            setIdentityEditable(reaction.identity == On);
        }
        if (reaction.mqttParameters != K)
            setMqttParametersEditable(reaction.mqttParameters == On);
        if (reaction.topics == On) {
            for (QPushButton *button : qAsConst(w.topicButtons))
                button->setEnabled(true);
        } else if (reaction.topics == Off) {
            emit atModeWanted();
            disableTopicButtons();
        }
        return;
    }
}

CloudControls::WifiAction CloudControls::wifiAction() const
{
    const QVariant action = w.wifi->currentData(kWifiActionRole);
    if (action.isValid())
        return WifiAction(action.toInt());
    return w.wifi->currentIndex() == kStopItem ? Action::Disconnect : Action::SoftAp;
}

void CloudControls::setIdentityEditable(bool editable)
{
    setAllEnabled(w.identityEdits, editable);
}

void CloudControls::setMqttParametersEditable(bool editable)
{
    setAllEnabled(w.mqttParameters, editable);
}

void CloudControls::disableTopicButtons()
{
    for (QPushButton *button : qAsConst(w.topicButtons)) {
        button->setChecked(false);
        button->setDisabled(true);
    }
}

void CloudControls::reset()
{
    w.wifi->setDisabled(true);
    w.wifi->setCurrentIndex(kJoinDirectlyItem);
    w.cloud->setDisabled(true);
    w.cloud->setChecked(false);
    w.cloud->setText(windowText(kConnectCloud));
    disableTopicButtons();
    w.atMode->setChecked(false);
    w.atMode->setDisabled(true);
    w.setDeviceInfo->setDisabled(true);
}

void CloudControls::enableForOpenPort()
{
    setIdentityEditable(true);
    w.atMode->setEnabled(true);
    w.wifi->setEnabled(true);
    w.setDeviceInfo->setEnabled(true);
}

void CloudControls::setStopItemAvailable(bool available)
{
    w.wifi->setItemData(kStopItem, available ? -1 : 0, kItemFlagsRole);
}

void CloudControls::offerStopItem(WifiAction action)
{
    w.wifi->setEnabled(true);
    setStopItemAvailable(true);
    w.wifi->setItemText(kStopItem, stopItemText(action));
    w.wifi->setItemData(kStopItem, int(action), kWifiActionRole);
    w.wifi->setCurrentIndex(kStopItem);
}

void CloudControls::offerMethodItem()
{
    w.wifi->setEnabled(true);
    setStopItemAvailable(false);
    w.wifi->setCurrentIndex(methodIndex);
}

void CloudControls::setCloudOffered(bool offered)
{
    // Its check state is the module's MQTT state and stays as it is.
    w.cloud->setText(windowText(kConnectCloud));
    w.cloud->setEnabled(offered);
}

void CloudControls::setCloudUp(bool up)
{
    w.cloud->setText(up ? windowText(kDisconnectCloud) : windowText(kConnectCloud));
    w.cloud->setChecked(up);
}
