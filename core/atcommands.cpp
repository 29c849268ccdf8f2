#include "atcommands.h"

#include <QRegExp>

namespace atlume::at {

namespace {
QString quoted(const QString &text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

QString quotedPair(const QString &prefix, const QString &first, const QString &second)
{
    return prefix + quoted(first) + QLatin1Char(',') + quoted(second);
}
} // namespace

QByteArray wireLine(const QString &order, LineEnding ending)
{
    QByteArray line = order.toUtf8();
    switch (ending) {
    case LineEnding::CrLf:
        return line.append("\r\n");
    case LineEnding::Lf:
        return line.append('\n');
    case LineEnding::Cr:
        return line.append('\r');
    case LineEnding::None:
        break;
    }
    return line;
}

bool isBlank(const QString &text)
{
    QRegExp blank(QStringLiteral("^[\\s\\n\\r]*$"), Qt::CaseSensitive, QRegExp::RegExp);
    return blank.indexIn(text, 0) != -1;
}

QString commandFromBox(const QString &boxText)
{
    QString order = boxText;
    order.remove(QLatin1Char('\r'));
    order.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return order;
}

QString attention()
{
    return QStringLiteral("AT");
}

QString firmwareVersionQuery()
{
    return QStringLiteral("AT+GMR");
}

QString wifiStatusQuery()
{
    return QStringLiteral("AT+CIPSTATUS");
}

QString mqttStateQuery()
{
    return QStringLiteral("AT+KQMQTTSTATE?");
}

QString leaveAccessPoint()
{
    return QStringLiteral("AT+CWQAP");
}

bool isLeaveAccessPoint(const QString &order)
{
    // The whole line, exactly: "at+cwqap" or "AT+CWQAP?" is another command.
    return order == leaveAccessPoint();
}

QString stationMode()
{
    return QStringLiteral("AT+CWMODE=1");
}

QString startSmartConfig()
{
    return QStringLiteral("AT+KQSTARTSMART");
}

QString stopSmartConfig()
{
    return QStringLiteral("AT+KQSTOPSMART");
}

QString stopSoftAp()
{
    return QStringLiteral("AT+KQSTOPSAP");
}

QString mqttDisconnect()
{
    return QStringLiteral("AT+KQMQTTDISCONN");
}

QString deviceInfo(const QString &productId, const QString &deviceName, const QString &deviceSecret)
{
    return QStringLiteral("AT+KQDEVINFOSET=1,") + quoted(productId) + QLatin1Char(',') +
           quoted(deviceName) + QLatin1Char(',') + quoted(deviceSecret);
}

QString joinAccessPoint(const QString &ssid, const QString &password)
{
    return quotedPair(QStringLiteral("AT+CWJAP="), ssid, password);
}

QString startSoftAp(const QString &ssid, const QString &password)
{
    return quotedPair(QStringLiteral("AT+KQSAP="), ssid, password);
}

QString mqttConnect(int tlsMode, int commandTimeout, int keepAlive, int cleanSession, int reconnect)
{
    return QStringLiteral("AT+KQMQTTCONN=%1,%2,%3,%4,%5")
        .arg(tlsMode)
        .arg(commandTimeout)
        .arg(keepAlive)
        .arg(cleanSession)
        .arg(reconnect);
}

QString subscribe(const QString &topic, int qos)
{
    return QStringLiteral("AT+KQMQTTSUB=") + quoted(topic) + QLatin1Char(',') +
           QString::number(qos);
}

QString unsubscribe(const QString &topic)
{
    return QStringLiteral("AT+KQMQTTUNSUB=") + quoted(topic);
}

QString escapeQuotesAndCommas(const QString &text)
{
    QString escaped = text;
    escaped.replace(QLatin1Char('"'), QStringLiteral("\\\""));
    escaped.replace(QLatin1Char(','), QStringLiteral("\\,"));
    return escaped;
}

QString escapeMessage(const QString &message)
{
    QString flat = message;
    flat.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    flat.replace(QLatin1Char('\r'), QLatin1Char(' '));
    flat.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return escapeQuotesAndCommas(flat);
}

QString publish(const QString &topic, int qos, const QString &message)
{
    return QStringLiteral("AT+KQMQTTPUB=") + quoted(topic) + QLatin1Char(',') +
           QString::number(qos) + QLatin1Char(',') + quoted(escapeMessage(message));
}

QString publishLongHeader(const QString &topic, int qos, const QString &message)
{
    return QStringLiteral("AT+KQMQTTPUBL=") + quoted(topic) + QLatin1Char(',') +
           QString::number(qos) + QLatin1Char(',') +
           QString::number(escapeMessage(message).toUtf8().size());
}

} // namespace atlume::at
