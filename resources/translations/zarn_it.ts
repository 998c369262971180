<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="it_IT" sourcelanguage="en">
<context>
    <name>AboutPanel</name>
    <message>
        <source>About Zarn</source>
        <translation>Informazioni su Zarn</translation>
    </message>
    <message>
        <source>Product name</source>
        <translation>Nome del prodotto</translation>
    </message>
    <message>
        <source>Shut down, restart or sleep at a chosen time</source>
        <translation>Spegni, riavvia o sospendi all’ora scelta</translation>
    </message>
    <message>
        <source>What Zarn does</source>
        <translation>Cosa fa Zarn</translation>
    </message>
    <message>
        <source>The version of Zarn</source>
        <translation>La versione di Zarn</translation>
    </message>
    <message>
        <source>The systems Zarn runs on</source>
        <translation>I sistemi su cui funziona Zarn</translation>
    </message>
    <message>
        <source>The processors Zarn runs on</source>
        <translation>I processori su cui funziona Zarn</translation>
    </message>
    <message>
        <source>The address to write to</source>
        <translation>L’indirizzo a cui scrivere</translation>
    </message>
    <message>
        <source>The copyright notice</source>
        <translation>L’avviso di copyright</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>&amp;Date and time:</source>
        <translation>&amp;Data e ora:</translation>
    </message>
    <message>
        <source>Date and time</source>
        <translation>Data e ora</translation>
    </message>
    <message>
        <source>When the task runs</source>
        <translation>Quando viene eseguita l’attività</translation>
    </message>
    <message>
        <source>Or &amp;from now:</source>
        <translation>O &amp;tra:</translation>
    </message>
    <message>
        <source>Hours from now</source>
        <translation>Ore da adesso</translation>
    </message>
    <message>
        <source>Sets the date and time to now plus these hours and the minutes beside</source>
        <translation>Imposta data e ora al momento attuale più queste ore e i minuti accanto</translation>
    </message>
    <message>
        <source>hours</source>
        <translation>ore</translation>
    </message>
    <message>
        <source>Minutes from now</source>
        <translation>Minuti da adesso</translation>
    </message>
    <message>
        <source>Sets the date and time to now plus the hours beside and these minutes</source>
        <translation>Imposta data e ora al momento attuale più le ore accanto e questi minuti</translation>
    </message>
    <message>
        <source>minutes</source>
        <translation>minuti</translation>
    </message>
    <message>
        <source>Task:</source>
        <translation>Attività:</translation>
    </message>
    <message>
        <source>&amp;Shut down</source>
        <translation>&amp;Spegni</translation>
    </message>
    <message>
        <source>Shut down</source>
        <translation>Spegni</translation>
    </message>
    <message>
        <source>&amp;Restart</source>
        <translation>&amp;Riavvia</translation>
    </message>
    <message>
        <source>Restart</source>
        <translation>Riavvia</translation>
    </message>
    <message>
        <source>S&amp;leep</source>
        <translation>S&amp;ospendi</translation>
    </message>
    <message>
        <source>Sleep</source>
        <translation>Sospendi</translation>
    </message>
    <message>
        <source>Administrator &amp;password:</source>
        <translation>&amp;Password admin:</translation>
    </message>
    <message>
        <source>Administrator password</source>
        <translation>Password di amministratore</translation>
    </message>
    <message>
        <source>Handed to sudo to schedule or end the task; never stored</source>
        <translation>Passata a sudo per pianificare o terminare l’attività; mai salvata</translation>
    </message>
    <message>
        <source>Schedule or end the task</source>
        <translation>Pianifica o termina l’attività</translation>
    </message>
    <message>
        <source>Status</source>
        <translation>Stato</translation>
    </message>
    <message>
        <source>Scheduled task</source>
        <translation>Attività pianificata</translation>
    </message>
    <message>
        <source>Schedule Task</source>
        <translation>Pianifica attività</translation>
    </message>
</context>
<context>
    <name>VersionCheck</name>
    <message>
        <source>Version check failed.</source>
        <translation>Controllo della versione non riuscito.</translation>
    </message>
    <message>
        <source>The Zarn web site could not be contacted.</source>
        <translation>Impossibile contattare il sito web di Zarn.</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>A new version of Zarn (</source>
        <extracomment>The version number and &quot;) is available.&quot; follow.</extracomment>
        <translation>È disponibile una nuova versione di Zarn (</translation>
    </message>
    <message>
        <source>) is available.</source>
        <extracomment>Follows &quot;A new version of Zarn (&quot; and the version number.</extracomment>
        <translation>).</translation>
    </message>
    <message>
        <source>It can be downloaded from the Zarn web site.</source>
        <translation>Può essere scaricata dal sito web di Zarn.</translation>
    </message>
    <message>
        <source>Go to web site</source>
        <translation>Vai al sito web</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Annulla</translation>
    </message>
    <message>
        <source>This version of Zarn (</source>
        <extracomment>The version number and &quot;) is the current version.&quot; follow.</extracomment>
        <translation>Questa versione di Zarn (</translation>
    </message>
    <message>
        <source>) is the current version.</source>
        <translation>) è la versione attuale.</translation>
    </message>
    <message>
        <source>Unexpected Error</source>
        <translation>Errore imprevisto</translation>
    </message>
    <message>
        <source>Unable to Zarn web page, is there a live connection to the Web?</source>
        <translation>Impossibile aprire la pagina web di Zarn. La connessione a Internet è attiva?</translation>
    </message>
</context>
<context>
    <name>zarn::AppDelegate</name>
    <message>
        <source>Date and/or Time must be in future - Please adjust dates</source>
        <translation>Data e/o ora devono essere nel futuro. Modificale</translation>
    </message>
    <message>
        <source>Date/Time Input Error</source>
        <translation>Errore di data/ora</translation>
    </message>
    <message>
        <source>That time occurs twice on this day because the clocks go back - Please choose another time</source>
        <translation>Quell’ora si ripete in questo giorno perché gli orologi tornano indietro. Scegli un’altra ora</translation>
    </message>
    <message>
        <source>That time does not exist on this day because the clocks go forward - Please choose another time</source>
        <translation>Quell’ora non esiste in questo giorno perché gli orologi vanno avanti. Scegli un’altra ora</translation>
    </message>
    <message>
        <source>Shut down</source>
        <extracomment>The task, first on the status line (&quot;Shut down at …&quot;), as are &quot;Restart&quot; and &quot;Sleep&quot;.</extracomment>
        <translation>Spegnimento</translation>
    </message>
    <message>
        <source>Restart</source>
        <translation>Riavvio</translation>
    </message>
    <message>
        <source>Sleep</source>
        <translation>Sospensione</translation>
    </message>
    <message>
        <source>%1 at %2 — now</source>
        <extracomment>%1 is the task (&quot;Restart&quot;), %2 its date and time.</extracomment>
        <translation>%1 il %2 — ora</translation>
    </message>
    <message>
        <source>%1 at %2 — in %3 min</source>
        <extracomment>%1 is the task, %2 its date and time, %3 the minutes left.</extracomment>
        <translation>%1 il %2 — tra %3 min</translation>
    </message>
    <message>
        <source>%1 at %2 — in %3 h %4 min</source>
        <extracomment>%1 is the task, %2 its date and time, %3 and %4 the hours and minutes left.</extracomment>
        <translation>%1 il %2 — tra %3 h %4 min</translation>
    </message>
    <message>
        <source>Version:</source>
        <translation>Versione:</translation>
    </message>
    <message>
        <source>For Linux with systemd</source>
        <translation>Per Linux con systemd</translation>
    </message>
    <message>
        <source>%1-bit, Qt %2</source>
        <translation>%1 bit, Qt %2</translation>
    </message>
    <message>
        <source>Email:</source>
        <translation>Email:</translation>
    </message>
    <message>
        <source>&amp;Zarn</source>
        <translation>&amp;Zarn</translation>
    </message>
    <message>
        <source>About Zarn</source>
        <translation>Informazioni su Zarn</translation>
    </message>
    <message>
        <source>Check for Updates…</source>
        <translation>Verifica aggiornamenti…</translation>
    </message>
    <message>
        <source>Zarn Web Page</source>
        <translation>Pagina web di Zarn</translation>
    </message>
    <message>
        <source>Quit Zarn</source>
        <translation>Esci da Zarn</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Sorry, Zarn requires Mac OS X Version 10.9 or higher.</source>
        <translation>Spiacenti, Zarn richiede Mac OS X versione 10.9 o successiva.</translation>
    </message>
    <message>
        <source>Zarn will now quit</source>
        <translation>Zarn ora verrà chiuso</translation>
    </message>
    <message>
        <source>Task already scheduled - </source>
        <extracomment>A sheet&apos;s title, and the start of the status line before &quot;Ending a task requires a password&quot;.</extracomment>
        <translation>Attività già pianificata - </translation>
    </message>
    <message>
        <source>Use &apos;End Task&apos; button to cancel it</source>
        <extracomment>&apos;End Task&apos; is the main button&apos;s title while a task waits: use its translation here.</extracomment>
        <translation>Usa il pulsante «Termina attività» per annullarla</translation>
    </message>
    <message>
        <source>Schedule Task</source>
        <translation>Pianifica attività</translation>
    </message>
    <message>
        <source>End Task</source>
        <translation>Termina attività</translation>
    </message>
    <message>
        <source>Ending a task requires a password</source>
        <translation>Per terminare un’attività serve la password</translation>
    </message>
    <message>
        <source>ShutDown Scheduled for:</source>
        <extracomment>Followed by the date and time, as are &quot;Restart Scheduled for:&quot; and &quot;Sleep Scheduled for:&quot;.</extracomment>
        <translation>Spegnimento pianificato per:</translation>
    </message>
    <message>
        <source>Restart Scheduled for:</source>
        <translation>Riavvio pianificato per:</translation>
    </message>
    <message>
        <source>Sleep Scheduled for:</source>
        <translation>Sospensione pianificata per:</translation>
    </message>
    <message>
        <source>Another task is already scheduled</source>
        <translation>È già pianificata un’altra attività</translation>
    </message>
    <message>
        <source>Scheduling is complete. Zarn will now quit</source>
        <translation>Pianificazione completata. Zarn ora verrà chiuso</translation>
    </message>
    <message>
        <source>check the entered password</source>
        <translation>Controlla la password inserita</translation>
    </message>
    <message>
        <source>Shutdown/Restart/Sleep NOT started</source>
        <translation>Spegnimento/riavvio/sospensione NON avviato</translation>
    </message>
    <message>
        <source>Task NOT cancelled</source>
        <translation>Attività NON annullata</translation>
    </message>
    <message>
        <source>Scheduling is now available</source>
        <translation>Ora puoi pianificare di nuovo</translation>
    </message>
    <message>
        <source>The Task was cancelled</source>
        <translation>L’attività è stata annullata</translation>
    </message>
</context>
</TS>
