#pragma once

#include <QByteArray>
#include <QString>

// Lines of the module's AT command set, built without their CR LF terminator
// (send_order adds it).
namespace atlume::at {

// What ends a line sent from the command box; every other line ends in CR LF,
// which the module needs.
enum class LineEnding { CrLf, Lf, Cr, None };

// The bytes that go on the wire for one command line.
QByteArray wireLine(const QString &order, LineEnding ending = LineEnding::CrLf);

// True when the text is empty or holds only white space.
bool isBlank(const QString &text);

// The command box as one line: CRs removed, each LF turned into a blank.
QString commandFromBox(const QString &boxText);

QString attention();
QString firmwareVersionQuery();

// The two queries that tell the window the module's state after the port opens.
QString wifiStatusQuery();
QString mqttStateQuery();

// Leaving Wi-Fi: the module reports nothing when it does, so the window reports
// the drop itself whenever this line goes out.
QString leaveAccessPoint();
bool isLeaveAccessPoint(const QString &order);
QString stationMode();
QString startSmartConfig();
QString stopSmartConfig();
QString stopSoftAp();
QString mqttDisconnect();

QString deviceInfo(const QString &productId, const QString &deviceName,
                   const QString &deviceSecret);
QString joinAccessPoint(const QString &ssid, const QString &password);
QString startSoftAp(const QString &ssid, const QString &password);
QString mqttConnect(int tlsMode, int commandTimeout, int keepAlive, int cleanSession,
                    int reconnect);
QString subscribe(const QString &topic, int qos);
QString unsubscribe(const QString &topic);

// Quotes and commas get a backslash so the module does not split the argument.
QString escapeQuotesAndCommas(const QString &text);
// Line breaks become blanks, then quotes and commas are escaped.
QString escapeMessage(const QString &message);

QString publish(const QString &topic, int qos, const QString &message);
// First line of a long publish; the length is the UTF-8 byte count of the
// escaped message, which is what the module reads after this line.
QString publishLongHeader(const QString &topic, int qos, const QString &message);

} // namespace atlume::at
