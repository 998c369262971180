<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN" sourcelanguage="en">
<context>
    <name>AboutPanel</name>
    <message>
        <source>About Zarn</source>
        <translation>关于 Zarn</translation>
    </message>
    <message>
        <source>Product name</source>
        <translation>产品名称</translation>
    </message>
    <message>
        <source>Shut down, restart or sleep at a chosen time</source>
        <translation>在选定的时间关机、重启或睡眠</translation>
    </message>
    <message>
        <source>What Zarn does</source>
        <translation>Zarn 的用途</translation>
    </message>
    <message>
        <source>The version of Zarn</source>
        <translation>Zarn 的版本</translation>
    </message>
    <message>
        <source>The systems Zarn runs on</source>
        <translation>Zarn 可运行的系统</translation>
    </message>
    <message>
        <source>The processors Zarn runs on</source>
        <translation>Zarn 可运行的处理器</translation>
    </message>
    <message>
        <source>The address to write to</source>
        <translation>联系地址</translation>
    </message>
    <message>
        <source>The copyright notice</source>
        <translation>版权声明</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>&amp;Date and time:</source>
        <translation>日期和时间(&amp;D)：</translation>
    </message>
    <message>
        <source>Date and time</source>
        <translation>日期和时间</translation>
    </message>
    <message>
        <source>When the task runs</source>
        <translation>任务运行的时间</translation>
    </message>
    <message>
        <source>Or &amp;from now:</source>
        <translation>或从现在起(&amp;F)：</translation>
    </message>
    <message>
        <source>Hours from now</source>
        <translation>从现在起的小时数</translation>
    </message>
    <message>
        <source>Sets the date and time to now plus these hours and the minutes beside</source>
        <translation>将日期和时间设为现在加上这些小时数和旁边的分钟数</translation>
    </message>
    <message>
        <source>hours</source>
        <translation>小时</translation>
    </message>
    <message>
        <source>Minutes from now</source>
        <translation>从现在起的分钟数</translation>
    </message>
    <message>
        <source>Sets the date and time to now plus the hours beside and these minutes</source>
        <translation>将日期和时间设为现在加上旁边的小时数和这些分钟数</translation>
    </message>
    <message>
        <source>minutes</source>
        <translation>分钟</translation>
    </message>
    <message>
        <source>Task:</source>
        <translation>任务：</translation>
    </message>
    <message>
        <source>&amp;Shut down</source>
        <translation>关机(&amp;S)</translation>
    </message>
    <message>
        <source>Shut down</source>
        <translation>关机</translation>
    </message>
    <message>
        <source>&amp;Restart</source>
        <translation>重启(&amp;R)</translation>
    </message>
    <message>
        <source>Restart</source>
        <translation>重启</translation>
    </message>
    <message>
        <source>S&amp;leep</source>
        <translation>睡眠(&amp;L)</translation>
    </message>
    <message>
        <source>Sleep</source>
        <translation>睡眠</translation>
    </message>
    <message>
        <source>Administrator &amp;password:</source>
        <translation>管理员密码(&amp;P)：</translation>
    </message>
    <message>
        <source>Administrator password</source>
        <translation>管理员密码</translation>
    </message>
    <message>
        <source>Handed to sudo to schedule or end the task; never stored</source>
        <translation>交给 sudo 以安排或结束任务；从不保存</translation>
    </message>
    <message>
        <source>Schedule or end the task</source>
        <translation>安排或结束任务</translation>
    </message>
    <message>
        <source>Status</source>
        <translation>状态</translation>
    </message>
    <message>
        <source>Scheduled task</source>
        <translation>已安排的任务</translation>
    </message>
    <message>
        <source>Schedule Task</source>
        <translation>安排任务</translation>
    </message>
</context>
<context>
    <name>VersionCheck</name>
    <message>
        <source>Version check failed.</source>
        <translation>版本检查失败。</translation>
    </message>
    <message>
        <source>The Zarn web site could not be contacted.</source>
        <translation>无法连接 Zarn 网站。</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>确定</translation>
    </message>
    <message>
        <source>A new version of Zarn (</source>
        <extracomment>The version number and &quot;) is available.&quot; follow.</extracomment>
        <translation>Zarn 的新版本（</translation>
    </message>
    <message>
        <source>) is available.</source>
        <extracomment>Follows &quot;A new version of Zarn (&quot; and the version number.</extracomment>
        <translation>）现已可用。</translation>
    </message>
    <message>
        <source>It can be downloaded from the Zarn web site.</source>
        <translation>可以从 Zarn 网站下载。</translation>
    </message>
    <message>
        <source>Go to web site</source>
        <translation>前往网站</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>This version of Zarn (</source>
        <extracomment>The version number and &quot;) is the current version.&quot; follow.</extracomment>
        <translation>此版本的 Zarn（</translation>
    </message>
    <message>
        <source>) is the current version.</source>
        <translation>）已是最新版本。</translation>
    </message>
    <message>
        <source>Unexpected Error</source>
        <translation>意外错误</translation>
    </message>
    <message>
        <source>Unable to Zarn web page, is there a live connection to the Web?</source>
        <translation>无法打开 Zarn 网页，是否已连接到互联网？</translation>
    </message>
</context>
<context>
    <name>zarn::AppDelegate</name>
    <message>
        <source>Date and/or Time must be in future - Please adjust dates</source>
        <translation>日期和时间必须晚于当前时间，请调整</translation>
    </message>
    <message>
        <source>Date/Time Input Error</source>
        <translation>日期/时间输入错误</translation>
    </message>
    <message>
        <source>That time occurs twice on this day because the clocks go back - Please choose another time</source>
        <translation>由于时钟回拨，这一天中该时间会出现两次，请选择其他时间</translation>
    </message>
    <message>
        <source>That time does not exist on this day because the clocks go forward - Please choose another time</source>
        <translation>由于时钟拨快，这一天中不存在该时间，请选择其他时间</translation>
    </message>
    <message>
        <source>Shut down</source>
        <extracomment>The task, first on the status line (&quot;Shut down at …&quot;), as are &quot;Restart&quot; and &quot;Sleep&quot;.</extracomment>
        <translation>关机</translation>
    </message>
    <message>
        <source>Restart</source>
        <translation>重启</translation>
    </message>
    <message>
        <source>Sleep</source>
        <translation>睡眠</translation>
    </message>
    <message>
        <source>%1 at %2 — now</source>
        <extracomment>%1 is the task (&quot;Restart&quot;), %2 its date and time.</extracomment>
        <translation>%1：%2 — 现在</translation>
    </message>
    <message>
        <source>%1 at %2 — in %3 min</source>
        <extracomment>%1 is the task, %2 its date and time, %3 the minutes left.</extracomment>
        <translation>%1：%2 — %3 分钟后</translation>
    </message>
    <message>
        <source>%1 at %2 — in %3 h %4 min</source>
        <extracomment>%1 is the task, %2 its date and time, %3 and %4 the hours and minutes left.</extracomment>
        <translation>%1：%2 — %3 小时 %4 分钟后</translation>
    </message>
    <message>
        <source>Version:</source>
        <translation>版本：</translation>
    </message>
    <message>
        <source>For Linux with systemd</source>
        <translation>适用于使用 systemd 的 Linux</translation>
    </message>
    <message>
        <source>%1-bit, Qt %2</source>
        <translation>%1 位，Qt %2</translation>
    </message>
    <message>
        <source>Email:</source>
        <translation>电子邮件：</translation>
    </message>
    <message>
        <source>&amp;Zarn</source>
        <translation>Zarn(&amp;Z)</translation>
    </message>
    <message>
        <source>About Zarn</source>
        <translation>关于 Zarn</translation>
    </message>
    <message>
        <source>Check for Updates…</source>
        <translation>检查更新…</translation>
    </message>
    <message>
        <source>Zarn Web Page</source>
        <translation>Zarn 网页</translation>
    </message>
    <message>
        <source>Quit Zarn</source>
        <translation>退出 Zarn</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>确定</translation>
    </message>
    <message>
        <source>Sorry, Zarn requires Mac OS X Version 10.9 or higher.</source>
        <translation>抱歉，Zarn 需要 Mac OS X 10.9 或更高版本。</translation>
    </message>
    <message>
        <source>Zarn will now quit</source>
        <translation>Zarn 即将退出</translation>
    </message>
    <message>
        <source>Task already scheduled - </source>
        <extracomment>A sheet&apos;s title, and the start of the status line before &quot;Ending a task requires a password&quot;.</extracomment>
        <translation>任务已安排 - </translation>
    </message>
    <message>
        <source>Use &apos;End Task&apos; button to cancel it</source>
        <extracomment>&apos;End Task&apos; is the main button&apos;s title while a task waits: use its translation here.</extracomment>
        <translation>请使用“结束任务”按钮取消该任务</translation>
    </message>
    <message>
        <source>Schedule Task</source>
        <translation>安排任务</translation>
    </message>
    <message>
        <source>End Task</source>
        <translation>结束任务</translation>
    </message>
    <message>
        <source>Ending a task requires a password</source>
        <translation>结束任务需要密码</translation>
    </message>
    <message>
        <source>ShutDown Scheduled for:</source>
        <extracomment>Followed by the date and time, as are &quot;Restart Scheduled for:&quot; and &quot;Sleep Scheduled for:&quot;.</extracomment>
        <translation>已安排关机：</translation>
    </message>
    <message>
        <source>Restart Scheduled for:</source>
        <translation>已安排重启：</translation>
    </message>
    <message>
        <source>Sleep Scheduled for:</source>
        <translation>已安排睡眠：</translation>
    </message>
    <message>
        <source>Another task is already scheduled</source>
        <translation>已安排了另一个任务</translation>
    </message>
    <message>
        <source>Scheduling is complete. Zarn will now quit</source>
        <translation>安排已完成。Zarn 即将退出</translation>
    </message>
    <message>
        <source>check the entered password</source>
        <translation>请检查输入的密码</translation>
    </message>
    <message>
        <source>Shutdown/Restart/Sleep NOT started</source>
        <translation>关机/重启/睡眠未启动</translation>
    </message>
    <message>
        <source>Task NOT cancelled</source>
        <translation>任务未取消</translation>
    </message>
    <message>
        <source>Scheduling is now available</source>
        <translation>现在可以重新安排任务</translation>
    </message>
    <message>
        <source>The Task was cancelled</source>
        <translation>任务已取消</translation>
    </message>
</context>
</TS>
