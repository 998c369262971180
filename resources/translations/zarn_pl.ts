<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="pl_PL" sourcelanguage="en">
<context>
    <name>AboutPanel</name>
    <message>
        <source>About Zarn</source>
        <translation>O programie Zarn</translation>
    </message>
    <message>
        <source>Product name</source>
        <translation>Nazwa produktu</translation>
    </message>
    <message>
        <source>Shut down, restart or sleep at a chosen time</source>
        <translation>Wyłączenie, ponowne uruchomienie lub uśpienie o wybranej porze</translation>
    </message>
    <message>
        <source>What Zarn does</source>
        <translation>Co robi Zarn</translation>
    </message>
    <message>
        <source>The version of Zarn</source>
        <translation>Wersja programu Zarn</translation>
    </message>
    <message>
        <source>The systems Zarn runs on</source>
        <translation>Systemy, na których działa Zarn</translation>
    </message>
    <message>
        <source>The processors Zarn runs on</source>
        <translation>Procesory, na których działa Zarn</translation>
    </message>
    <message>
        <source>The address to write to</source>
        <translation>Adres do korespondencji</translation>
    </message>
    <message>
        <source>The copyright notice</source>
        <translation>Informacja o prawach autorskich</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>&amp;Date and time:</source>
        <translation>&amp;Data i godzina:</translation>
    </message>
    <message>
        <source>Date and time</source>
        <translation>Data i godzina</translation>
    </message>
    <message>
        <source>When the task runs</source>
        <translation>Kiedy zadanie zostanie wykonane</translation>
    </message>
    <message>
        <source>Or &amp;from now:</source>
        <translation>&amp;Lub za:</translation>
    </message>
    <message>
        <source>Hours from now</source>
        <translation>Godziny od teraz</translation>
    </message>
    <message>
        <source>Sets the date and time to now plus these hours and the minutes beside</source>
        <translation>Ustawia datę i godzinę na teraz plus te godziny i minuty obok</translation>
    </message>
    <message>
        <source>hours</source>
        <translation>godz.</translation>
    </message>
    <message>
        <source>Minutes from now</source>
        <translation>Minuty od teraz</translation>
    </message>
    <message>
        <source>Sets the date and time to now plus the hours beside and these minutes</source>
        <translation>Ustawia datę i godzinę na teraz plus godziny obok i te minuty</translation>
    </message>
    <message>
        <source>minutes</source>
        <translation>min</translation>
    </message>
    <message>
        <source>Task:</source>
        <translation>Zadanie:</translation>
    </message>
    <message>
        <source>&amp;Shut down</source>
        <translation>&amp;Wyłącz</translation>
    </message>
    <message>
        <source>Shut down</source>
        <translation>Wyłącz</translation>
    </message>
    <message>
        <source>&amp;Restart</source>
        <translation>Uruchom &amp;ponownie</translation>
    </message>
    <message>
        <source>Restart</source>
        <translation>Uruchom ponownie</translation>
    </message>
    <message>
        <source>S&amp;leep</source>
        <translation>&amp;Uśpij</translation>
    </message>
    <message>
        <source>Sleep</source>
        <translation>Uśpij</translation>
    </message>
    <message>
        <source>Administrator &amp;password:</source>
        <translation>&amp;Hasło admina:</translation>
    </message>
    <message>
        <source>Administrator password</source>
        <translation>Hasło administratora</translation>
    </message>
    <message>
        <source>Handed to sudo to schedule or end the task; never stored</source>
        <translation>Przekazywane do sudo, aby zaplanować lub zakończyć zadanie; nigdy nie jest zapisywane</translation>
    </message>
    <message>
        <source>Schedule or end the task</source>
        <translation>Zaplanuj lub zakończ zadanie</translation>
    </message>
    <message>
        <source>Status</source>
        <translation>Stan</translation>
    </message>
    <message>
        <source>Scheduled task</source>
        <translation>Zaplanowane zadanie</translation>
    </message>
    <message>
        <source>Schedule Task</source>
        <translation>Zaplanuj zadanie</translation>
    </message>
</context>
<context>
    <name>VersionCheck</name>
    <message>
        <source>Version check failed.</source>
        <translation>Sprawdzanie wersji nie powiodło się.</translation>
    </message>
    <message>
        <source>The Zarn web site could not be contacted.</source>
        <translation>Nie udało się połączyć z witryną Zarn.</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>A new version of Zarn (</source>
        <extracomment>The version number and &quot;) is available.&quot; follow.</extracomment>
        <translation>Dostępna jest nowa wersja programu Zarn (</translation>
    </message>
    <message>
        <source>) is available.</source>
        <extracomment>Follows &quot;A new version of Zarn (&quot; and the version number.</extracomment>
        <translation>).</translation>
    </message>
    <message>
        <source>It can be downloaded from the Zarn web site.</source>
        <translation>Można ją pobrać z witryny Zarn.</translation>
    </message>
    <message>
        <source>Go to web site</source>
        <translation>Przejdź do witryny</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Anuluj</translation>
    </message>
    <message>
        <source>This version of Zarn (</source>
        <extracomment>The version number and &quot;) is the current version.&quot; follow.</extracomment>
        <translation>Ta wersja programu Zarn (</translation>
    </message>
    <message>
        <source>) is the current version.</source>
        <translation>) jest aktualna.</translation>
    </message>
    <message>
        <source>Unexpected Error</source>
        <translation>Nieoczekiwany błąd</translation>
    </message>
    <message>
        <source>Unable to Zarn web page, is there a live connection to the Web?</source>
        <translation>Nie można otworzyć strony Zarn. Czy jest połączenie z Internetem?</translation>
    </message>
</context>
<context>
    <name>zarn::AppDelegate</name>
    <message>
        <source>Date and/or Time must be in future - Please adjust dates</source>
        <translation>Data i/lub godzina muszą być w przyszłości. Popraw je</translation>
    </message>
    <message>
        <source>Date/Time Input Error</source>
        <translation>Błąd daty/godziny</translation>
    </message>
    <message>
        <source>That time occurs twice on this day because the clocks go back - Please choose another time</source>
        <translation>Ta godzina występuje tego dnia dwa razy, bo zegary są cofane. Wybierz inną godzinę</translation>
    </message>
    <message>
        <source>That time does not exist on this day because the clocks go forward - Please choose another time</source>
        <translation>Ta godzina nie istnieje tego dnia, bo zegary są przestawiane do przodu. Wybierz inną godzinę</translation>
    </message>
    <message>
        <source>Shut down</source>
        <extracomment>The task, first on the status line (&quot;Shut down at …&quot;), as are &quot;Restart&quot; and &quot;Sleep&quot;.</extracomment>
        <translation>Wyłączenie</translation>
    </message>
    <message>
        <source>Restart</source>
        <translation>Ponowne uruchomienie</translation>
    </message>
    <message>
        <source>Sleep</source>
        <translation>Uśpienie</translation>
    </message>
    <message>
        <source>%1 at %2 — now</source>
        <extracomment>%1 is the task (&quot;Restart&quot;), %2 its date and time.</extracomment>
        <translation>%1: %2 — teraz</translation>
    </message>
    <message>
        <source>%1 at %2 — in %3 min</source>
        <extracomment>%1 is the task, %2 its date and time, %3 the minutes left.</extracomment>
        <translation>%1: %2 — za %3 min</translation>
    </message>
    <message>
        <source>%1 at %2 — in %3 h %4 min</source>
        <extracomment>%1 is the task, %2 its date and time, %3 and %4 the hours and minutes left.</extracomment>
        <translation>%1: %2 — za %3 godz. %4 min</translation>
    </message>
    <message>
        <source>Version:</source>
        <translation>Wersja:</translation>
    </message>
    <message>
        <source>For Linux with systemd</source>
        <translation>Dla systemu Linux z systemd</translation>
    </message>
    <message>
        <source>%1-bit, Qt %2</source>
        <translation>%1 bity, Qt %2</translation>
    </message>
    <message>
        <source>Email:</source>
        <translation>E-mail:</translation>
    </message>
    <message>
        <source>&amp;Zarn</source>
        <translation>&amp;Zarn</translation>
    </message>
    <message>
        <source>About Zarn</source>
        <translation>O programie Zarn</translation>
    </message>
    <message>
        <source>Check for Updates…</source>
        <translation>Sprawdź aktualizacje…</translation>
    </message>
    <message>
        <source>Zarn Web Page</source>
        <translation>Witryna Zarn</translation>
    </message>
    <message>
        <source>Quit Zarn</source>
        <translation>Zakończ Zarn</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Sorry, Zarn requires Mac OS X Version 10.9 or higher.</source>
        <translation>Niestety Zarn wymaga systemu Mac OS X w wersji 10.9 lub nowszej.</translation>
    </message>
    <message>
        <source>Zarn will now quit</source>
        <translation>Zarn zostanie teraz zamknięty</translation>
    </message>
    <message>
        <source>Task already scheduled - </source>
        <extracomment>A sheet&apos;s title, and the start of the status line before &quot;Ending a task requires a password&quot;.</extracomment>
        <translation>Zadanie jest już zaplanowane - </translation>
    </message>
    <message>
        <source>Use &apos;End Task&apos; button to cancel it</source>
        <extracomment>&apos;End Task&apos; is the main button&apos;s title while a task waits: use its translation here.</extracomment>
        <translation>Aby je anulować, użyj przycisku „Zakończ zadanie”</translation>
    </message>
    <message>
        <source>Schedule Task</source>
        <translation>Zaplanuj zadanie</translation>
    </message>
    <message>
        <source>End Task</source>
        <translation>Zakończ zadanie</translation>
    </message>
    <message>
        <source>Ending a task requires a password</source>
        <translation>Zakończenie zadania wymaga hasła</translation>
    </message>
    <message>
        <source>ShutDown Scheduled for:</source>
        <extracomment>Followed by the date and time, as are &quot;Restart Scheduled for:&quot; and &quot;Sleep Scheduled for:&quot;.</extracomment>
        <translation>Wyłączenie zaplanowano na:</translation>
    </message>
    <message>
        <source>Restart Scheduled for:</source>
        <translation>Ponowne uruchomienie zaplanowano na:</translation>
    </message>
    <message>
        <source>Sleep Scheduled for:</source>
        <translation>Uśpienie zaplanowano na:</translation>
    </message>
    <message>
        <source>Another task is already scheduled</source>
        <translation>Inne zadanie jest już zaplanowane</translation>
    </message>
    <message>
        <source>Scheduling is complete. Zarn will now quit</source>
        <translation>Planowanie zakończone. Zarn zostanie teraz zamknięty</translation>
    </message>
    <message>
        <source>check the entered password</source>
        <translation>Sprawdź wprowadzone hasło</translation>
    </message>
    <message>
        <source>Shutdown/Restart/Sleep NOT started</source>
        <translation>Wyłączenie/ponowne uruchomienie/uśpienie NIE zostało rozpoczęte</translation>
    </message>
    <message>
        <source>Task NOT cancelled</source>
        <translation>Zadanie NIE zostało anulowane</translation>
    </message>
    <message>
        <source>Scheduling is now available</source>
        <translation>Można teraz zaplanować nowe zadanie</translation>
    </message>
    <message>
        <source>The Task was cancelled</source>
        <translation>Zadanie zostało anulowane</translation>
    </message>
</context>
</TS>
