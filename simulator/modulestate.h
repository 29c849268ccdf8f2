#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

#include <optional>

namespace atlume {

// What "AT+KQDEVINFOSET" tells the module, and the cloud knows it by.
struct DeviceIdentity {
    QString productId;
    QString deviceName;
    QString deviceSecret;

    QString clientId() const { return productId + QLatin1Char('.') + deviceName; }
};

enum class Provisioning { None, SmartConfig, SoftAp };

struct Publication {
    QString topic;
    int qos = 0;
    QByteArray message; // as it came over the line, escapes included
    bool longForm = false;
};

// What the module has been told and how it stands, read by its cloud too.
struct ModuleState {
    bool echo = true;
    bool joined = false;
    bool mqttUp = false;
    Provisioning provisioning = Provisioning::None;
    // A non-zero code makes "AT+CWJAP" fail with "+CWJAP:<code>" and "FAIL".
    int joinError = 0;
    std::optional<DeviceIdentity> identity;
    QString ssid;
    QString password;
    QString apSsid;
    QString apPassword;
    // The five numbers of the last "AT+KQMQTTCONN" that was understood.
    QVector<int> mqttParameters;
    QStringList subscriptions;
    QVector<Publication> publications;
};

} // namespace atlume
