#pragma once

#include <QMetaType>

// Replies of the module that the window acts on. The numeric values are
// part of the contract with the state table of the cloud controls.
enum DEVICE_SIGNAL {
    WIFI_GOT_IP = 0,
    WIFI_JOIN_REPLY = 1,
    WIFI_CONNECTED = 2,
    WIFI_DISCONNECTED = 3,
    MQTT_CONNECTED = 4,
    MQTT_DISCONNECTED = 5,
    SMARTCONFIG_STARTED = 6,
    SOFTAP_STARTED = 7,
    PROVISION_FAILED = 8,
    SMARTCONFIG_STOPPED = 9,
    SOFTAP_STOPPED = 10,
};

Q_DECLARE_METATYPE(DEVICE_SIGNAL)
