#pragma once

#include <QString>
#include <optional>

class QWidget;

// Asking the user for the network the module is to join or to open.
namespace atlume {

struct WifiCredentials {
    QString ssid;
    QString password;
};

enum class WifiCredentialsFor {
    DirectJoin, // the network the module joins (the Wi-Fi settings dialog)
    SoftAp,     // the access point the module opens (the softAP guide)
};

// Runs the dialog modally; nothing when the user cancelled or closed it.
std::optional<WifiCredentials> askWifiCredentials(WifiCredentialsFor purpose, QWidget *parent);

} // namespace atlume
