<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="pt_BR" sourcelanguage="en">
<context>
    <name>AboutPanel</name>
    <message>
        <source>About Zarn</source>
        <translation>Sobre o Zarn</translation>
    </message>
    <message>
        <source>Product name</source>
        <translation>Nome do produto</translation>
    </message>
    <message>
        <source>Shut down, restart or sleep at a chosen time</source>
        <translation>Desligar, reiniciar ou suspender no horário escolhido</translation>
    </message>
    <message>
        <source>What Zarn does</source>
        <translation>O que o Zarn faz</translation>
    </message>
    <message>
        <source>The version of Zarn</source>
        <translation>A versão do Zarn</translation>
    </message>
    <message>
        <source>The systems Zarn runs on</source>
        <translation>Os sistemas em que o Zarn funciona</translation>
    </message>
    <message>
        <source>The processors Zarn runs on</source>
        <translation>Os processadores em que o Zarn funciona</translation>
    </message>
    <message>
        <source>The address to write to</source>
        <translation>O endereço para contato</translation>
    </message>
    <message>
        <source>The copyright notice</source>
        <translation>O aviso de copyright</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>&amp;Date and time:</source>
        <translation>&amp;Data e hora:</translation>
    </message>
    <message>
        <source>Date and time</source>
        <translation>Data e hora</translation>
    </message>
    <message>
        <source>When the task runs</source>
        <translation>Quando a tarefa é executada</translation>
    </message>
    <message>
        <source>Or &amp;from now:</source>
        <translation>Ou da&amp;qui a:</translation>
    </message>
    <message>
        <source>Hours from now</source>
        <translation>Horas a partir de agora</translation>
    </message>
    <message>
        <source>Sets the date and time to now plus these hours and the minutes beside</source>
        <translation>Define a data e a hora como agora mais estas horas e os minutos ao lado</translation>
    </message>
    <message>
        <source>hours</source>
        <translation>horas</translation>
    </message>
    <message>
        <source>Minutes from now</source>
        <translation>Minutos a partir de agora</translation>
    </message>
    <message>
        <source>Sets the date and time to now plus the hours beside and these minutes</source>
        <translation>Define a data e a hora como agora mais as horas ao lado e estes minutos</translation>
    </message>
    <message>
        <source>minutes</source>
        <translation>minutos</translation>
    </message>
    <message>
        <source>Task:</source>
        <translation>Tarefa:</translation>
    </message>
    <message>
        <source>&amp;Shut down</source>
        <translation>D&amp;esligar</translation>
    </message>
    <message>
        <source>Shut down</source>
        <translation>Desligar</translation>
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
        <translation>&amp;Suspender</translation>
    </message>
    <message>
        <source>Sleep</source>
        <translation>Suspender</translation>
    </message>
    <message>
        <source>Administrator &amp;password:</source>
        <translation>Senha de &amp;admin:</translation>
    </message>
    <message>
        <source>Administrator password</source>
        <translation>Senha de administrador</translation>
    </message>
    <message>
        <source>Handed to sudo to schedule or end the task; never stored</source>
        <translation>Entregue ao sudo para agendar ou encerrar a tarefa; nunca é armazenada</translation>
    </message>
    <message>
        <source>Schedule or end the task</source>
        <translation>Agendar ou encerrar a tarefa</translation>
    </message>
    <message>
        <source>Status</source>
        <translation>Status</translation>
    </message>
    <message>
        <source>Scheduled task</source>
        <translation>Tarefa agendada</translation>
    </message>
    <message>
        <source>Schedule Task</source>
        <translation>Agendar tarefa</translation>
    </message>
</context>
<context>
    <name>VersionCheck</name>
    <message>
        <source>Version check failed.</source>
        <translation>Falha na verificação da versão.</translation>
    </message>
    <message>
        <source>The Zarn web site could not be contacted.</source>
        <translation>Não foi possível contatar o site do Zarn.</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>A new version of Zarn (</source>
        <extracomment>The version number and &quot;) is available.&quot; follow.</extracomment>
        <translation>Uma nova versão do Zarn (</translation>
    </message>
    <message>
        <source>) is available.</source>
        <extracomment>Follows &quot;A new version of Zarn (&quot; and the version number.</extracomment>
        <translation>) está disponível.</translation>
    </message>
    <message>
        <source>It can be downloaded from the Zarn web site.</source>
        <translation>Ela pode ser baixada do site do Zarn.</translation>
    </message>
    <message>
        <source>Go to web site</source>
        <translation>Ir para o site</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancelar</translation>
    </message>
    <message>
        <source>This version of Zarn (</source>
        <extracomment>The version number and &quot;) is the current version.&quot; follow.</extracomment>
        <translation>Esta versão do Zarn (</translation>
    </message>
    <message>
        <source>) is the current version.</source>
        <translation>) é a versão atual.</translation>
    </message>
    <message>
        <source>Unexpected Error</source>
        <translation>Erro inesperado</translation>
    </message>
    <message>
        <source>Unable to Zarn web page, is there a live connection to the Web?</source>
        <translation>Não foi possível abrir a página do Zarn. Há uma conexão ativa com a Internet?</translation>
    </message>
</context>
<context>
    <name>zarn::AppDelegate</name>
    <message>
        <source>Date and/or Time must be in future - Please adjust dates</source>
        <translation>A data e/ou a hora devem estar no futuro. Ajuste-as</translation>
    </message>
    <message>
        <source>Date/Time Input Error</source>
        <translation>Erro de data/hora</translation>
    </message>
    <message>
        <source>That time occurs twice on this day because the clocks go back - Please choose another time</source>
        <translation>Esse horário ocorre duas vezes neste dia porque os relógios são atrasados. Escolha outro horário</translation>
    </message>
    <message>
        <source>That time does not exist on this day because the clocks go forward - Please choose another time</source>
        <translation>Esse horário não existe neste dia porque os relógios são adiantados. Escolha outro horário</translation>
    </message>
    <message>
        <source>Shut down</source>
        <extracomment>The task, first on the status line (&quot;Shut down at …&quot;), as are &quot;Restart&quot; and &quot;Sleep&quot;.</extracomment>
        <translation>Desligamento</translation>
    </message>
    <message>
        <source>Restart</source>
        <translation>Reinício</translation>
    </message>
    <message>
        <source>Sleep</source>
        <translation>Suspensão</translation>
    </message>
    <message>
        <source>%1 at %2 — now</source>
        <extracomment>%1 is the task (&quot;Restart&quot;), %2 its date and time.</extracomment>
        <translation>%1 em %2 — agora</translation>
    </message>
    <message>
        <source>%1 at %2 — in %3 min</source>
        <extracomment>%1 is the task, %2 its date and time, %3 the minutes left.</extracomment>
        <translation>%1 em %2 — daqui a %3 min</translation>
    </message>
    <message>
        <source>%1 at %2 — in %3 h %4 min</source>
        <extracomment>%1 is the task, %2 its date and time, %3 and %4 the hours and minutes left.</extracomment>
        <translation>%1 em %2 — daqui a %3 h %4 min</translation>
    </message>
    <message>
        <source>Version:</source>
        <translation>Versão:</translation>
    </message>
    <message>
        <source>For Linux with systemd</source>
        <translation>Para Linux com systemd</translation>
    </message>
    <message>
        <source>%1-bit, Qt %2</source>
        <translation>%1 bits, Qt %2</translation>
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
        <translation>Sobre o Zarn</translation>
    </message>
    <message>
        <source>Check for Updates…</source>
        <translation>Verificar atualizações…</translation>
    </message>
    <message>
        <source>Zarn Web Page</source>
        <translation>Página do Zarn</translation>
    </message>
    <message>
        <source>Quit Zarn</source>
        <translation>Sair do Zarn</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Sorry, Zarn requires Mac OS X Version 10.9 or higher.</source>
        <translation>Desculpe, o Zarn requer o Mac OS X versão 10.9 ou posterior.</translation>
    </message>
    <message>
        <source>Zarn will now quit</source>
        <translation>O Zarn será fechado agora</translation>
    </message>
    <message>
        <source>Task already scheduled - </source>
        <extracomment>A sheet&apos;s title, and the start of the status line before &quot;Ending a task requires a password&quot;.</extracomment>
        <translation>Tarefa já agendada - </translation>
    </message>
    <message>
        <source>Use &apos;End Task&apos; button to cancel it</source>
        <extracomment>&apos;End Task&apos; is the main button&apos;s title while a task waits: use its translation here.</extracomment>
        <translation>Use o botão “Encerrar tarefa” para cancelá-la</translation>
    </message>
    <message>
        <source>Schedule Task</source>
        <translation>Agendar tarefa</translation>
    </message>
    <message>
        <source>End Task</source>
        <translation>Encerrar tarefa</translation>
    </message>
    <message>
        <source>Ending a task requires a password</source>
        <translation>Encerrar uma tarefa requer a senha</translation>
    </message>
    <message>
        <source>ShutDown Scheduled for:</source>
        <extracomment>Followed by the date and time, as are &quot;Restart Scheduled for:&quot; and &quot;Sleep Scheduled for:&quot;.</extracomment>
        <translation>Desligamento agendado para:</translation>
    </message>
    <message>
        <source>Restart Scheduled for:</source>
        <translation>Reinício agendado para:</translation>
    </message>
    <message>
        <source>Sleep Scheduled for:</source>
        <translation>Suspensão agendada para:</translation>
    </message>
    <message>
        <source>Another task is already scheduled</source>
        <translation>Outra tarefa já está agendada</translation>
    </message>
    <message>
        <source>Scheduling is complete. Zarn will now quit</source>
        <translation>Agendamento concluído. O Zarn será fechado agora</translation>
    </message>
    <message>
        <source>check the entered password</source>
        <translation>Verifique a senha digitada</translation>
    </message>
    <message>
        <source>Shutdown/Restart/Sleep NOT started</source>
        <translation>Desligamento/reinício/suspensão NÃO iniciado</translation>
    </message>
    <message>
        <source>Task NOT cancelled</source>
        <translation>Tarefa NÃO cancelada</translation>
    </message>
    <message>
        <source>Scheduling is now available</source>
        <translation>Agora é possível agendar de novo</translation>
    </message>
    <message>
        <source>The Task was cancelled</source>
        <translation>A tarefa foi cancelada</translation>
    </message>
</context>
</TS>
