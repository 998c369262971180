<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE" sourcelanguage="en">
<context>
    <name>AboutPanel</name>
    <message>
        <source>About Zarn</source>
        <translation>Über Zarn</translation>
    </message>
    <message>
        <source>Product name</source>
        <translation>Produktname</translation>
    </message>
    <message>
        <source>Shut down, restart or sleep at a chosen time</source>
        <translation>Ausschalten, Neustart oder Standby zur gewählten Zeit</translation>
    </message>
    <message>
        <source>What Zarn does</source>
        <translation>Was Zarn tut</translation>
    </message>
    <message>
        <source>The version of Zarn</source>
        <translation>Die Version von Zarn</translation>
    </message>
    <message>
        <source>The systems Zarn runs on</source>
        <translation>Die Systeme, auf denen Zarn läuft</translation>
    </message>
    <message>
        <source>The processors Zarn runs on</source>
        <translation>Die Prozessoren, auf denen Zarn läuft</translation>
    </message>
    <message>
        <source>The address to write to</source>
        <translation>Die Adresse für Zuschriften</translation>
    </message>
    <message>
        <source>The copyright notice</source>
        <translation>Der Urheberrechtsvermerk</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>&amp;Date and time:</source>
        <translation>&amp;Datum/Uhrzeit:</translation>
    </message>
    <message>
        <source>Date and time</source>
        <translation>Datum und Uhrzeit</translation>
    </message>
    <message>
        <source>When the task runs</source>
        <translation>Wann die Aufgabe ausgeführt wird</translation>
    </message>
    <message>
        <source>Or &amp;from now:</source>
        <translation>Oder &amp;in:</translation>
    </message>
    <message>
        <source>Hours from now</source>
        <translation>Stunden ab jetzt</translation>
    </message>
    <message>
        <source>Sets the date and time to now plus these hours and the minutes beside</source>
        <translation>Setzt Datum und Uhrzeit auf jetzt plus diese Stunden und die Minuten daneben</translation>
    </message>
    <message>
        <source>hours</source>
        <translation>Stunden</translation>
    </message>
    <message>
        <source>Minutes from now</source>
        <translation>Minuten ab jetzt</translation>
    </message>
    <message>
        <source>Sets the date and time to now plus the hours beside and these minutes</source>
        <translation>Setzt Datum und Uhrzeit auf jetzt plus die Stunden daneben und diese Minuten</translation>
    </message>
    <message>
        <source>minutes</source>
        <translation>Minuten</translation>
    </message>
    <message>
        <source>Task:</source>
        <translation>Aufgabe:</translation>
    </message>
    <message>
        <source>&amp;Shut down</source>
        <translation>&amp;Ausschalten</translation>
    </message>
    <message>
        <source>Shut down</source>
        <translation>Ausschalten</translation>
    </message>
    <message>
        <source>&amp;Restart</source>
        <translation>&amp;Neustart</translation>
    </message>
    <message>
        <source>Restart</source>
        <translation>Neustart</translation>
    </message>
    <message>
        <source>S&amp;leep</source>
        <translation>S&amp;tandby</translation>
    </message>
    <message>
        <source>Sleep</source>
        <translation>Standby</translation>
    </message>
    <message>
        <source>Administrator &amp;password:</source>
        <translation>Admin-&amp;Passwort:</translation>
    </message>
    <message>
        <source>Administrator password</source>
        <translation>Administrator-Passwort</translation>
    </message>
    <message>
        <source>Handed to sudo to schedule or end the task; never stored</source>
        <translation>Wird an sudo übergeben, um die Aufgabe zu planen oder zu beenden; nie gespeichert</translation>
    </message>
    <message>
        <source>Schedule or end the task</source>
        <translation>Die Aufgabe planen oder beenden</translation>
    </message>
    <message>
        <source>Status</source>
        <translation>Status</translation>
    </message>
    <message>
        <source>Scheduled task</source>
        <translation>Geplante Aufgabe</translation>
    </message>
    <message>
        <source>Schedule Task</source>
        <translation>Aufgabe planen</translation>
    </message>
</context>
<context>
    <name>VersionCheck</name>
    <message>
        <source>Version check failed.</source>
        <translation>Die Versionsprüfung ist fehlgeschlagen.</translation>
    </message>
    <message>
        <source>The Zarn web site could not be contacted.</source>
        <translation>Die Zarn-Website war nicht erreichbar.</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>A new version of Zarn (</source>
        <extracomment>The version number and &quot;) is available.&quot; follow.</extracomment>
        <translation>Eine neue Version von Zarn (</translation>
    </message>
    <message>
        <source>) is available.</source>
        <extracomment>Follows &quot;A new version of Zarn (&quot; and the version number.</extracomment>
        <translation>) ist verfügbar.</translation>
    </message>
    <message>
        <source>It can be downloaded from the Zarn web site.</source>
        <translation>Sie kann von der Zarn-Website heruntergeladen werden.</translation>
    </message>
    <message>
        <source>Go to web site</source>
        <translation>Zur Website</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>This version of Zarn (</source>
        <extracomment>The version number and &quot;) is the current version.&quot; follow.</extracomment>
        <translation>Diese Version von Zarn (</translation>
    </message>
    <message>
        <source>) is the current version.</source>
        <translation>) ist die aktuelle Version.</translation>
    </message>
    <message>
        <source>Unexpected Error</source>
        <translation>Unerwarteter Fehler</translation>
    </message>
    <message>
        <source>Unable to Zarn web page, is there a live connection to the Web?</source>
        <translation>Die Zarn-Webseite lässt sich nicht öffnen. Besteht eine Verbindung zum Internet?</translation>
    </message>
</context>
<context>
    <name>zarn::AppDelegate</name>
    <message>
        <source>Date and/or Time must be in future - Please adjust dates</source>
        <translation>Datum und/oder Uhrzeit müssen in der Zukunft liegen. Bitte passen Sie sie an</translation>
    </message>
    <message>
        <source>Date/Time Input Error</source>
        <translation>Fehler bei Datum/Uhrzeit</translation>
    </message>
    <message>
        <source>That time occurs twice on this day because the clocks go back - Please choose another time</source>
        <translation>Diese Uhrzeit gibt es an diesem Tag zweimal, weil die Uhren zurückgestellt werden. Bitte wählen Sie eine andere</translation>
    </message>
    <message>
        <source>That time does not exist on this day because the clocks go forward - Please choose another time</source>
        <translation>Diese Uhrzeit gibt es an diesem Tag nicht, weil die Uhren vorgestellt werden. Bitte wählen Sie eine andere</translation>
    </message>
    <message>
        <source>Shut down</source>
        <extracomment>The task, first on the status line (&quot;Shut down at …&quot;), as are &quot;Restart&quot; and &quot;Sleep&quot;.</extracomment>
        <translation>Ausschalten</translation>
    </message>
    <message>
        <source>Restart</source>
        <translation>Neustart</translation>
    </message>
    <message>
        <source>Sleep</source>
        <translation>Standby</translation>
    </message>
    <message>
        <source>%1 at %2 — now</source>
        <extracomment>%1 is the task (&quot;Restart&quot;), %2 its date and time.</extracomment>
        <translation>%1 am %2 — jetzt</translation>
    </message>
    <message>
        <source>%1 at %2 — in %3 min</source>
        <extracomment>%1 is the task, %2 its date and time, %3 the minutes left.</extracomment>
        <translation>%1 am %2 — in %3 Min.</translation>
    </message>
    <message>
        <source>%1 at %2 — in %3 h %4 min</source>
        <extracomment>%1 is the task, %2 its date and time, %3 and %4 the hours and minutes left.</extracomment>
        <translation>%1 am %2 — in %3 Std. %4 Min.</translation>
    </message>
    <message>
        <source>Version:</source>
        <translation>Version:</translation>
    </message>
    <message>
        <source>For Linux with systemd</source>
        <translation>Für Linux mit systemd</translation>
    </message>
    <message>
        <source>%1-bit, Qt %2</source>
        <translation>%1 Bit, Qt %2</translation>
    </message>
    <message>
        <source>Email:</source>
        <translation>E-Mail:</translation>
    </message>
    <message>
        <source>&amp;Zarn</source>
        <translation>&amp;Zarn</translation>
    </message>
    <message>
        <source>About Zarn</source>
        <translation>Über Zarn</translation>
    </message>
    <message>
        <source>Check for Updates…</source>
        <translation>Nach Updates suchen…</translation>
    </message>
    <message>
        <source>Zarn Web Page</source>
        <translation>Zarn-Webseite</translation>
    </message>
    <message>
        <source>Quit Zarn</source>
        <translation>Zarn beenden</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Sorry, Zarn requires Mac OS X Version 10.9 or higher.</source>
        <translation>Zarn erfordert leider Mac OS X Version 10.9 oder neuer.</translation>
    </message>
    <message>
        <source>Zarn will now quit</source>
        <translation>Zarn wird jetzt beendet</translation>
    </message>
    <message>
        <source>Task already scheduled - </source>
        <extracomment>A sheet&apos;s title, and the start of the status line before &quot;Ending a task requires a password&quot;.</extracomment>
        <translation>Aufgabe bereits geplant - </translation>
    </message>
    <message>
        <source>Use &apos;End Task&apos; button to cancel it</source>
        <extracomment>&apos;End Task&apos; is the main button&apos;s title while a task waits: use its translation here.</extracomment>
        <translation>Verwenden Sie die Schaltfläche „Aufgabe beenden“, um sie abzubrechen</translation>
    </message>
    <message>
        <source>Schedule Task</source>
        <translation>Aufgabe planen</translation>
    </message>
    <message>
        <source>End Task</source>
        <translation>Aufgabe beenden</translation>
    </message>
    <message>
        <source>Ending a task requires a password</source>
        <translation>Zum Beenden einer Aufgabe ist ein Passwort nötig</translation>
    </message>
    <message>
        <source>ShutDown Scheduled for:</source>
        <extracomment>Followed by the date and time, as are &quot;Restart Scheduled for:&quot; and &quot;Sleep Scheduled for:&quot;.</extracomment>
        <translation>Ausschalten geplant für:</translation>
    </message>
    <message>
        <source>Restart Scheduled for:</source>
        <translation>Neustart geplant für:</translation>
    </message>
    <message>
        <source>Sleep Scheduled for:</source>
        <translation>Standby geplant für:</translation>
    </message>
    <message>
        <source>Another task is already scheduled</source>
        <translation>Es ist bereits eine andere Aufgabe geplant</translation>
    </message>
    <message>
        <source>Scheduling is complete. Zarn will now quit</source>
        <translation>Die Planung ist abgeschlossen. Zarn wird jetzt beendet</translation>
    </message>
    <message>
        <source>check the entered password</source>
        <translation>Überprüfen Sie das eingegebene Passwort</translation>
    </message>
    <message>
        <source>Shutdown/Restart/Sleep NOT started</source>
        <translation>Ausschalten/Neustart/Standby NICHT gestartet</translation>
    </message>
    <message>
        <source>Task NOT cancelled</source>
        <translation>Aufgabe NICHT abgebrochen</translation>
    </message>
    <message>
        <source>Scheduling is now available</source>
        <translation>Jetzt kann wieder eine Aufgabe geplant werden</translation>
    </message>
    <message>
        <source>The Task was cancelled</source>
        <translation>Die Aufgabe wurde abgebrochen</translation>
    </message>
</context>
</TS>
