#include "atcommandtable.h"

#include <QCoreApplication>

namespace atlume::at {

const QVector<CommandInfo> &commandTable()
{
    static const QVector<CommandInfo> table{
        {"AT", "", QT_TRANSLATE_NOOP("AtCommandTable", "测试模组是否应答")},
        {"ATE0", "", QT_TRANSLATE_NOOP("AtCommandTable", "关闭命令回显")},
        {"ATE1", "", QT_TRANSLATE_NOOP("AtCommandTable", "打开命令回显")},
        {"AT+GMR", "", QT_TRANSLATE_NOOP("AtCommandTable", "查询固件版本")},
        {"AT+CIPSTATUS", "", QT_TRANSLATE_NOOP("AtCommandTable", "查询 Wi-Fi 连接状态")},
        {"AT+CWMODE", "=<mode>",
         QT_TRANSLATE_NOOP("AtCommandTable", "设置 Wi-Fi 模式（1 为 station）")},
        {"AT+CWJAP", "=\"<ssid>\",\"<password>\"",
         QT_TRANSLATE_NOOP("AtCommandTable", "连接 Wi-Fi 接入点")},
        {"AT+CWQAP", "", QT_TRANSLATE_NOOP("AtCommandTable", "断开 Wi-Fi")},
        {"AT+KQSTARTSMART", "", QT_TRANSLATE_NOOP("AtCommandTable", "开始 SmartConfig 配网")},
        {"AT+KQSTOPSMART", "", QT_TRANSLATE_NOOP("AtCommandTable", "停止 SmartConfig 配网")},
        {"AT+KQSAP", "=\"<ssid>\",\"<password>\"",
         QT_TRANSLATE_NOOP("AtCommandTable", "开始 softAP 配网")},
        {"AT+KQSTOPSAP", "", QT_TRANSLATE_NOOP("AtCommandTable", "停止 softAP 配网")},
        {"AT+KQDEVINFOSET", "=1,\"<product_id>\",\"<device_name>\",\"<device_secret>\"",
         QT_TRANSLATE_NOOP("AtCommandTable", "写入设备身份：产品 ID、设备名称、设备密钥")},
        {"AT+KQMQTTCONN", "=<tls_mode>,<timeout_ms>,<keepalive_s>,<clean_session>,<reconnect>",
         QT_TRANSLATE_NOOP("AtCommandTable", "连接云端 MQTT")},
        {"AT+KQMQTTDISCONN", "", QT_TRANSLATE_NOOP("AtCommandTable", "断开云端 MQTT")},
        {"AT+KQMQTTSTATE?", "", QT_TRANSLATE_NOOP("AtCommandTable", "查询 MQTT 连接状态")},
        {"AT+KQMQTTSUB", "=\"<topic>\",<qos>", QT_TRANSLATE_NOOP("AtCommandTable", "订阅主题")},
        {"AT+KQMQTTUNSUB", "=\"<topic>\"", QT_TRANSLATE_NOOP("AtCommandTable", "取消订阅主题")},
        {"AT+KQMQTTPUB", "=\"<topic>\",<qos>,\"<message>\"",
         QT_TRANSLATE_NOOP("AtCommandTable", "发布消息")},
        {"AT+KQMQTTPUBL", "=\"<topic>\",<qos>,<length>",
         QT_TRANSLATE_NOOP("AtCommandTable", "发布长消息，消息本身随后单独一行发送")},
    };
    return table;
}

QString commandTemplate(const CommandInfo &info)
{
    return QLatin1String(info.command) + QLatin1String(info.parameters);
}

QVector<CommandInfo> commandsBeginningWith(const QString &prefix)
{
    QVector<CommandInfo> found;
    for (const CommandInfo &info : commandTable()) {
        if (commandTemplate(info).startsWith(prefix, Qt::CaseInsensitive))
            found.append(info);
    }
    return found;
}

} // namespace atlume::at
