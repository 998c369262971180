<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr_FR" sourcelanguage="en">
<context>
    <name>AboutPanel</name>
    <message>
        <source>About Zarn</source>
        <translation>À propos de Zarn</translation>
    </message>
    <message>
        <source>Product name</source>
        <translation>Nom du produit</translation>
    </message>
    <message>
        <source>Shut down, restart or sleep at a chosen time</source>
        <translation>Éteindre, redémarrer ou mettre en veille à l’heure choisie</translation>
    </message>
    <message>
        <source>What Zarn does</source>
        <translation>Ce que fait Zarn</translation>
    </message>
    <message>
        <source>The version of Zarn</source>
        <translation>La version de Zarn</translation>
    </message>
    <message>
        <source>The systems Zarn runs on</source>
        <translation>Les systèmes sur lesquels Zarn fonctionne</translation>
    </message>
    <message>
        <source>The processors Zarn runs on</source>
        <translation>Les processeurs sur lesquels Zarn fonctionne</translation>
    </message>
    <message>
        <source>The address to write to</source>
        <translation>L’adresse à laquelle écrire</translation>
    </message>
    <message>
        <source>The copyright notice</source>
        <translation>La mention de copyright</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>&amp;Date and time:</source>
        <translation>&amp;Date et heure&#xa0;:</translation>
    </message>
    <message>
        <source>Date and time</source>
        <translation>Date et heure</translation>
    </message>
    <message>
        <source>When the task runs</source>
        <translation>Quand la tâche s’exécute</translation>
    </message>
    <message>
        <source>Or &amp;from now:</source>
        <translation>Ou da&amp;ns&#xa0;:</translation>
    </message>
    <message>
        <source>Hours from now</source>
        <translation>Heures à partir de maintenant</translation>
    </message>
    <message>
        <source>Sets the date and time to now plus these hours and the minutes beside</source>
        <translation>Règle la date et l’heure sur maintenant plus ces heures et les minutes à côté</translation>
    </message>
    <message>
        <source>hours</source>
        <translation>heures</translation>
    </message>
    <message>
        <source>Minutes from now</source>
        <translation>Minutes à partir de maintenant</translation>
    </message>
    <message>
        <source>Sets the date and time to now plus the hours beside and these minutes</source>
        <translation>Règle la date et l’heure sur maintenant plus les heures à côté et ces minutes</translation>
    </message>
    <message>
        <source>minutes</source>
        <translation>minutes</translation>
    </message>
    <message>
        <source>Task:</source>
        <translation>Tâche&#xa0;:</translation>
    </message>
    <message>
        <source>&amp;Shut down</source>
        <translation>É&amp;teindre</translation>
    </message>
    <message>
        <source>Shut down</source>
        <translation>Éteindre</translation>
    </message>
    <message>
        <source>&amp;Restart</source>
        <translation>&amp;Redémarrer</translation>
    </message>
    <message>
        <source>Restart</source>
        <translation>Redémarrer</translation>
    </message>
    <message>
        <source>S&amp;leep</source>
        <translation>&amp;Veille</translation>
    </message>
    <message>
        <source>Sleep</source>
        <translation>Veille</translation>
    </message>
    <message>
        <source>Administrator &amp;password:</source>
        <translation>Mot de passe &amp;admin&#xa0;:</translation>
    </message>
    <message>
        <source>Administrator password</source>
        <translation>Mot de passe administrateur</translation>
    </message>
    <message>
        <source>Handed to sudo to schedule or end the task; never stored</source>
        <translation>Transmis à sudo pour planifier ou terminer la tâche&#x202f;; jamais enregistré</translation>
    </message>
    <message>
        <source>Schedule or end the task</source>
        <translation>Planifier ou terminer la tâche</translation>
    </message>
    <message>
        <source>Status</source>
        <translation>État</translation>
    </message>
    <message>
        <source>Scheduled task</source>
        <translation>Tâche planifiée</translation>
    </message>
    <message>
        <source>Schedule Task</source>
        <translation>Planifier la tâche</translation>
    </message>
</context>
<context>
    <name>VersionCheck</name>
    <message>
        <source>Version check failed.</source>
        <translation>La vérification de la version a échoué.</translation>
    </message>
    <message>
        <source>The Zarn web site could not be contacted.</source>
        <translation>Le site web de Zarn n’a pas pu être contacté.</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>A new version of Zarn (</source>
        <extracomment>The version number and &quot;) is available.&quot; follow.</extracomment>
        <translation>Une nouvelle version de Zarn (</translation>
    </message>
    <message>
        <source>) is available.</source>
        <extracomment>Follows &quot;A new version of Zarn (&quot; and the version number.</extracomment>
        <translation>) est disponible.</translation>
    </message>
    <message>
        <source>It can be downloaded from the Zarn web site.</source>
        <translation>Elle peut être téléchargée depuis le site web de Zarn.</translation>
    </message>
    <message>
        <source>Go to web site</source>
        <translation>Aller sur le site web</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Annuler</translation>
    </message>
    <message>
        <source>This version of Zarn (</source>
        <extracomment>The version number and &quot;) is the current version.&quot; follow.</extracomment>
        <translation>Cette version de Zarn (</translation>
    </message>
    <message>
        <source>) is the current version.</source>
        <translation>) est la version actuelle.</translation>
    </message>
    <message>
        <source>Unexpected Error</source>
        <translation>Erreur inattendue</translation>
    </message>
    <message>
        <source>Unable to Zarn web page, is there a live connection to the Web?</source>
        <translation>Impossible d’ouvrir la page web de Zarn. La connexion à Internet est-elle active&#x202f;?</translation>
    </message>
</context>
<context>
    <name>zarn::AppDelegate</name>
    <message>
        <source>Date and/or Time must be in future - Please adjust dates</source>
        <translation>La date et/ou l’heure doivent être dans le futur. Veuillez les ajuster</translation>
    </message>
    <message>
        <source>Date/Time Input Error</source>
        <translation>Erreur de date/heure</translation>
    </message>
    <message>
        <source>That time occurs twice on this day because the clocks go back - Please choose another time</source>
        <translation>Cette heure existe deux fois ce jour-là car les horloges reculent. Veuillez en choisir une autre</translation>
    </message>
    <message>
        <source>That time does not exist on this day because the clocks go forward - Please choose another time</source>
        <translation>Cette heure n’existe pas ce jour-là car les horloges avancent. Veuillez en choisir une autre</translation>
    </message>
    <message>
        <source>Shut down</source>
        <extracomment>The task, first on the status line (&quot;Shut down at …&quot;), as are &quot;Restart&quot; and &quot;Sleep&quot;.</extracomment>
        <translation>Arrêt</translation>
    </message>
    <message>
        <source>Restart</source>
        <translation>Redémarrage</translation>
    </message>
    <message>
        <source>Sleep</source>
        <translation>Mise en veille</translation>
    </message>
    <message>
        <source>%1 at %2 — now</source>
        <extracomment>%1 is the task (&quot;Restart&quot;), %2 its date and time.</extracomment>
        <translation>%1 le %2 — maintenant</translation>
    </message>
    <message>
        <source>%1 at %2 — in %3 min</source>
        <extracomment>%1 is the task, %2 its date and time, %3 the minutes left.</extracomment>
        <translation>%1 le %2 — dans %3 min</translation>
    </message>
    <message>
        <source>%1 at %2 — in %3 h %4 min</source>
        <extracomment>%1 is the task, %2 its date and time, %3 and %4 the hours and minutes left.</extracomment>
        <translation>%1 le %2 — dans %3 h %4 min</translation>
    </message>
    <message>
        <source>Version:</source>
        <translation>Version&#xa0;:</translation>
    </message>
    <message>
        <source>For Linux with systemd</source>
        <translation>Pour Linux avec systemd</translation>
    </message>
    <message>
        <source>%1-bit, Qt %2</source>
        <translation>%1 bits, Qt %2</translation>
    </message>
    <message>
        <source>Email:</source>
        <translation>E-mail&#xa0;:</translation>
    </message>
    <message>
        <source>&amp;Zarn</source>
        <translation>&amp;Zarn</translation>
    </message>
    <message>
        <source>About Zarn</source>
        <translation>À propos de Zarn</translation>
    </message>
    <message>
        <source>Check for Updates…</source>
        <translation>Rechercher des mises à jour…</translation>
    </message>
    <message>
        <source>Zarn Web Page</source>
        <translation>Page web de Zarn</translation>
    </message>
    <message>
        <source>Quit Zarn</source>
        <translation>Quitter Zarn</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Sorry, Zarn requires Mac OS X Version 10.9 or higher.</source>
        <translation>Désolé, Zarn nécessite Mac OS X version 10.9 ou ultérieure.</translation>
    </message>
    <message>
        <source>Zarn will now quit</source>
        <translation>Zarn va maintenant se fermer</translation>
    </message>
    <message>
        <source>Task already scheduled - </source>
        <extracomment>A sheet&apos;s title, and the start of the status line before &quot;Ending a task requires a password&quot;.</extracomment>
        <translation>Tâche déjà planifiée - </translation>
    </message>
    <message>
        <source>Use &apos;End Task&apos; button to cancel it</source>
        <extracomment>&apos;End Task&apos; is the main button&apos;s title while a task waits: use its translation here.</extracomment>
        <translation>Utilisez le bouton «&#xa0;Terminer la tâche&#xa0;» pour l’annuler</translation>
    </message>
    <message>
        <source>Schedule Task</source>
        <translation>Planifier la tâche</translation>
    </message>
    <message>
        <source>End Task</source>
        <translation>Terminer la tâche</translation>
    </message>
    <message>
        <source>Ending a task requires a password</source>
        <translation>Terminer une tâche nécessite le mot de passe</translation>
    </message>
    <message>
        <source>ShutDown Scheduled for:</source>
        <extracomment>Followed by the date and time, as are &quot;Restart Scheduled for:&quot; and &quot;Sleep Scheduled for:&quot;.</extracomment>
        <translation>Extinction planifiée pour&#xa0;:</translation>
    </message>
    <message>
        <source>Restart Scheduled for:</source>
        <translation>Redémarrage planifié pour&#xa0;:</translation>
    </message>
    <message>
        <source>Sleep Scheduled for:</source>
        <translation>Mise en veille planifiée pour&#xa0;:</translation>
    </message>
    <message>
        <source>Another task is already scheduled</source>
        <translation>Une autre tâche est déjà planifiée</translation>
    </message>
    <message>
        <source>Scheduling is complete. Zarn will now quit</source>
        <translation>La planification est terminée. Zarn va maintenant se fermer</translation>
    </message>
    <message>
        <source>check the entered password</source>
        <translation>Vérifiez le mot de passe saisi</translation>
    </message>
    <message>
        <source>Shutdown/Restart/Sleep NOT started</source>
        <translation>Extinction/redémarrage/veille NON lancé</translation>
    </message>
    <message>
        <source>Task NOT cancelled</source>
        <translation>Tâche NON annulée</translation>
    </message>
    <message>
        <source>Scheduling is now available</source>
        <translation>Vous pouvez de nouveau planifier une tâche</translation>
    </message>
    <message>
        <source>The Task was cancelled</source>
        <translation>La tâche a été annulée</translation>
    </message>
</context>
</TS>
