<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>qelvor::Messages</name>
    <message>
        <source>The server %1 did not answer within 1 second (the connection&apos;s time-out, &quot;%2&quot; in the connection string)</source>
        <translation>服务器 %1 在 1 秒内没有应答 (连接的超时时间, 即连接字符串中的 &quot;%2&quot;)</translation>
    </message>
    <message>
        <source>The server %1 did not answer within %2 seconds (the connection&apos;s time-out, &quot;%3&quot; in the connection string)</source>
        <translation>服务器 %1 在 %2 秒内没有应答 (连接的超时时间, 即连接字符串中的 &quot;%3&quot;)</translation>
    </message>
    <message>
        <source>The database is locked by another program: its search waited until the time-out</source>
        <translation>数据库已被其他程序锁定: 检索一直等到超时</translation>
    </message>
    <message>
        <source>The server &quot;%1&quot; cannot be found: %2</source>
        <translation>找不到服务器 &quot;%1&quot;: %2</translation>
    </message>
    <message>
        <source>Cannot wait for the database</source>
        <translation>无法等待数据库的应答</translation>
    </message>
    <message>
        <source>Cannot wait for the server: no event descriptor left</source>
        <translation>无法等待服务器的应答: 已没有可用的事件描述符</translation>
    </message>
    <message>
        <source>Cannot wait for the server %1</source>
        <translation>无法等待服务器 %1 的应答</translation>
    </message>
    <message>
        <source>Cannot open the database &quot;%1&quot;: %2</source>
        <translation>无法打开数据库 &quot;%1&quot;: %2</translation>
    </message>
    <message>
        <source>The connection string names no provider, driver or data source name</source>
        <translation>连接字符串没有指定提供程序、驱动程序或数据源名称</translation>
    </message>
    <message>
        <source>The connection string names no Data Source</source>
        <translation>连接字符串没有指定 Data Source</translation>
    </message>
    <message>
        <source>Provider cannot be found. It may not be properly installed: &quot;%1&quot;</source>
        <translation>找不到提供程序, 它可能没有正确安装: &quot;%1&quot;</translation>
    </message>
    <message>
        <source>database is locked</source>
        <translation>数据库已被锁定</translation>
    </message>
    <message>
        <source>file is not a database</source>
        <translation>文件不是数据库</translation>
    </message>
    <message>
        <source>unable to open database file</source>
        <translation>无法打开数据库文件</translation>
    </message>
</context>
</TS>
