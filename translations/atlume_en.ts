<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>AboutDialog</name>
    <message>
        <source>关于 Atlume</source>
        <translation>About Atlume</translation>
    </message>
    <message>
        <source>    这是 v1.0 版本，本程序可作为一个串口调试工具使用，也可以利用 Nimbrel云 IoT AT 指令集和Nimbrel云物联网平台进行互动。</source>
        <translation>    This is version v1.0. Use it as a serial-port debugging tool, or to work with the Nimbrel cloud IoT platform through the Nimbrel cloud IoT AT command set.</translation>
    </message>
    <message>
        <source>Copyright © 2026 Atlume developers</source>
        <translation>Copyright © 2026 Atlume developers</translation>
    </message>
    <message>
        <source>All rights reserved.</source>
        <translation>All rights reserved.</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>AtCommandTable</name>
    <message>
        <source>测试模组是否应答</source>
        <translation>Check that the module answers</translation>
    </message>
    <message>
        <source>关闭命令回显</source>
        <translation>Turn the echo of commands off</translation>
    </message>
    <message>
        <source>打开命令回显</source>
        <translation>Turn the echo of commands on</translation>
    </message>
    <message>
        <source>查询固件版本</source>
        <translation>Query the firmware version</translation>
    </message>
    <message>
        <source>查询 Wi-Fi 连接状态</source>
        <translation>Query the Wi-Fi connection status</translation>
    </message>
    <message>
        <source>设置 Wi-Fi 模式（1 为 station）</source>
        <translation>Set the Wi-Fi mode (1: station)</translation>
    </message>
    <message>
        <source>连接 Wi-Fi 接入点</source>
        <translation>Join a Wi-Fi access point</translation>
    </message>
    <message>
        <source>断开 Wi-Fi</source>
        <translation>Leave Wi-Fi</translation>
    </message>
    <message>
        <source>开始 SmartConfig 配网</source>
        <translation>Start SmartConfig provisioning</translation>
    </message>
    <message>
        <source>停止 SmartConfig 配网</source>
        <translation>Stop SmartConfig provisioning</translation>
    </message>
    <message>
        <source>开始 softAP 配网</source>
        <translation>Start softAP provisioning</translation>
    </message>
    <message>
        <source>停止 softAP 配网</source>
        <translation>Stop softAP provisioning</translation>
    </message>
    <message>
        <source>写入设备身份：产品 ID、设备名称、设备密钥</source>
        <translation>Write the device identity: product ID, device name, device secret</translation>
    </message>
    <message>
        <source>连接云端 MQTT</source>
        <translation>Connect to the cloud over MQTT</translation>
    </message>
    <message>
        <source>断开云端 MQTT</source>
        <translation>Disconnect from the cloud</translation>
    </message>
    <message>
        <source>查询 MQTT 连接状态</source>
        <translation>Query the MQTT connection state</translation>
    </message>
    <message>
        <source>订阅主题</source>
        <translation>Subscribe to a topic</translation>
    </message>
    <message>
        <source>取消订阅主题</source>
        <translation>Unsubscribe from a topic</translation>
    </message>
    <message>
        <source>发布消息</source>
        <translation>Publish a message</translation>
    </message>
    <message>
        <source>发布长消息，消息本身随后单独一行发送</source>
        <translation>Publish a long message; the message follows on a line of its own</translation>
    </message>
</context>
<context>
    <name>CloudMessageModel</name>
    <message>
        <source>时间</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>主题</source>
        <translation>Topic</translation>
    </message>
    <message>
        <source>内容</source>
        <translation>Payload</translation>
    </message>
</context>
<context>
    <name>CloudMessagesPanel</name>
    <message>
        <source>云端消息</source>
        <translation>Cloud messages</translation>
    </message>
    <message>
        <source>按主题筛选</source>
        <translation>Filter by topic</translation>
    </message>
    <message>
        <source>清空</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>复制内容</source>
        <translation>Copy payload</translation>
    </message>
</context>
<context>
    <name>CommandBox</name>
    <message>
        <source>无</source>
        <translation>None</translation>
    </message>
    <message>
        <source>十六进制发送</source>
        <translation>Send as hex</translation>
    </message>
    <message>
        <source>行尾</source>
        <translation>Line ending</translation>
    </message>
    <message>
        <source>显示发送内容</source>
        <translation>Show what is sent</translation>
    </message>
    <message>
        <source>定时发送…</source>
        <translation>Send periodically…</translation>
    </message>
    <message>
        <source>快捷指令</source>
        <translation>Quick commands</translation>
    </message>
    <message>
        <source>没有要发送的字节</source>
        <translation>No bytes to send</translation>
    </message>
    <message>
        <source>第 %1 个字符“%2”少了配对的另一位十六进制数字</source>
        <translation>Character %1, “%2”, lacks the second hex digit of its byte</translation>
    </message>
    <message>
        <source>第 %1 个字符“%2”不是十六进制数字</source>
        <translation>Character %1, “%2”, is not a hex digit</translation>
    </message>
</context>
<context>
    <name>Console</name>
    <message>
        <source>—— 串口 %1，%2 ——</source>
        <translation>—— Port %1, %2 ——</translation>
    </message>
    <message>
        <source>[图片 %1]</source>
        <translation>[Picture %1]</translation>
    </message>
    <message>
        <source>无法打开记录文件 %1：%2</source>
        <translation>Cannot open the log file %1: %2</translation>
    </message>
    <message>
        <source>写入记录文件 %1 失败，已停止记录：%2</source>
        <translation>Writing to the log file %1 failed, logging stopped: %2</translation>
    </message>
    <message>
        <source>无法保存到 %1：%2</source>
        <translation>Cannot save to %1: %2</translation>
    </message>
    <message>
        <source>文件已被删除</source>
        <translation>the file was removed</translation>
    </message>
</context>
<context>
    <name>ConsoleFindBar</name>
    <message>
        <source>查找</source>
        <translation>Find</translation>
    </message>
    <message>
        <source>无匹配</source>
        <translation>No match</translation>
    </message>
</context>
<context>
    <name>ConsoleFollower</name>
    <message>
        <source>↓ %1 行新消息</source>
        <translation>↓ %1 new lines</translation>
    </message>
</context>
<context>
    <name>ConsoleMenu</name>
    <message>
        <source>显示时间戳</source>
        <translation>Show timestamps</translation>
    </message>
    <message>
        <source>记录到文件…</source>
        <translation>Log to file…</translation>
    </message>
    <message>
        <source>停止记录（%1）</source>
        <translation>Stop logging (%1)</translation>
    </message>
    <message>
        <source>保存为…</source>
        <translation>Save as…</translation>
    </message>
    <message>
        <source>查找…</source>
        <translation>Find…</translation>
    </message>
    <message>
        <source>记录到文件</source>
        <translation>Log to file</translation>
    </message>
    <message>
        <source>记录文件 (*.log);;所有文件 (*)</source>
        <translation>Log files (*.log);;All files (*)</translation>
    </message>
    <message>
        <source>保存为</source>
        <translation>Save as</translation>
    </message>
    <message>
        <source>文本文件 (*.txt);;所有文件 (*)</source>
        <translation>Text files (*.txt);;All files (*)</translation>
    </message>
    <message>
        <source>十六进制显示</source>
        <translation>Show in hex</translation>
    </message>
    <message>
        <source>高亮应答</source>
        <translation>Highlight replies</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Atlume</source>
        <translation>Atlume</translation>
    </message>
    <message>
        <source>扫描串口</source>
        <translation>Scan ports</translation>
    </message>
    <message>
        <source>Connect</source>
        <translation>Connect</translation>
    </message>
    <message>
        <source>已发送信息: 0条</source>
        <translation>Lines sent: 0</translation>
    </message>
    <message>
        <source>清除</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>Topic: </source>
        <translation>Topic: </translation>
    </message>
    <message>
        <source>QoS:</source>
        <translation>QoS:</translation>
    </message>
    <message>
        <source>0</source>
        <translation>0</translation>
    </message>
    <message>
        <source>1</source>
        <translation>1</translation>
    </message>
    <message>
        <source>发送</source>
        <translation>Send</translation>
    </message>
    <message>
        <source>设备参数</source>
        <translation>Device identity</translation>
    </message>
    <message>
        <source>产品ID：</source>
        <translation>Product ID:</translation>
    </message>
    <message>
        <source>设备名称：</source>
        <translation>Device name:</translation>
    </message>
    <message>
        <source>设备秘钥：</source>
        <translation>Device secret:</translation>
    </message>
    <message>
        <source>MQTT连接参数</source>
        <translation>MQTT connection</translation>
    </message>
    <message>
        <source>接入方式：</source>
        <translation>Access:</translation>
    </message>
    <message>
        <source>直连模式</source>
        <translation>Direct</translation>
    </message>
    <message>
        <source>TLS秘钥方式</source>
        <translation>TLS key</translation>
    </message>
    <message>
        <source>TLS证书方式</source>
        <translation>TLS cert</translation>
    </message>
    <message>
        <source>命令超时时间：</source>
        <translation>Timeout:</translation>
    </message>
    <message>
        <source>心跳间隔：</source>
        <translation>Keep-alive:</translation>
    </message>
    <message>
        <source>是否清除会话：</source>
        <translation>Session:</translation>
    </message>
    <message>
        <source>不清除</source>
        <translation>Keep</translation>
    </message>
    <message>
        <source>是否重连：</source>
        <translation>Reconnect:</translation>
    </message>
    <message>
        <source>不自动重连</source>
        <translation>Never</translation>
    </message>
    <message>
        <source>自动重连</source>
        <translation>Automatic</translation>
    </message>
    <message>
        <source>隐藏物联网设置设置</source>
        <translation>Hide IoT settings</translation>
    </message>
    <message>
        <source>AT指令模式</source>
        <translation>AT commands</translation>
    </message>
    <message>
        <source>设置设备信息</source>
        <translation>Set identity</translation>
    </message>
    <message>
        <source>断开WiFi</source>
        <translation>Disconnect Wi-Fi</translation>
    </message>
    <message>
        <source>直接连接WiFi</source>
        <translation>Join Wi-Fi directly</translation>
    </message>
    <message>
        <source>Smart Config 配网</source>
        <translation>SmartConfig provisioning</translation>
    </message>
    <message>
        <source>softAP 配网</source>
        <translation>softAP provisioning</translation>
    </message>
    <message>
        <source>连接Nimbrel云</source>
        <translation>Connect cloud</translation>
    </message>
    <message>
        <source>订阅主题</source>
        <translation>Subscribe</translation>
    </message>
    <message>
        <source>取消订阅</source>
        <translation>Unsubscribe</translation>
    </message>
    <message>
        <source>发布消息</source>
        <translation>Publish</translation>
    </message>
    <message>
        <source>发布长消息</source>
        <translation>Publish long message</translation>
    </message>
    <message>
        <source>设置(&amp;S)</source>
        <translation>&amp;Settings</translation>
    </message>
    <message>
        <source>帮助(&amp;H)</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>关于 Atlume</source>
        <translation>About Atlume</translation>
    </message>
    <message>
        <source>  双击串口名称可对通讯模组串口属性进行设置。</source>
        <translation>Double-click a port to set the module&apos;s serial parameters.</translation>
    </message>
    <message>
        <source> 打开扩展区域</source>
        <translation>Show the cloud controls</translation>
    </message>
    <message>
        <source> 关闭扩展区域</source>
        <translation>Hide the cloud controls</translation>
    </message>
    <message>
        <source>隐藏物联网设置区域</source>
        <translation>Hide IoT settings</translation>
    </message>
    <message>
        <source>展开物联网设置区域</source>
        <translation>Show IoT settings</translation>
    </message>
    <message>
        <source>已发送信息：%1条</source>
        <translation>Lines sent: %1</translation>
    </message>
    <message>
        <source>停止SmartConfig配网</source>
        <translation>Stop SmartConfig</translation>
    </message>
    <message>
        <source>停止softAP配网</source>
        <translation>Stop softAP</translation>
    </message>
    <message>
        <source>断开Nimbrel云</source>
        <translation>Disconnect</translation>
    </message>
    <message>
        <source>  SmartConfig配网方式需要使用搭配Lumaro小程序使用</source>
        <translation>  SmartConfig provisioning works with the Lumaro mini-program:</translation>
    </message>
    <message>
        <source>  请使用Taviq或者Lumaro小程序扫描下面的二维码配合操作。<byte value="xd"/>
</source>
        <translation>  scan the QR code below with Taviq or the Lumaro mini-program.<byte value="xd"/>
</translation>
    </message>
    <message>
        <source>请先在&apos;设备信息参数&apos;处完善设备信息</source>
        <translation>Fill in the product ID, device name and device secret first.</translation>
    </message>
    <message>
        <source>已发送信息: %1条</source>
        <translation>Lines sent: %1</translation>
    </message>
    <message>
        <source>设置通讯模组 </source>
        <translation>Serial settings of </translation>
    </message>
    <message>
        <source>串口 </source>
        <translation>Port </translation>
    </message>
    <message>
        <source> 已打开。</source>
        <translation> opened.</translation>
    </message>
    <message>
        <source>    如果发现乱码，很有可能是波特率设置错误，请双击串口设备名，以调整波特率。
</source>
        <translation>    If the text looks garbled, the baud rate is probably wrong: double-click the port name to change it.
</translation>
    </message>
    <message>
        <source> 已关闭。</source>
        <translation> closed.</translation>
    </message>
    <message>
        <source>订阅主题</source>
        <comment>send button</comment>
        <translation>Subscribe</translation>
    </message>
    <message>
        <source>取消订阅</source>
        <comment>send button</comment>
        <translation>Unsub</translation>
    </message>
    <message>
        <source>发布消息</source>
        <comment>send button</comment>
        <translation>Publish</translation>
    </message>
    <message>
        <source>发布长消息</source>
        <comment>send button</comment>
        <translation>Publish</translation>
    </message>
    <message>
        <source>串口 %1 已重新接入，自动重新打开。</source>
        <translation>Serial port %1 is back; opening it again.</translation>
    </message>
</context>
<context>
    <name>PeriodicSender</name>
    <message>
        <source>定时发送</source>
        <translation>Send periodically</translation>
    </message>
    <message>
        <source>每隔多少毫秒发送一次命令框的内容：</source>
        <translation>Send the command box&apos;s content every (milliseconds):</translation>
    </message>
    <message>
        <source>停止</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>定时发送中（每 %1 毫秒）</source>
        <translation>Sending periodically (every %1 ms)</translation>
    </message>
</context>
<context>
    <name>PortList</name>
    <message>
        <source>描述：%1</source>
        <translation>Description: %1</translation>
    </message>
    <message>
        <source>制造商：%1</source>
        <translation>Manufacturer: %1</translation>
    </message>
    <message>
        <source>序列号：%1</source>
        <translation>Serial number: %1</translation>
    </message>
    <message>
        <source>USB 厂商 ID：%1</source>
        <translation>USB vendor ID: %1</translation>
    </message>
    <message>
        <source>USB 产品 ID：%1</source>
        <translation>USB product ID: %1</translation>
    </message>
    <message>
        <source>系统位置：%1</source>
        <translation>System location: %1</translation>
    </message>
    <message>
        <source>Atlume 模拟模组</source>
        <translation>Atlume simulated module</translation>
    </message>
    <message>
        <source>Atlume 模拟模组，由进程 %1 运行</source>
        <translation>Atlume simulated module, run by process %1</translation>
    </message>
    <message>
        <source>Atlume 模拟模组，由进程 %1（%2）运行</source>
        <translation>Atlume simulated module, run by process %1 (%2)</translation>
    </message>
    <message>
        <source>自动刷新</source>
        <translation>Refresh automatically</translation>
    </message>
    <message>
        <source>自动重连</source>
        <translation>Reconnect automatically</translation>
    </message>
</context>
<context>
    <name>QuickCommandsModel</name>
    <message>
        <source>名称</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>指令</source>
        <translation>Command</translation>
    </message>
    <message>
        <source>十六进制</source>
        <translation>Hex</translation>
    </message>
    <message>
        <source>延时（毫秒）</source>
        <translation>Delay (ms)</translation>
    </message>
    <message>
        <source>顺序发送</source>
        <translation>In sequence</translation>
    </message>
</context>
<context>
    <name>QuickSendPanel</name>
    <message>
        <source>快捷指令</source>
        <translation>Quick commands</translation>
    </message>
    <message>
        <source>添加</source>
        <translation>Add</translation>
    </message>
    <message>
        <source>删除</source>
        <translation>Remove</translation>
    </message>
    <message>
        <source>上移</source>
        <translation>Up</translation>
    </message>
    <message>
        <source>下移</source>
        <translation>Down</translation>
    </message>
    <message>
        <source>发送</source>
        <translation>Send</translation>
    </message>
    <message>
        <source>按顺序发送</source>
        <translation>Send in sequence</translation>
    </message>
    <message>
        <source>循环</source>
        <translation>Loop</translation>
    </message>
    <message>
        <source>停止</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>无法读取快捷指令文件 %1，快捷指令为空；保存新的列表之前不会改动该文件</source>
        <translation>Cannot read the quick commands file %1; the quick commands are empty, and the file is left as it is until you save a new list</translation>
    </message>
    <message>
        <source>快捷指令文件 %1 不是快捷指令列表，快捷指令为空；保存新的列表之前不会改动该文件</source>
        <translation>The quick commands file %1 holds no list of quick commands; the quick commands are empty, and the file is left as it is until you save a new list</translation>
    </message>
    <message>
        <source>新指令</source>
        <translation>New command</translation>
    </message>
</context>
<context>
    <name>ScrollbackLimiter</name>
    <message>
        <source>（较早的 %1 行已从显示中移除）</source>
        <translation>(%1 earlier lines are no longer shown)</translation>
    </message>
</context>
<context>
    <name>SendTools</name>
    <message>
        <source>定时发送失败，已停止。</source>
        <translation>Sending periodically failed and has stopped.</translation>
    </message>
    <message>
        <source>快捷指令“%1”不是以十六进制写的字节，没有发送。</source>
        <translation>The quick command “%1” is not bytes written in hex; nothing was sent.</translation>
    </message>
    <message>
        <source>快捷指令“%1”发送失败。</source>
        <translation>Sending the quick command “%1” failed.</translation>
    </message>
</context>
<context>
    <name>SeriPortConfSetting</name>
    <message>
        <source>Dialog</source>
        <translation>Dialog</translation>
    </message>
    <message>
        <source>波特率</source>
        <translation>Baud rate</translation>
    </message>
    <message>
        <source>1200</source>
        <translation>1200</translation>
    </message>
    <message>
        <source>2400</source>
        <translation>2400</translation>
    </message>
    <message>
        <source>4800</source>
        <translation>4800</translation>
    </message>
    <message>
        <source>9600</source>
        <translation>9600</translation>
    </message>
    <message>
        <source>19200</source>
        <translation>19200</translation>
    </message>
    <message>
        <source>38400</source>
        <translation>38400</translation>
    </message>
    <message>
        <source>57600</source>
        <translation>57600</translation>
    </message>
    <message>
        <source>115200</source>
        <translation>115200</translation>
    </message>
    <message>
        <source>停止位</source>
        <translation>Stop bits</translation>
    </message>
    <message>
        <source>1</source>
        <translation>1</translation>
    </message>
    <message>
        <source>2</source>
        <translation>2</translation>
    </message>
    <message>
        <source>3</source>
        <translation>3</translation>
    </message>
    <message>
        <source>数据位</source>
        <translation>Data bits</translation>
    </message>
    <message>
        <source>5</source>
        <translation>5</translation>
    </message>
    <message>
        <source>6</source>
        <translation>6</translation>
    </message>
    <message>
        <source>7</source>
        <translation>7</translation>
    </message>
    <message>
        <source>8</source>
        <translation>8</translation>
    </message>
    <message>
        <source>奇偶校验</source>
        <translation>Parity</translation>
    </message>
    <message>
        <source>无</source>
        <translation>None</translation>
    </message>
    <message>
        <source>奇校验</source>
        <translation>Odd</translation>
    </message>
    <message>
        <source>偶校验</source>
        <translation>Even</translation>
    </message>
    <message>
        <source>标记</source>
        <translation>Mark</translation>
    </message>
    <message>
        <source>空格</source>
        <translation>Space</translation>
    </message>
    <message>
        <source>流控制</source>
        <translation>Flow control</translation>
    </message>
    <message>
        <source>硬件流控</source>
        <translation>Hardware</translation>
    </message>
    <message>
        <source>软件流控</source>
        <translation>Software</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>TransferStats</name>
    <message>
        <source>显示收发统计</source>
        <translation>Show byte counts</translation>
    </message>
    <message>
        <source>接收：%1 字节  发送：%2 字节</source>
        <translation>Received: %1 bytes  Sent: %2 bytes</translation>
    </message>
</context>
<context>
    <name>softAPConnectWifi</name>
    <message>
        <source>softAP配网引导</source>
        <translation>softAP provisioning guide</translation>
    </message>
    <message>
        <source>&lt;!DOCTYPE HTML PUBLIC &quot;-//W3C//DTD HTML 4.0//EN&quot; &quot;http://www.w3.org/TR/REC-html40/strict.dtd&quot;&gt;
&lt;html&gt;&lt;head&gt;&lt;meta name=&quot;qrichtext&quot; content=&quot;1&quot; /&gt;&lt;style type=&quot;text/css&quot;&gt;
p, li { white-space: pre-wrap; }
&lt;/style&gt;&lt;/head&gt;&lt;body style=&quot; font-family:&apos;SimSun&apos;; font-size:9pt; font-weight:400; font-style:normal;&quot;&gt;
&lt;p style=&quot; margin-top:0px; margin-bottom:0px; margin-left:0px; margin-right:0px; -qt-block-indent:0; text-indent:0px;&quot;&gt;&lt;span style=&quot; font-family:&apos;SimSun&apos;; font-size:12pt;&quot;&gt;    softAP的配网方式需要搭配Lumaro小程序使用，请使用Taviq或者Lumaro扫描下面的二维码进行操作。&lt;/span&gt;&lt;/p&gt;
&lt;p style=&quot; margin-top:0px; margin-bottom:0px; margin-left:0px; margin-right:0px; -qt-block-indent:0; text-indent:0px;&quot;&gt;&lt;span style=&quot; font-family:&apos;SimSun&apos;; font-size:12pt;&quot;&gt;    配置好设备的 &lt;/span&gt;&lt;span style=&quot; font-family:&apos;SimSun&apos;; font-size:12pt; font-style:italic; color:#ff0000;&quot;&gt;SSID&lt;/span&gt;&lt;span style=&quot; font-family:&apos;SimSun&apos;; font-size:12pt;&quot;&gt; 和 &lt;/span&gt;&lt;span style=&quot; font-family:&apos;SimSun&apos;; font-size:12pt; font-style:italic; color:#ff0000;&quot;&gt;Password&lt;/span&gt;&lt;span style=&quot; font-family:&apos;SimSun&apos;; font-size:12pt;&quot;&gt; 之后请点击OK关闭本界面，如果想退出，请点击&lt;/span&gt;&lt;span style=&quot; font-family:&apos;SimSun&apos;; font-size:12pt; font-style:italic; color:#ff0000;&quot;&gt;Cancel&lt;/span&gt;&lt;span style=&quot; font-family:&apos;SimSun&apos;; font-size:12pt;&quot;&gt;或者右上角关闭按钮退出本界面。&lt;/span&gt;&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;!DOCTYPE HTML PUBLIC &quot;-//W3C//DTD HTML 4.0//EN&quot; &quot;http://www.w3.org/TR/REC-html40/strict.dtd&quot;&gt;
&lt;html&gt;&lt;head&gt;&lt;meta name=&quot;qrichtext&quot; content=&quot;1&quot; /&gt;&lt;style type=&quot;text/css&quot;&gt;
p, li { white-space: pre-wrap; }
&lt;/style&gt;&lt;/head&gt;&lt;body style=&quot; font-family:&apos;SimSun&apos;; font-size:9pt; font-weight:400; font-style:normal;&quot;&gt;
&lt;p style=&quot; margin-top:0px; margin-bottom:0px; margin-left:0px; margin-right:0px; -qt-block-indent:0; text-indent:0px;&quot;&gt;&lt;span style=&quot; font-family:&apos;SimSun&apos;; font-size:12pt;&quot;&gt;    For softAP provisioning, scan the QR code below with Taviq or the Lumaro mini-program.&lt;/span&gt;&lt;/p&gt;
&lt;p style=&quot; margin-top:0px; margin-bottom:0px; margin-left:0px; margin-right:0px; -qt-block-indent:0; text-indent:0px;&quot;&gt;&lt;span style=&quot; font-family:&apos;SimSun&apos;; font-size:12pt;&quot;&gt;    Enter the device&apos;s &lt;/span&gt;&lt;span style=&quot; font-family:&apos;SimSun&apos;; font-size:12pt; font-style:italic; color:#ff0000;&quot;&gt;SSID&lt;/span&gt;&lt;span style=&quot; font-family:&apos;SimSun&apos;; font-size:12pt;&quot;&gt; and &lt;/span&gt;&lt;span style=&quot; font-family:&apos;SimSun&apos;; font-size:12pt; font-style:italic; color:#ff0000;&quot;&gt;Password&lt;/span&gt;&lt;span style=&quot; font-family:&apos;SimSun&apos;; font-size:12pt;&quot;&gt;, then click OK, or &lt;/span&gt;&lt;span style=&quot; font-family:&apos;SimSun&apos;; font-size:12pt; font-style:italic; color:#ff0000;&quot;&gt;Cancel&lt;/span&gt;&lt;span style=&quot; font-family:&apos;SimSun&apos;; font-size:12pt;&quot;&gt; to leave.&lt;/span&gt;&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <source>SSID: </source>
        <translation>SSID: </translation>
    </message>
    <message>
        <source>Password:</source>
        <translation>Password:</translation>
    </message>
</context>
<context>
    <name>wifi_setting_dialog</name>
    <message>
        <source>设置WiFi</source>
        <translation>Wi-Fi settings</translation>
    </message>
    <message>
        <source>WiFi Password</source>
        <translation>Wi-Fi password</translation>
    </message>
    <message>
        <source>SSID</source>
        <translation>SSID</translation>
    </message>
    <message>
        <source>SSID:</source>
        <translation>SSID:</translation>
    </message>
    <message>
        <source>PASSWORD:</source>
        <translation>Password:</translation>
    </message>
</context>
</TS>
