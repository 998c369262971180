<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja_JP" sourcelanguage="en">
<context>
    <name>AboutPanel</name>
    <message>
        <source>About Zarn</source>
        <translation>Zarn について</translation>
    </message>
    <message>
        <source>Product name</source>
        <translation>製品名</translation>
    </message>
    <message>
        <source>Shut down, restart or sleep at a chosen time</source>
        <translation>選んだ時刻に電源オフ、再起動、スリープ</translation>
    </message>
    <message>
        <source>What Zarn does</source>
        <translation>Zarn の機能</translation>
    </message>
    <message>
        <source>The version of Zarn</source>
        <translation>Zarn のバージョン</translation>
    </message>
    <message>
        <source>The systems Zarn runs on</source>
        <translation>Zarn が動作するシステム</translation>
    </message>
    <message>
        <source>The processors Zarn runs on</source>
        <translation>Zarn が動作するプロセッサ</translation>
    </message>
    <message>
        <source>The address to write to</source>
        <translation>問い合わせ先のアドレス</translation>
    </message>
    <message>
        <source>The copyright notice</source>
        <translation>著作権表示</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>&amp;Date and time:</source>
        <translation>日時(&amp;D):</translation>
    </message>
    <message>
        <source>Date and time</source>
        <translation>日時</translation>
    </message>
    <message>
        <source>When the task runs</source>
        <translation>タスクを実行する日時</translation>
    </message>
    <message>
        <source>Or &amp;from now:</source>
        <translation>または今から(&amp;F):</translation>
    </message>
    <message>
        <source>Hours from now</source>
        <translation>今からの時間数</translation>
    </message>
    <message>
        <source>Sets the date and time to now plus these hours and the minutes beside</source>
        <translation>日時を、現在時刻にこの時間数と隣の分数を足した値にします</translation>
    </message>
    <message>
        <source>hours</source>
        <translation>時間</translation>
    </message>
    <message>
        <source>Minutes from now</source>
        <translation>今からの分数</translation>
    </message>
    <message>
        <source>Sets the date and time to now plus the hours beside and these minutes</source>
        <translation>日時を、現在時刻に隣の時間数とこの分数を足した値にします</translation>
    </message>
    <message>
        <source>minutes</source>
        <translation>分</translation>
    </message>
    <message>
        <source>Task:</source>
        <translation>タスク:</translation>
    </message>
    <message>
        <source>&amp;Shut down</source>
        <translation>電源オフ(&amp;S)</translation>
    </message>
    <message>
        <source>Shut down</source>
        <translation>電源オフ</translation>
    </message>
    <message>
        <source>&amp;Restart</source>
        <translation>再起動(&amp;R)</translation>
    </message>
    <message>
        <source>Restart</source>
        <translation>再起動</translation>
    </message>
    <message>
        <source>S&amp;leep</source>
        <translation>スリープ(&amp;L)</translation>
    </message>
    <message>
        <source>Sleep</source>
        <translation>スリープ</translation>
    </message>
    <message>
        <source>Administrator &amp;password:</source>
        <translation>パスワード(&amp;P):</translation>
    </message>
    <message>
        <source>Administrator password</source>
        <translation>管理者パスワード</translation>
    </message>
    <message>
        <source>Handed to sudo to schedule or end the task; never stored</source>
        <translation>タスクの予約または終了のために sudo に渡されます。保存はされません</translation>
    </message>
    <message>
        <source>Schedule or end the task</source>
        <translation>タスクを予約または終了</translation>
    </message>
    <message>
        <source>Status</source>
        <translation>状態</translation>
    </message>
    <message>
        <source>Scheduled task</source>
        <translation>予約済みのタスク</translation>
    </message>
    <message>
        <source>Schedule Task</source>
        <translation>タスクを予約</translation>
    </message>
</context>
<context>
    <name>VersionCheck</name>
    <message>
        <source>Version check failed.</source>
        <translation>バージョンの確認に失敗しました。</translation>
    </message>
    <message>
        <source>The Zarn web site could not be contacted.</source>
        <translation>Zarn の Web サイトに接続できませんでした。</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>A new version of Zarn (</source>
        <extracomment>The version number and &quot;) is available.&quot; follow.</extracomment>
        <translation>Zarn の新しいバージョン (</translation>
    </message>
    <message>
        <source>) is available.</source>
        <extracomment>Follows &quot;A new version of Zarn (&quot; and the version number.</extracomment>
        <translation>) が利用できます。</translation>
    </message>
    <message>
        <source>It can be downloaded from the Zarn web site.</source>
        <translation>Zarn の Web サイトからダウンロードできます。</translation>
    </message>
    <message>
        <source>Go to web site</source>
        <translation>Web サイトへ</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>キャンセル</translation>
    </message>
    <message>
        <source>This version of Zarn (</source>
        <extracomment>The version number and &quot;) is the current version.&quot; follow.</extracomment>
        <translation>この Zarn のバージョン (</translation>
    </message>
    <message>
        <source>) is the current version.</source>
        <translation>) は最新です。</translation>
    </message>
    <message>
        <source>Unexpected Error</source>
        <translation>予期しないエラー</translation>
    </message>
    <message>
        <source>Unable to Zarn web page, is there a live connection to the Web?</source>
        <translation>Zarn の Web ページを開けません。インターネットに接続されていますか？</translation>
    </message>
</context>
<context>
    <name>zarn::AppDelegate</name>
    <message>
        <source>Date and/or Time must be in future - Please adjust dates</source>
        <translation>日時が過去になっています。未来の日時に調整してください</translation>
    </message>
    <message>
        <source>Date/Time Input Error</source>
        <translation>日時の入力エラー</translation>
    </message>
    <message>
        <source>That time occurs twice on this day because the clocks go back - Please choose another time</source>
        <translation>時計が戻るため、この日にはその時刻が 2 回あります。別の時刻を選んでください</translation>
    </message>
    <message>
        <source>That time does not exist on this day because the clocks go forward - Please choose another time</source>
        <translation>時計が進むため、この日にはその時刻がありません。別の時刻を選んでください</translation>
    </message>
    <message>
        <source>Shut down</source>
        <extracomment>The task, first on the status line (&quot;Shut down at …&quot;), as are &quot;Restart&quot; and &quot;Sleep&quot;.</extracomment>
        <translation>電源オフ</translation>
    </message>
    <message>
        <source>Restart</source>
        <translation>再起動</translation>
    </message>
    <message>
        <source>Sleep</source>
        <translation>スリープ</translation>
    </message>
    <message>
        <source>%1 at %2 — now</source>
        <extracomment>%1 is the task (&quot;Restart&quot;), %2 its date and time.</extracomment>
        <translation>%1: %2 — 今すぐ</translation>
    </message>
    <message>
        <source>%1 at %2 — in %3 min</source>
        <extracomment>%1 is the task, %2 its date and time, %3 the minutes left.</extracomment>
        <translation>%1: %2 — あと %3 分</translation>
    </message>
    <message>
        <source>%1 at %2 — in %3 h %4 min</source>
        <extracomment>%1 is the task, %2 its date and time, %3 and %4 the hours and minutes left.</extracomment>
        <translation>%1: %2 — あと %3 時間 %4 分</translation>
    </message>
    <message>
        <source>Version:</source>
        <translation>バージョン:</translation>
    </message>
    <message>
        <source>For Linux with systemd</source>
        <translation>systemd を使う Linux 用</translation>
    </message>
    <message>
        <source>%1-bit, Qt %2</source>
        <translation>%1 ビット、Qt %2</translation>
    </message>
    <message>
        <source>Email:</source>
        <translation>メール:</translation>
    </message>
    <message>
        <source>&amp;Zarn</source>
        <translation>Zarn(&amp;Z)</translation>
    </message>
    <message>
        <source>About Zarn</source>
        <translation>Zarn について</translation>
    </message>
    <message>
        <source>Check for Updates…</source>
        <translation>アップデートを確認…</translation>
    </message>
    <message>
        <source>Zarn Web Page</source>
        <translation>Zarn の Web ページ</translation>
    </message>
    <message>
        <source>Quit Zarn</source>
        <translation>Zarn を終了</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Sorry, Zarn requires Mac OS X Version 10.9 or higher.</source>
        <translation>申し訳ありませんが、Zarn には Mac OS X バージョン 10.9 以降が必要です。</translation>
    </message>
    <message>
        <source>Zarn will now quit</source>
        <translation>Zarn を終了します</translation>
    </message>
    <message>
        <source>Task already scheduled - </source>
        <extracomment>A sheet&apos;s title, and the start of the status line before &quot;Ending a task requires a password&quot;.</extracomment>
        <translation>タスクは予約済みです - </translation>
    </message>
    <message>
        <source>Use &apos;End Task&apos; button to cancel it</source>
        <extracomment>&apos;End Task&apos; is the main button&apos;s title while a task waits: use its translation here.</extracomment>
        <translation>取り消すには「タスクを終了」ボタンを使ってください</translation>
    </message>
    <message>
        <source>Schedule Task</source>
        <translation>タスクを予約</translation>
    </message>
    <message>
        <source>End Task</source>
        <translation>タスクを終了</translation>
    </message>
    <message>
        <source>Ending a task requires a password</source>
        <translation>タスクの終了にはパスワードが必要です</translation>
    </message>
    <message>
        <source>ShutDown Scheduled for:</source>
        <extracomment>Followed by the date and time, as are &quot;Restart Scheduled for:&quot; and &quot;Sleep Scheduled for:&quot;.</extracomment>
        <translation>電源オフの予定日時:</translation>
    </message>
    <message>
        <source>Restart Scheduled for:</source>
        <translation>再起動の予定日時:</translation>
    </message>
    <message>
        <source>Sleep Scheduled for:</source>
        <translation>スリープの予定日時:</translation>
    </message>
    <message>
        <source>Another task is already scheduled</source>
        <translation>別のタスクがすでに予約されています</translation>
    </message>
    <message>
        <source>Scheduling is complete. Zarn will now quit</source>
        <translation>予約が完了しました。Zarn を終了します</translation>
    </message>
    <message>
        <source>check the entered password</source>
        <translation>入力したパスワードを確認してください</translation>
    </message>
    <message>
        <source>Shutdown/Restart/Sleep NOT started</source>
        <translation>電源オフ/再起動/スリープは開始されませんでした</translation>
    </message>
    <message>
        <source>Task NOT cancelled</source>
        <translation>タスクは取り消されませんでした</translation>
    </message>
    <message>
        <source>Scheduling is now available</source>
        <translation>新しいタスクを予約できます</translation>
    </message>
    <message>
        <source>The Task was cancelled</source>
        <translation>タスクを取り消しました</translation>
    </message>
</context>
</TS>
