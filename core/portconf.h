#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QtGlobal>
#include <optional>

namespace atlume {

// What a per-port file supplies. A member that is missing, of another JSON
// type or outside the accepted values stays empty.
struct PortConf {
    std::optional<QString> productId;
    std::optional<QString> deviceName;
    std::optional<QString> deviceSecret;
    std::optional<qint32> baudRate;
    std::optional<int> dataBits;
    std::optional<int> flowControl;
    std::optional<int> parity;
    std::optional<int> stopBits;
};

// Everything a per-port file stores; numbers are QSerialPort enumeration values.
// The line parameters start at the defaults a port takes where its file gives
// none: the one place those are written.
struct PortConfValues {
    QString productId;
    QString deviceName;
    QString deviceSecret;
    qint32 baudRate = 115200;
    int dataBits = 8;
    int flowControl = 0;
    int parity = 0;
    int stopBits = 1;
};

// "./conf/portConf/" + port name + "_CONF.json", relative to the working directory.
QString portConfPath(const QString &portName);

// Reads the file at path; a missing, unreadable or non-object file gives an empty PortConf.
PortConf readPortConf(const QString &path);
// What the object of a per-port file supplies.
PortConf portConfOf(const QJsonObject &object);

// The exact bytes written: Qt's indented JSON of all eight members.
QByteArray portConfJson(const PortConfValues &values);

// Replaces the file atomically, readable and writable by its owner only.
// Returns false (and leaves any old file alone) when it cannot be written.
bool writePortConf(const QString &path, const PortConfValues &values);

} // namespace atlume
