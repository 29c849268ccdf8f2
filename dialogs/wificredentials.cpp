#include "wificredentials.h"

#include "softapconnectwifi.h"
#include "wifi_setting_dialog.h"

namespace atlume {

std::optional<WifiCredentials> askWifiCredentials(WifiCredentialsFor purpose, QWidget *parent)
{
    // The dialogs answer through the two strings, and only on OK.
    QString ssid;
    QString password;
    if (purpose == WifiCredentialsFor::SoftAp) {
        softAPConnectWifi dialog(&ssid, &password, parent);
        // Its form does not make it modal, and show() before exec() would leave it so.
        dialog.setModal(true);
        dialog.show();
        dialog.exec();
    } else {
        wifi_setting_dialog dialog(&ssid, &password, parent);
        dialog.show();
        dialog.exec();
    }
    if (ssid.isEmpty() || password.isEmpty())
        return std::nullopt;
    return WifiCredentials{ssid, password};
}

} // namespace atlume
