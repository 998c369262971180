<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="es_ES" sourcelanguage="en">
<context>
    <name>AboutPanel</name>
    <message>
        <source>About Zarn</source>
        <translation>Acerca de Zarn</translation>
    </message>
    <message>
        <source>Product name</source>
        <translation>Nombre del producto</translation>
    </message>
    <message>
        <source>Shut down, restart or sleep at a chosen time</source>
        <translation>Apagar, reiniciar o poner en reposo a la hora elegida</translation>
    </message>
    <message>
        <source>What Zarn does</source>
        <translation>Qué hace Zarn</translation>
    </message>
    <message>
        <source>The version of Zarn</source>
        <translation>La versión de Zarn</translation>
    </message>
    <message>
        <source>The systems Zarn runs on</source>
        <translation>Los sistemas en los que funciona Zarn</translation>
    </message>
    <message>
        <source>The processors Zarn runs on</source>
        <translation>Los procesadores en los que funciona Zarn</translation>
    </message>
    <message>
        <source>The address to write to</source>
        <translation>La dirección a la que escribir</translation>
    </message>
    <message>
        <source>The copyright notice</source>
        <translation>El aviso de copyright</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>&amp;Date and time:</source>
        <translation>&amp;Fecha y hora:</translation>
    </message>
    <message>
        <source>Date and time</source>
        <translation>Fecha y hora</translation>
    </message>
    <message>
        <source>When the task runs</source>
        <translation>Cuándo se ejecuta la tarea</translation>
    </message>
    <message>
        <source>Or &amp;from now:</source>
        <translation>O &amp;dentro de:</translation>
    </message>
    <message>
        <source>Hours from now</source>
        <translation>Horas a partir de ahora</translation>
    </message>
    <message>
        <source>Sets the date and time to now plus these hours and the minutes beside</source>
        <translation>Fija la fecha y la hora en el momento actual más estas horas y los minutos de al lado</translation>
    </message>
    <message>
        <source>hours</source>
        <translation>horas</translation>
    </message>
    <message>
        <source>Minutes from now</source>
        <translation>Minutos a partir de ahora</translation>
    </message>
    <message>
        <source>Sets the date and time to now plus the hours beside and these minutes</source>
        <translation>Fija la fecha y la hora en el momento actual más las horas de al lado y estos minutos</translation>
    </message>
    <message>
        <source>minutes</source>
        <translation>minutos</translation>
    </message>
    <message>
        <source>Task:</source>
        <translation>Tarea:</translation>
    </message>
    <message>
        <source>&amp;Shut down</source>
        <translation>&amp;Apagar</translation>
    </message>
    <message>
        <source>Shut down</source>
        <translation>Apagar</translation>
    </message>
    <message>
        <source>&amp;Restart</source>
        <translation>&amp;Reiniciar</translation>
    </message>
    <message>
        <source>Restart</source>
        <translation>Reiniciar</translation>
    </message>
    <message>
        <source>S&amp;leep</source>
        <translation>Re&amp;poso</translation>
    </message>
    <message>
        <source>Sleep</source>
        <translation>Reposo</translation>
    </message>
    <message>
        <source>Administrator &amp;password:</source>
        <translation>&amp;Contraseña de admin:</translation>
    </message>
    <message>
        <source>Administrator password</source>
        <translation>Contraseña de administrador</translation>
    </message>
    <message>
        <source>Handed to sudo to schedule or end the task; never stored</source>
        <translation>Se entrega a sudo para programar o terminar la tarea; nunca se guarda</translation>
    </message>
    <message>
        <source>Schedule or end the task</source>
        <translation>Programar o terminar la tarea</translation>
    </message>
    <message>
        <source>Status</source>
        <translation>Estado</translation>
    </message>
    <message>
        <source>Scheduled task</source>
        <translation>Tarea programada</translation>
    </message>
    <message>
        <source>Schedule Task</source>
        <translation>Programar tarea</translation>
    </message>
</context>
<context>
    <name>VersionCheck</name>
    <message>
        <source>Version check failed.</source>
        <translation>Falló la comprobación de la versión.</translation>
    </message>
    <message>
        <source>The Zarn web site could not be contacted.</source>
        <translation>No se pudo contactar con el sitio web de Zarn.</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>Aceptar</translation>
    </message>
    <message>
        <source>A new version of Zarn (</source>
        <extracomment>The version number and &quot;) is available.&quot; follow.</extracomment>
        <translation>Hay una nueva versión de Zarn (</translation>
    </message>
    <message>
        <source>) is available.</source>
        <extracomment>Follows &quot;A new version of Zarn (&quot; and the version number.</extracomment>
        <translation>) disponible.</translation>
    </message>
    <message>
        <source>It can be downloaded from the Zarn web site.</source>
        <translation>Se puede descargar del sitio web de Zarn.</translation>
    </message>
    <message>
        <source>Go to web site</source>
        <translation>Ir al sitio web</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancelar</translation>
    </message>
    <message>
        <source>This version of Zarn (</source>
        <extracomment>The version number and &quot;) is the current version.&quot; follow.</extracomment>
        <translation>Esta versión de Zarn (</translation>
    </message>
    <message>
        <source>) is the current version.</source>
        <translation>) es la versión actual.</translation>
    </message>
    <message>
        <source>Unexpected Error</source>
        <translation>Error inesperado</translation>
    </message>
    <message>
        <source>Unable to Zarn web page, is there a live connection to the Web?</source>
        <translation>No se puede abrir la página web de Zarn. ¿Hay conexión a Internet?</translation>
    </message>
</context>
<context>
    <name>zarn::AppDelegate</name>
    <message>
        <source>Date and/or Time must be in future - Please adjust dates</source>
        <translation>La fecha y/o la hora deben estar en el futuro. Ajústelas</translation>
    </message>
    <message>
        <source>Date/Time Input Error</source>
        <translation>Error de fecha/hora</translation>
    </message>
    <message>
        <source>That time occurs twice on this day because the clocks go back - Please choose another time</source>
        <translation>Esa hora se repite ese día porque se atrasan los relojes. Elija otra hora</translation>
    </message>
    <message>
        <source>That time does not exist on this day because the clocks go forward - Please choose another time</source>
        <translation>Esa hora no existe ese día porque se adelantan los relojes. Elija otra hora</translation>
    </message>
    <message>
        <source>Shut down</source>
        <extracomment>The task, first on the status line (&quot;Shut down at …&quot;), as are &quot;Restart&quot; and &quot;Sleep&quot;.</extracomment>
        <translation>Apagado</translation>
    </message>
    <message>
        <source>Restart</source>
        <translation>Reinicio</translation>
    </message>
    <message>
        <source>Sleep</source>
        <translation>Reposo</translation>
    </message>
    <message>
        <source>%1 at %2 — now</source>
        <extracomment>%1 is the task (&quot;Restart&quot;), %2 its date and time.</extracomment>
        <translation>%1 el %2 — ahora</translation>
    </message>
    <message>
        <source>%1 at %2 — in %3 min</source>
        <extracomment>%1 is the task, %2 its date and time, %3 the minutes left.</extracomment>
        <translation>%1 el %2 — dentro de %3 min</translation>
    </message>
    <message>
        <source>%1 at %2 — in %3 h %4 min</source>
        <extracomment>%1 is the task, %2 its date and time, %3 and %4 the hours and minutes left.</extracomment>
        <translation>%1 el %2 — dentro de %3 h %4 min</translation>
    </message>
    <message>
        <source>Version:</source>
        <translation>Versión:</translation>
    </message>
    <message>
        <source>For Linux with systemd</source>
        <translation>Para Linux con systemd</translation>
    </message>
    <message>
        <source>%1-bit, Qt %2</source>
        <translation>%1 bits, Qt %2</translation>
    </message>
    <message>
        <source>Email:</source>
        <translation>Correo:</translation>
    </message>
    <message>
        <source>&amp;Zarn</source>
        <translation>&amp;Zarn</translation>
    </message>
    <message>
        <source>About Zarn</source>
        <translation>Acerca de Zarn</translation>
    </message>
    <message>
        <source>Check for Updates…</source>
        <translation>Buscar actualizaciones…</translation>
    </message>
    <message>
        <source>Zarn Web Page</source>
        <translation>Página web de Zarn</translation>
    </message>
    <message>
        <source>Quit Zarn</source>
        <translation>Salir de Zarn</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>Aceptar</translation>
    </message>
    <message>
        <source>Sorry, Zarn requires Mac OS X Version 10.9 or higher.</source>
        <translation>Lo sentimos, Zarn requiere Mac OS X versión 10.9 o posterior.</translation>
    </message>
    <message>
        <source>Zarn will now quit</source>
        <translation>Zarn se cerrará ahora</translation>
    </message>
    <message>
        <source>Task already scheduled - </source>
        <extracomment>A sheet&apos;s title, and the start of the status line before &quot;Ending a task requires a password&quot;.</extracomment>
        <translation>Ya hay una tarea programada - </translation>
    </message>
    <message>
        <source>Use &apos;End Task&apos; button to cancel it</source>
        <extracomment>&apos;End Task&apos; is the main button&apos;s title while a task waits: use its translation here.</extracomment>
        <translation>Use el botón «Terminar tarea» para cancelarla</translation>
    </message>
    <message>
        <source>Schedule Task</source>
        <translation>Programar tarea</translation>
    </message>
    <message>
        <source>End Task</source>
        <translation>Terminar tarea</translation>
    </message>
    <message>
        <source>Ending a task requires a password</source>
        <translation>Para terminar una tarea se necesita la contraseña</translation>
    </message>
    <message>
        <source>ShutDown Scheduled for:</source>
        <extracomment>Followed by the date and time, as are &quot;Restart Scheduled for:&quot; and &quot;Sleep Scheduled for:&quot;.</extracomment>
        <translation>Apagado programado para:</translation>
    </message>
    <message>
        <source>Restart Scheduled for:</source>
        <translation>Reinicio programado para:</translation>
    </message>
    <message>
        <source>Sleep Scheduled for:</source>
        <translation>Reposo programado para:</translation>
    </message>
    <message>
        <source>Another task is already scheduled</source>
        <translation>Ya hay otra tarea programada</translation>
    </message>
    <message>
        <source>Scheduling is complete. Zarn will now quit</source>
        <translation>La programación ha finalizado. Zarn se cerrará ahora</translation>
    </message>
    <message>
        <source>check the entered password</source>
        <translation>Compruebe la contraseña introducida</translation>
    </message>
    <message>
        <source>Shutdown/Restart/Sleep NOT started</source>
        <translation>Apagado/reinicio/reposo NO iniciado</translation>
    </message>
    <message>
        <source>Task NOT cancelled</source>
        <translation>Tarea NO cancelada</translation>
    </message>
    <message>
        <source>Scheduling is now available</source>
        <translation>Ya se puede programar de nuevo</translation>
    </message>
    <message>
        <source>The Task was cancelled</source>
        <translation>La tarea se ha cancelado</translation>
    </message>
</context>
</TS>
