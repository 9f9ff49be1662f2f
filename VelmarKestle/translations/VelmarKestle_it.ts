<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="it_IT">
<context>
    <name>AppInfo</name>
    <message>
        <source>VelmarKestle includes the following open source software.</source>
        <translation>VelmarKestle include il seguente software open source.</translation>
    </message>
</context>
<context>
    <name>PlatformWords</name>
    <message>
        <source>Apps for Linux</source>
        <translation>App per Linux</translation>
    </message>
    <message>
        <source>Installs for Linux · %1</source>
        <translation>Si installa su Linux · %1</translation>
    </message>
    <message>
        <source>Linux %1 · %2</source>
        <translation>Linux %1 · %2</translation>
    </message>
    <message>
        <source>Show in Folder</source>
        <translation>Mostra nella cartella</translation>
    </message>
    <message>
        <source>The system didn’t let VelmarKestle move it (error %1). You can do it from your file manager.</source>
        <translation>Il sistema non ha permesso a VelmarKestle di spostarla (errore %1). Puoi farlo dal tuo gestore di file.</translation>
    </message>
    <message>
        <source>%1 may have a system service that only it can remove. First turn off its autostart entry in your desktop’s settings. Then quit %1 and move it to the Trash from your file manager.</source>
        <translation>%1 potrebbe avere un servizio di sistema che solo lei può rimuovere. Prima disattiva la sua voce di avvio automatico nelle impostazioni del desktop. Poi esci da %1 e spostala nel Cestino dal tuo gestore di file.</translation>
    </message>
    <message>
        <source>The system didn’t let VelmarKestle change %1. Check that you may change the folder it is in.</source>
        <translation>Il sistema non ha permesso a VelmarKestle di modificare %1. Controlla di poter modificare la cartella in cui si trova.</translation>
    </message>
    <message>
        <source>Open Settings</source>
        <translation>Apri Impostazioni</translation>
    </message>
    <message>
        <source>Its settings and data stay on this computer: if you install it again, you’ll find them.</source>
        <translation>Le sue impostazioni e i suoi dati restano su questo computer: se la installi di nuovo, li ritroverai.</translation>
    </message>
    <message>
        <source>All the velmar apps are installed on this computer.</source>
        <translation>Tutte le app di velmar sono installate su questo computer.</translation>
    </message>
    <message>
        <source>Same as the system</source>
        <translation>Come il sistema</translation>
    </message>
    <message>
        <source>Other apps keep the system’s language.</source>
        <translation>Le altre app mantengono la lingua del sistema.</translation>
    </message>
    <message>
        <source>Opening at login needs your approval in Settings.</source>
        <translation>L’apertura al login richiede la tua approvazione nelle Impostazioni.</translation>
    </message>
    <message>
        <source>Notifications from VelmarKestle are off in Settings.</source>
        <translation>Le notifiche di VelmarKestle sono disattivate nelle Impostazioni.</translation>
    </message>
    <message>
        <source>Notifications from VelmarKestle are off in Settings</source>
        <translation>Le notifiche di VelmarKestle sono disattivate nelle Impostazioni</translation>
    </message>
    <message>
        <source>VelmarKestle downloads the list of apps and their versions from velmar. The requests carry what every app sends, the versions of VelmarKestle and of Linux, and the app’s language; never a profile of this computer.</source>
        <translation>VelmarKestle scarica da velmar l’elenco delle app e delle loro versioni. Le richieste contengono ciò che invia ogni app, le versioni di VelmarKestle e di Linux e la lingua dell’app; mai un profilo di questo computer.</translation>
    </message>
    <message>
        <source>Your Applications folder, as when you install by hand.</source>
        <translation>La tua cartella Applicazioni, come quando installi a mano.</translation>
    </message>
</context>
<context>
    <name>kestle::app::AppCard</name>
    <message>
        <source>Open the Page of %1</source>
        <extracomment>Accessibility label of a card&apos;s icon: the app&apos;s name</extracomment>
        <translation>Apri la pagina di %1</translation>
    </message>
    <message>
        <source>Site</source>
        <extracomment>Link at the top of a card to the app&apos;s web page</extracomment>
        <translation>Sito</translation>
    </message>
    <message>
        <source>In development, release date to be announced</source>
        <extracomment>Version line of a card of an app not yet released</extracomment>
        <translation>In sviluppo, data di uscita da annunciare</translation>
    </message>
    <message>
        <source>%1 installed → %2 released %3</source>
        <extracomment>Version line with an update: installed version, new version, release date</extracomment>
        <translation>%1 installata → %2 uscita il %3</translation>
    </message>
    <message>
        <source>%1 installed → %2</source>
        <extracomment>Version line with an update of unknown date: installed and new version</extracomment>
        <translation>%1 installata → %2</translation>
    </message>
    <message>
        <source>Version %1 · released %2</source>
        <extracomment>Version line of an up-to-date app: installed version, release date</extracomment>
        <translation>Versione %1 · uscita il %2</translation>
    </message>
    <message>
        <source>Version %1</source>
        <extracomment>Version line of an installed app: its version
----------
Version line of an app not installed: its version</extracomment>
        <translation>Versione %1</translation>
    </message>
    <message>
        <source>Latest version not available</source>
        <extracomment>Version line of an app whose feed could not be read</extracomment>
        <translation>Ultima versione non disponibile</translation>
    </message>
    <message>
        <source>Version %1 · %2 · %3</source>
        <extracomment>Version line of an app not installed: version, release date, download size</extracomment>
        <translation>Versione %1 · %2 · %3</translation>
    </message>
</context>
<context>
    <name>kestle::app::AppDetail</name>
    <message>
        <source>All Apps</source>
        <extracomment>Back button of the detail page, to the list of apps</extracomment>
        <translation>Tutte le app</translation>
    </message>
    <message>
        <source>%1 · velmar</source>
        <extracomment>Line under the app&apos;s name on the detail page: the tagline, then the maker</extracomment>
        <translation>%1 · velmar</translation>
    </message>
    <message>
        <source>What It Does</source>
        <extracomment>Heading of the app&apos;s description on the detail page</extracomment>
        <translation>Cosa fa</translation>
    </message>
    <message>
        <source>Report a Problem…</source>
        <extracomment>Button at the foot of the detail page</extracomment>
        <translation>Segnala un problema…</translation>
    </message>
</context>
<context>
    <name>kestle::app::AppTable</name>
    <message>
        <source>App</source>
        <extracomment>Column of the table: icon, name and tagline</extracomment>
        <translation>App</translation>
    </message>
    <message>
        <source>Status</source>
        <extracomment>Column of the table</extracomment>
        <translation>Stato</translation>
    </message>
    <message>
        <source>Installed</source>
        <extracomment>Column of the table: the installed version</extracomment>
        <translation>Installata</translation>
    </message>
    <message>
        <source>Latest</source>
        <extracomment>Column of the table: the latest released version</extracomment>
        <translation>Più recente</translation>
    </message>
    <message>
        <source>Released</source>
        <extracomment>Column of the table: the release date</extracomment>
        <translation>Uscita</translation>
    </message>
    <message>
        <source>Action</source>
        <extracomment>Column of the table: the app&apos;s controls</extracomment>
        <translation>Azione</translation>
    </message>
</context>
<context>
    <name>kestle::app::AppTableRow</name>
    <message>
        <source>To Be Announced</source>
        <extracomment>Released column of the table: a coming app without a date</extracomment>
        <translation>Da annunciare</translation>
    </message>
    <message>
        <source>Open the Page of %1</source>
        <extracomment>Accessibility label of an app&apos;s icon in the table and on cards</extracomment>
        <translation>Apri la pagina di %1</translation>
    </message>
</context>
<context>
    <name>kestle::app::CatalogUnavailable</name>
    <message>
        <source>Try Again</source>
        <translation>Riprova</translation>
    </message>
    <message>
        <source>velmar’s server answered with an error (%1). Try again in a few minutes.</source>
        <extracomment>The catalog server answered with an error: the HTTP status</extracomment>
        <translation>Il server di velmar ha risposto con un errore (%1). Riprova tra qualche minuto.</translation>
    </message>
    <message>
        <source>The list downloaded isn’t signed by velmar, so VelmarKestle doesn’t use it.</source>
        <translation>L’elenco scaricato non è firmato da velmar, quindi VelmarKestle non lo usa.</translation>
    </message>
    <message>
        <source>Check the internet connection and try again.</source>
        <translation>Controlla la connessione a Internet e riprova.</translation>
    </message>
    <message>
        <source>Loading the Apps…</source>
        <translation>Caricamento delle app…</translation>
    </message>
    <message>
        <source>Can’t Load the List of Apps</source>
        <translation>Impossibile caricare l’elenco delle app</translation>
    </message>
</context>
<context>
    <name>kestle::app::EmptyList</name>
    <message>
        <source>Show All Apps</source>
        <translation>Mostra tutte le app</translation>
    </message>
    <message>
        <source>No Apps for “%1”</source>
        <extracomment>No app matches the search: the search text</extracomment>
        <translation>Nessuna app per “%1”</translation>
    </message>
    <message>
        <source>Try another name, for example Brimble or Quarrow.</source>
        <translation>Prova un altro nome, ad esempio Brimble o Quarrow.</translation>
    </message>
    <message>
        <source>No Apps Installed</source>
        <translation>Nessuna app installata</translation>
    </message>
    <message>
        <source>The apps you install from here show up in this list.</source>
        <translation>Le app che installi da qui compaiono in questo elenco.</translation>
    </message>
    <message>
        <source>Your Apps Are Up to Date</source>
        <translation>Le tue app sono aggiornate</translation>
    </message>
    <message>
        <source>When a new version comes out, you’ll find it here.</source>
        <translation>Quando esce una nuova versione, la trovi qui.</translation>
    </message>
    <message>
        <source>You Have All the Apps</source>
        <translation>Hai tutte le app</translation>
    </message>
</context>
<context>
    <name>kestle::app::EntryControls</name>
    <message>
        <source>Open</source>
        <extracomment>Button beside Update on the detail page: opens the installed app
----------
Main button of an installed, up-to-date app</extracomment>
        <translation>Apri</translation>
    </message>
    <message>
        <source>Install</source>
        <extracomment>Main button of an app that is not installed</extracomment>
        <translation>Installa</translation>
    </message>
    <message>
        <source>Update to %1</source>
        <extracomment>Main button of an app with an update: the new version</extracomment>
        <translation>Aggiorna a %1</translation>
    </message>
</context>
<context>
    <name>kestle::app::EntryText</name>
    <message numerus="yes">
        <source>%n versions newer</source>
        <extracomment>How many releases an update brings, after the installed and new version</extracomment>
        <translation>
            <numerusform>%n versione più recente</numerusform>
            <numerusform>%n versioni più recenti</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>kestle::app::FactStrip</name>
    <message>
        <source>Status</source>
        <extracomment>Fact of the detail page: caption of a coming app&apos;s state</extracomment>
        <translation>Stato</translation>
    </message>
    <message>
        <source>In Development</source>
        <extracomment>Fact of the detail page: a coming app&apos;s state</extracomment>
        <translation>In sviluppo</translation>
    </message>
    <message>
        <source>Release</source>
        <extracomment>Fact of the detail page: caption of the release date</extracomment>
        <translation>Uscita</translation>
    </message>
    <message>
        <source>To Be Announced</source>
        <extracomment>Fact of the detail page: a release date not yet known</extracomment>
        <translation>Da annunciare</translation>
    </message>
    <message>
        <source>Download</source>
        <extracomment>Fact of the detail page: caption of the download size</extracomment>
        <translation>Download</translation>
    </message>
    <message>
        <source>Requires</source>
        <extracomment>Fact of the detail page: caption of the system requirement</extracomment>
        <translation>Richiede</translation>
    </message>
    <message>
        <source>Price</source>
        <extracomment>Fact of the detail page: caption of the price</extracomment>
        <translation>Prezzo</translation>
    </message>
    <message>
        <source>Version</source>
        <extracomment>Fact of the detail page: caption of the version</extracomment>
        <translation>Versione</translation>
    </message>
    <message>
        <source>Free</source>
        <extracomment>Fact of the detail page: what every app costs</extracomment>
        <translation>Gratis</translation>
    </message>
</context>
<context>
    <name>kestle::app::FilterTabs</name>
    <message>
        <source>All</source>
        <translation>Tutte</translation>
    </message>
    <message>
        <source>Installed</source>
        <comment>filter.installed</comment>
        <extracomment>Filter tab: the apps on this Mac</extracomment>
        <translation>Installate</translation>
    </message>
    <message>
        <source>Updates</source>
        <translation>Aggiornamenti</translation>
    </message>
    <message>
        <source>Not Installed</source>
        <comment>filter.notInstalled</comment>
        <extracomment>Filter tab: the apps not on this Mac</extracomment>
        <translation>Non installate</translation>
    </message>
    <message>
        <source>Filter the Apps</source>
        <translation>Filtra le app</translation>
    </message>
</context>
<context>
    <name>kestle::app::GeneralSettings</name>
    <message>
        <source>Language</source>
        <translation>Lingua</translation>
    </message>
    <message>
        <source>VelmarKestle changes language when it relaunches.</source>
        <translation>VelmarKestle cambia lingua quando si riavvia.</translation>
    </message>
    <message>
        <source>Relaunch Now</source>
        <translation>Riavvia ora</translation>
    </message>
    <message>
        <source>Startup</source>
        <translation>Avvio</translation>
    </message>
    <message>
        <source>Open at login</source>
        <translation>Apri al login</translation>
    </message>
    <message>
        <source>Starts without a window and checks for updates.</source>
        <translation>Si avvia senza finestra e controlla gli aggiornamenti.</translation>
    </message>
    <message>
        <source>This desktop has no tray.</source>
        <translation>Questo desktop non ha un’area di notifica.</translation>
    </message>
    <message>
        <source>Show in the menu bar</source>
        <translation>Mostra nella barra dei menu</translation>
    </message>
    <message>
        <source>Updates and apps a click away, even with the window closed.</source>
        <translation>Aggiornamenti e app a portata di clic, anche con la finestra chiusa.</translation>
    </message>
    <message>
        <source>Couldn’t change the login item: %1</source>
        <extracomment>Opening at login could not be changed: the system&apos;s description of why</extracomment>
        <translation>Impossibile modificare l’elemento di login: %1</translation>
    </message>
    <message>
        <source>Notifications</source>
        <translation>Notifiche</translation>
    </message>
    <message>
        <source>“Notify Me” on an app that’s coming soon works whatever this setting.</source>
        <translation>“Avvisami” su un’app in arrivo funziona qualunque sia questa impostazione.</translation>
    </message>
    <message>
        <source>Update notifications</source>
        <translation>Notifiche di aggiornamento</translation>
    </message>
    <message>
        <source>A notice when there’s a new version.</source>
        <translation>Un avviso quando c’è una nuova versione.</translation>
    </message>
    <message>
        <source>Application</source>
        <translation>Applicazione</translation>
    </message>
    <message>
        <source>Version</source>
        <translation>Versione</translation>
    </message>
    <message>
        <source>VelmarKestle is free. If you’d like to support the project and help us keep it maintained, you can buy us a coffee.</source>
        <translation>VelmarKestle è gratuita. Se vuoi sostenere il progetto e aiutarci a mantenerla, puoi offrirci un caffè.</translation>
    </message>
</context>
<context>
    <name>kestle::app::GoBackFlow</name>
    <message>
        <source>%1 %2 takes the place of %1 %3, which is removed, freeing %4.</source>
        <extracomment>Going back: the app&apos;s name, the version put back, the version removed and the space that frees</extracomment>
        <translation>%1 %2 prende il posto di %1 %3, che viene eliminata liberando %4.</translation>
    </message>
    <message>
        <source>%1 is open: VelmarKestle quits it and opens it again.</source>
        <extracomment>Going back while the app is open: its name</extracomment>
        <translation>%1 è aperta: VelmarKestle la chiude e la riapre.</translation>
    </message>
    <message>
        <source>You won’t be notified about %1 again, but you can still update to it from the window.</source>
        <extracomment>Going back: the version gone back from, which is still offered in the window</extracomment>
        <translation>Non riceverai più notifiche per la versione %1, ma potrai comunque aggiornarla dalla finestra.</translation>
    </message>
    <message>
        <source>Go Back to %1 %2?</source>
        <extracomment>Title of the question before going back: the app&apos;s name and the earlier version</extracomment>
        <translation>Tornare a %1 %2?</translation>
    </message>
    <message>
        <source>Go Back</source>
        <extracomment>Button that goes back to the earlier version</extracomment>
        <translation>Torna indietro</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Annulla</translation>
    </message>
</context>
<context>
    <name>kestle::app::KestleCommands</name>
    <message>
        <source>About VelmarKestle</source>
        <translation>Informazioni su VelmarKestle</translation>
    </message>
    <message>
        <source>Check for VelmarKestle Updates…</source>
        <translation>Controlla aggiornamenti di VelmarKestle…</translation>
    </message>
    <message>
        <source>Buy Me a Coffee</source>
        <translation>Offrimi un caffè</translation>
    </message>
    <message>
        <source>Quit VelmarKestle</source>
        <translation>Esci da VelmarKestle</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <extracomment>The File menu</extracomment>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>Check for Updates</source>
        <translation>Controlla aggiornamenti</translation>
    </message>
    <message>
        <source>Update All</source>
        <translation>Aggiorna tutto</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <extracomment>The Edit menu</extracomment>
        <translation>&amp;Modifica</translation>
    </message>
    <message>
        <source>Search</source>
        <translation>Cerca</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <extracomment>The View menu</extracomment>
        <translation>&amp;Vista</translation>
    </message>
    <message>
        <source>Grid</source>
        <translation>Griglia</translation>
    </message>
    <message>
        <source>Table</source>
        <translation>Tabella</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <extracomment>The Help menu</extracomment>
        <translation>&amp;Aiuto</translation>
    </message>
    <message>
        <source>VelmarKestle Help</source>
        <translation>Aiuto di VelmarKestle</translation>
    </message>
    <message>
        <source>Report a Problem…</source>
        <translation>Segnala un problema…</translation>
    </message>
    <message>
        <source>Privacy</source>
        <translation>Privacy</translation>
    </message>
    <message>
        <source>Terms of Use</source>
        <translation>Condizioni d’uso</translation>
    </message>
    <message>
        <source>Settings…</source>
        <translation>Impostazioni…</translation>
    </message>
</context>
<context>
    <name>kestle::app::KofiImageButton</name>
    <message>
        <source>Buy me a coffee: leave a tip on Ko-fi</source>
        <extracomment>Accessible name of the Ko-fi tip button</extracomment>
        <translation>Offrimi un caffè: lascia una mancia su Ko-fi</translation>
    </message>
</context>
<context>
    <name>kestle::app::LauncherEntry</name>
    <message>
        <source>Install and update the Velmar apps</source>
        <extracomment>The launcher&apos;s one-line description of the application.</extracomment>
        <translation>Installa e aggiorna le app di Velmar</translation>
    </message>
</context>
<context>
    <name>kestle::app::LayoutPicker</name>
    <message>
        <source>Grid or Table</source>
        <translation>Griglia o tabella</translation>
    </message>
    <message>
        <source>View</source>
        <translation>Vista</translation>
    </message>
    <message>
        <source>Grid</source>
        <translation>Griglia</translation>
    </message>
    <message>
        <source>Table</source>
        <translation>Tabella</translation>
    </message>
</context>
<context>
    <name>kestle::app::ListHeader</name>
    <message>
        <source>Updating…</source>
        <translation>Aggiornamento in corso…</translation>
    </message>
    <message>
        <source>Update All (%1)</source>
        <extracomment>The update-all button: how many apps have an update</extracomment>
        <translation>Aggiorna tutte (%1)</translation>
    </message>
    <message numerus="yes">
        <source>%n apps</source>
        <extracomment>How many apps the list shows</extracomment>
        <translation>
            <numerusform>%n app</numerusform>
            <numerusform>%n app</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>kestle::app::LiveActions</name>
    <message>
        <source>We’ll let you know when %1 is ready</source>
        <extracomment>Banner after &quot;Notify Me&quot;: the app&apos;s name</extracomment>
        <translation>Ti avviseremo quando %1 sarà disponibile</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>Apri</translation>
    </message>
</context>
<context>
    <name>kestle::app::LocaleFormat</name>
    <message>
        <source>Zero KB</source>
        <extracomment>A file size of nothing</extracomment>
        <translation>Zero KB</translation>
    </message>
    <message>
        <source>1 byte</source>
        <extracomment>A file size of one byte</extracomment>
        <translation>1 byte</translation>
    </message>
    <message>
        <source>%1 bytes</source>
        <extracomment>A file size under a kilobyte</extracomment>
        <translation>%1 byte</translation>
    </message>
    <message>
        <source>%1 KB</source>
        <extracomment>Kilobytes</extracomment>
        <translation>%1 KB</translation>
    </message>
    <message>
        <source>%1 MB</source>
        <extracomment>Megabytes</extracomment>
        <translation>%1 MB</translation>
    </message>
    <message>
        <source>%1 GB</source>
        <extracomment>Gigabytes</extracomment>
        <translation>%1 GB</translation>
    </message>
    <message>
        <source>%1 TB</source>
        <extracomment>Terabytes</extracomment>
        <translation>%1 TB</translation>
    </message>
    <message>
        <source>%1 PB</source>
        <extracomment>Petabytes</extracomment>
        <translation>%1 PB</translation>
    </message>
    <message>
        <source>%1 EB</source>
        <extracomment>Exabytes</extracomment>
        <translation>%1 EB</translation>
    </message>
</context>
<context>
    <name>kestle::app::MainWindow</name>
    <message>
        <source>Toolbar</source>
        <translation>Barra degli strumenti</translation>
    </message>
    <message>
        <source>Check for Updates</source>
        <translation>Controlla aggiornamenti</translation>
    </message>
    <message>
        <source>Settings</source>
        <translation>Impostazioni</translation>
    </message>
</context>
<context>
    <name>kestle::app::MenuBarContent</name>
    <message>
        <source>Terms of Use…</source>
        <extracomment>Tray menu item while the terms of use wait to be accepted</extracomment>
        <translation>Condizioni d’uso…</translation>
    </message>
    <message>
        <source>Quit VelmarKestle</source>
        <extracomment>Tray menu item ending the application</extracomment>
        <translation>Esci da VelmarKestle</translation>
    </message>
    <message>
        <source>Install VelmarKestle Update…</source>
        <extracomment>Tray menu item: an update of this application is ready to install</extracomment>
        <translation>Installa l’aggiornamento di VelmarKestle…</translation>
    </message>
    <message>
        <source>Open VelmarKestle</source>
        <extracomment>Tray menu item showing the main window</extracomment>
        <translation>Apri VelmarKestle</translation>
    </message>
    <message>
        <source>Check for Updates</source>
        <extracomment>Tray menu item starting a check of every app</extracomment>
        <translation>Controlla aggiornamenti</translation>
    </message>
    <message>
        <source>Settings…</source>
        <extracomment>Tray menu item opening the settings window</extracomment>
        <translation>Impostazioni…</translation>
    </message>
    <message>
        <source>Open %1</source>
        <extracomment>Tray menu item opening an installed app</extracomment>
        <translation>Apri %1</translation>
    </message>
</context>
<context>
    <name>kestle::app::MenuBarItems</name>
    <message>
        <source>%1: didn’t go through, try again</source>
        <extracomment>Tray menu line of a job that failed; choosing it tries again</extracomment>
        <translation>%1: non è andato a buon fine, riprova</translation>
    </message>
    <message>
        <source>Open %1 to Install Its Update</source>
        <extracomment>Tray menu line: the app installs its own update once opened</extracomment>
        <translation>Apri %1 per installarne l’aggiornamento</translation>
    </message>
    <message>
        <source>Update %1 to %2</source>
        <extracomment>Tray menu line: the app&apos;s name and the version on offer</extracomment>
        <translation>Aggiorna %1 alla versione %2</translation>
    </message>
    <message>
        <source>Update All</source>
        <extracomment>Tray menu line updating every app that has an update</extracomment>
        <translation>Aggiorna tutte</translation>
    </message>
    <message>
        <source>Your Apps Are Up to Date</source>
        <extracomment>Tray menu line when no app has an update or a job</extracomment>
        <translation>Le tue app sono aggiornate</translation>
    </message>
    <message>
        <source>%1: queued</source>
        <extracomment>Tray menu line of a job waiting for the ones before it</extracomment>
        <translation>%1: in coda</translation>
    </message>
    <message>
        <source>%1: %2 of %3</source>
        <extracomment>Tray menu line of a download: the app, the percentage and the download&apos;s size</extracomment>
        <translation>%1: %2 di %3</translation>
    </message>
    <message>
        <source>%1: downloading…</source>
        <extracomment>Tray menu line of a download of unknown size</extracomment>
        <translation>%1: download in corso…</translation>
    </message>
    <message>
        <source>%1: preparing…</source>
        <extracomment>Tray menu line of a job looking for its download</extracomment>
        <translation>%1: preparazione…</translation>
    </message>
    <message>
        <source>%1: checking the signature…</source>
        <extracomment>Tray menu line of a download whose signature is being checked</extracomment>
        <translation>%1: verifica della firma…</translation>
    </message>
    <message>
        <source>%1: installing…</source>
        <extracomment>Tray menu line of a first install being put in place</extracomment>
        <translation>%1: installazione…</translation>
    </message>
    <message>
        <source>%1: replacing…</source>
        <extracomment>Tray menu line of an update replacing the installed app</extracomment>
        <translation>%1: sostituzione…</translation>
    </message>
    <message>
        <source>%1: going back…</source>
        <extracomment>Tray menu line of an app going back to the version before its last update</extracomment>
        <translation>%1: ritorno alla versione precedente…</translation>
    </message>
</context>
<context>
    <name>kestle::app::MoreItems</name>
    <message>
        <source>What’s New in %1</source>
        <extracomment>Menu item opening the detail page: the latest version</extracomment>
        <translation>Novità della versione %1</translation>
    </message>
    <message>
        <source>Open %1</source>
        <extracomment>Menu item opening the app&apos;s web page: its host name</extracomment>
        <translation>Apri %1</translation>
    </message>
    <message>
        <source>Report a Problem…</source>
        <extracomment>Menu item: opens the problem report about this app</extracomment>
        <translation>Segnala un problema…</translation>
    </message>
    <message>
        <source>Move to Trash…</source>
        <extracomment>Menu item that starts moving the installed app to the Trash</extracomment>
        <translation>Sposta nel Cestino…</translation>
    </message>
    <message>
        <source>Go Back to %1 (%2)…</source>
        <extracomment>Menu item that puts back the version the last update replaced: that version and the space the kept copy takes on disk</extracomment>
        <translation>Torna alla versione %1 (%2)…</translation>
    </message>
</context>
<context>
    <name>kestle::app::MoreMenu</name>
    <message>
        <source>More Actions for %1</source>
        <translation>Altre azioni per %1</translation>
    </message>
</context>
<context>
    <name>kestle::app::Notifier</name>
    <message>
        <source>There’s an Update for %1</source>
        <extracomment>A notification&apos;s title: the app&apos;s name</extracomment>
        <translation>C’è un aggiornamento per %1</translation>
    </message>
    <message>
        <source>Version %1 is ready to install.</source>
        <extracomment>A notification&apos;s text: the new version</extracomment>
        <translation>La versione %1 è pronta da installare.</translation>
    </message>
    <message>
        <source>Show</source>
        <translation>Mostra</translation>
    </message>
    <message>
        <source>Update</source>
        <translation>Aggiorna</translation>
    </message>
    <message>
        <source>%1 Is Out</source>
        <extracomment>A notification&apos;s title: the app&apos;s name</extracomment>
        <translation>%1 è disponibile</translation>
    </message>
    <message>
        <source>It’s ready to install.</source>
        <translation>È pronta da installare.</translation>
    </message>
    <message>
        <source>Install</source>
        <translation>Installa</translation>
    </message>
</context>
<context>
    <name>kestle::app::NotifyMeButton</name>
    <message>
        <source>We’ll Let You Know</source>
        <extracomment>Notify-me button of a coming app while its release is watched</extracomment>
        <translation>Ti avviseremo</translation>
    </message>
    <message>
        <source>Click to stop the notice for %1</source>
        <extracomment>Tooltip of the notify-me button while on: the app&apos;s name</extracomment>
        <translation>Fai clic per non ricevere più l’avviso per %1</translation>
    </message>
    <message>
        <source>Notify Me</source>
        <extracomment>Notify-me button of a coming app in a table row</extracomment>
        <translation>Avvisami</translation>
    </message>
    <message>
        <source>Notify Me When It’s Out</source>
        <extracomment>Notify-me button of a coming app</extracomment>
        <translation>Avvisami quando esce</translation>
    </message>
    <message>
        <source>A notification when %1 is out</source>
        <extracomment>Tooltip of the notify-me button while off: the app&apos;s name</extracomment>
        <translation>Una notifica quando esce %1</translation>
    </message>
    <message>
        <source>On</source>
        <extracomment>Accessibility value of the notify-me toggle</extracomment>
        <translation>Attivo</translation>
    </message>
    <message>
        <source>Off</source>
        <translation>Disattivo</translation>
    </message>
</context>
<context>
    <name>kestle::app::ProblemReport</name>
    <message>
        <source>Problem with %1 %2, from VelmarKestle</source>
        <extracomment>Subject of the problem e-mail about one app: its name and installed version</extracomment>
        <translation>Problema con %1 %2, da VelmarKestle</translation>
    </message>
    <message>
        <source>Problem with VelmarKestle %1</source>
        <extracomment>Subject of the problem e-mail about this application: its version text</extracomment>
        <translation>Problema con VelmarKestle %1</translation>
    </message>
    <message>
        <source>What happened, and what were you doing just before?</source>
        <translation>Cosa è successo e cosa stavi facendo subito prima?</translation>
    </message>
    <message>
        <source>Report a Problem</source>
        <translation>Segnala un problema</translation>
    </message>
    <message>
        <source>Email %1 and tell us what happened and what you were doing just before.</source>
        <extracomment>The problem report&apos;s explanation: the support e-mail address</extracomment>
        <translation>Scrivi a %1 e raccontaci cosa è successo e cosa stavi facendo subito prima.</translation>
    </message>
    <message>
        <source>The email already includes:</source>
        <translation>L’email contiene già:</translation>
    </message>
    <message>
        <source>Write Email</source>
        <translation>Scrivi email</translation>
    </message>
    <message>
        <source>Copy Address</source>
        <translation>Copia indirizzo</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Annulla</translation>
    </message>
</context>
<context>
    <name>kestle::app::ReleaseNotesView</name>
    <message>
        <source>What’s New in %1</source>
        <extracomment>Heading of the release notes on the detail page: the latest version</extracomment>
        <translation>Novità della versione %1</translation>
    </message>
    <message>
        <source>What’s New Since %1</source>
        <extracomment>Heading of the release notes of an update that skips versions: the installed version</extracomment>
        <translation>Novità dalla versione %1</translation>
    </message>
    <message numerus="yes">
        <source>and %n earlier versions</source>
        <extracomment>After the notes of the newest releases: how many older ones the update also brings</extracomment>
        <translation>
            <numerusform>e %n versione precedente</numerusform>
            <numerusform>e altre %n versioni precedenti</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>kestle::app::ReleaseSection</name>
    <message>
        <source>Version %1</source>
        <extracomment>Heading of one release&apos;s notes when the detail page lists several: its version</extracomment>
        <translation>Versione %1</translation>
    </message>
</context>
<context>
    <name>kestle::app::SearchField</name>
    <message>
        <source>Search for an App</source>
        <translation>Cerca un’app</translation>
    </message>
    <message>
        <source>Clear</source>
        <translation>Cancella</translation>
    </message>
</context>
<context>
    <name>kestle::app::SettingsSections</name>
    <message>
        <source>Updates</source>
        <extracomment>Settings sections</extracomment>
        <translation>Aggiornamenti</translation>
    </message>
    <message>
        <source>General</source>
        <translation>Generali</translation>
    </message>
    <message>
        <source>When to look for new versions and how to install them.</source>
        <translation>Quando cercare nuove versioni e come installarle.</translation>
    </message>
    <message>
        <source>How VelmarKestle starts and where you find it.</source>
        <translation>Come si avvia VelmarKestle e dove la trovi.</translation>
    </message>
</context>
<context>
    <name>kestle::app::SettingsSidebar</name>
    <message>
        <source>Sections</source>
        <extracomment>Accessible name of the settings&apos; list of sections</extracomment>
        <translation>Sezioni</translation>
    </message>
</context>
<context>
    <name>kestle::app::StatusChip</name>
    <message>
        <source>Queued</source>
        <comment>status.queued</comment>
        <extracomment>Status chip: waiting for the update before it</extracomment>
        <translation>In coda</translation>
    </message>
    <message>
        <source>Downloading…</source>
        <comment>status.downloading</comment>
        <extracomment>Status chip</extracomment>
        <translation>Download in corso…</translation>
    </message>
    <message>
        <source>Preparing…</source>
        <comment>status.preparing</comment>
        <extracomment>Status chip: Sparkle reads the feed</extracomment>
        <translation>Preparazione…</translation>
    </message>
    <message>
        <source>Checking Signature…</source>
        <comment>status.verifying</comment>
        <extracomment>Status chip: velmar&apos;s signature on the download</extracomment>
        <translation>Verifica della firma…</translation>
    </message>
    <message>
        <source>Installing…</source>
        <comment>status.installing</comment>
        <extracomment>Status chip: a first install copies the app into Applications</extracomment>
        <translation>Installazione…</translation>
    </message>
    <message>
        <source>Replacing…</source>
        <comment>status.replacing</comment>
        <translation>Sostituzione…</translation>
    </message>
    <message>
        <source>Download Interrupted</source>
        <comment>status.interrupted</comment>
        <extracomment>Status chip: the connection was lost</extracomment>
        <translation>Download interrotto</translation>
    </message>
    <message>
        <source>Install Failed</source>
        <comment>status.installFailed</comment>
        <extracomment>Status chip: a first install didn&apos;t go through</extracomment>
        <translation>Installazione non riuscita</translation>
    </message>
    <message>
        <source>Update Failed</source>
        <comment>status.failed</comment>
        <translation>Aggiornamento non riuscito</translation>
    </message>
    <message>
        <source>Update Available</source>
        <comment>status.update</comment>
        <extracomment>Status chip: a later version is out</extracomment>
        <translation>Aggiornamento disponibile</translation>
    </message>
    <message>
        <source>Coming Soon</source>
        <comment>status.coming</comment>
        <extracomment>Status chip: in development</extracomment>
        <translation>In arrivo</translation>
    </message>
    <message>
        <source>Not Installed</source>
        <comment>status.notInstalled</comment>
        <extracomment>Status chip: released, not on this Mac</extracomment>
        <translation>Non installata</translation>
    </message>
    <message>
        <source>Installed · Up to Date</source>
        <comment>status.upToDate</comment>
        <extracomment>Status chip</extracomment>
        <translation>Installata · Aggiornata</translation>
    </message>
    <message>
        <source>Installed</source>
        <comment>status.installed</comment>
        <translation>Installata</translation>
    </message>
</context>
<context>
    <name>kestle::app::StatusFooter</name>
    <message>
        <source>Try Again</source>
        <translation>Riprova</translation>
    </message>
    <message>
        <source>Report a Problem…</source>
        <translation>Segnala un problema…</translation>
    </message>
    <message>
        <source>velmar’s server answered with an error (%1).</source>
        <extracomment>The catalog server answered with an error: the HTTP status</extracomment>
        <translation>Il server di velmar ha risposto con un errore (%1).</translation>
    </message>
    <message>
        <source>The list of apps isn’t signed by velmar.</source>
        <translation>L’elenco delle app non è firmato da velmar.</translation>
    </message>
    <message>
        <source>Can’t reach velmar: no connection.</source>
        <translation>Impossibile raggiungere velmar: nessuna connessione.</translation>
    </message>
    <message>
        <source>Couldn’t check %1.</source>
        <extracomment>Feeds that failed: the app names as a list (&quot;A, B and C&quot;)</extracomment>
        <translation>Impossibile controllare %1.</translation>
    </message>
    <message>
        <source>Checked just now</source>
        <translation>Ultimo controllo: proprio ora</translation>
    </message>
    <message>
        <source>Checked today at %1</source>
        <extracomment>The time of the last check today</extracomment>
        <translation>Ultimo controllo: oggi alle %1</translation>
    </message>
    <message>
        <source>Checked yesterday at %1</source>
        <extracomment>The time of the last check yesterday</extracomment>
        <translation>Ultimo controllo: ieri alle %1</translation>
    </message>
    <message>
        <source>Checked on %1</source>
        <extracomment>The date of the last check (day, short month, year)</extracomment>
        <translation>Ultimo controllo: %1</translation>
    </message>
    <message>
        <source>sample catalog</source>
        <translation>catalogo di esempio</translation>
    </message>
    <message>
        <source>catalog from %1</source>
        <extracomment>Where the list of apps comes from: the maker&apos;s web domain</extracomment>
        <translation>catalogo da %1</translation>
    </message>
    <message>
        <source>Checking for updates…</source>
        <translation>Controllo degli aggiornamenti in corso…</translation>
    </message>
</context>
<context>
    <name>kestle::app::TermsView</name>
    <message>
        <source>I have read and accept the terms of use.</source>
        <translation>Ho letto e accetto le condizioni d’uso.</translation>
    </message>
    <message>
        <source>Accept</source>
        <translation>Accetta</translation>
    </message>
    <message>
        <source>Terms of Use</source>
        <translation>Condizioni d’uso</translation>
    </message>
    <message>
        <source>VelmarKestle is free. Before you use it, read and accept the terms of use.</source>
        <translation>VelmarKestle è gratuita. Prima di usarla, leggi e accetta le condizioni d’uso.</translation>
    </message>
    <message>
        <source>Read the Terms of Use</source>
        <translation>Leggi le condizioni d’uso</translation>
    </message>
    <message>
        <source>Warranty and Liability</source>
        <translation>Garanzia e responsabilità</translation>
    </message>
    <message>
        <source>VelmarKestle is distributed for free in the hope that it will be useful, but as is and without warranties. We aren&apos;t liable for damages arising from its use, including data loss and interruptions. This exclusion applies to the extent permitted by law and doesn&apos;t affect your rights as a consumer.</source>
        <translation>VelmarKestle è distribuita gratuitamente nella speranza che sia utile, ma “così com’è” e senza alcuna garanzia. Non rispondiamo dei danni derivanti dal suo utilizzo, comprese perdite di dati e interruzioni. Questa esclusione si applica nei limiti consentiti dalla legge e non pregiudica i diritti che ti spettano in qualità di consumatore.</translation>
    </message>
    <message>
        <source>I specifically approve the Warranty and Liability section (articles 1341 and 1342 of the Italian Civil Code).</source>
        <translation>Approvo specificamente, ai sensi degli articoli 1341 e 1342 del Codice civile, la sezione Garanzia e responsabilità.</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>Esci</translation>
    </message>
</context>
<context>
    <name>kestle::app::TipPromptView</name>
    <message>
        <source>Not Now</source>
        <translation>Non ora</translation>
    </message>
    <message>
        <source>Thank you for using VelmarKestle</source>
        <extracomment>Title of the quit-time tip panel (not shown: the panel has no title bar)</extracomment>
        <translation>Grazie per usare VelmarKestle</translation>
    </message>
    <message>
        <source>VelmarKestle is free. If you find it useful, you can support the project by buying me a coffee.</source>
        <translation>VelmarKestle è gratuita. Se ti è utile, puoi sostenere il progetto offrendomi un caffè.</translation>
    </message>
    <message>
        <source>Opens Ko-fi in your browser.</source>
        <translation>Apre Ko-fi nel browser.</translation>
    </message>
</context>
<context>
    <name>kestle::app::ToastOverlay</name>
    <message>
        <source>Open</source>
        <extracomment>Toast button: opens the app that was just installed</extracomment>
        <translation>Apri</translation>
    </message>
</context>
<context>
    <name>kestle::app::TrashFlow</name>
    <message>
        <source>Move to Trash</source>
        <translation>Sposta nel Cestino</translation>
    </message>
    <message>
        <source>The development build moves to the Trash only the apps in the test folder.</source>
        <translation>La build di sviluppo sposta nel Cestino solo le app nella cartella di test.</translation>
    </message>
    <message>
        <source>%1 isn’t where it was any more.</source>
        <translation>%1 non è più dove si trovava.</translation>
    </message>
    <message>
        <source>There’s already an app called %1 in its place: VelmarKestle doesn’t replace it. %1 stays in the Trash.</source>
        <translation>Al suo posto c’è già un’app chiamata %1: VelmarKestle non la sostituisce. %1 resta nel Cestino.</translation>
    </message>
    <message>
        <source>%1 isn’t in the Trash any more.</source>
        <translation>%1 non è più nel Cestino.</translation>
    </message>
    <message>
        <source>Move %1 to the Trash Yourself</source>
        <translation>Sposta tu %1 nel Cestino</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>%1 is open: VelmarKestle quits it before moving it.</source>
        <extracomment>Before moving a running app to the Trash: the app&apos;s name, twice</extracomment>
        <translation>%1 è aperta: VelmarKestle la chiude prima di spostarla.</translation>
    </message>
    <message>
        <source>Move %1 to the Trash?</source>
        <translation>Spostare %1 nel Cestino?</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Annulla</translation>
    </message>
    <message>
        <source>Quitting %1…</source>
        <extracomment>Banner while a running app is asked to quit before its move: the app&apos;s name</extracomment>
        <translation>Chiusura di %1…</translation>
    </message>
    <message>
        <source>%1 Didn’t Quit</source>
        <translation>%1 non si è chiusa</translation>
    </message>
    <message>
        <source>Nothing was moved. Quit %1 and try again.</source>
        <translation>Non è stato spostato nulla. Chiudi %1 e riprova.</translation>
    </message>
    <message>
        <source>Couldn’t Move %1 to the Trash</source>
        <translation>Impossibile spostare %1 nel Cestino</translation>
    </message>
    <message>
        <source>%1 is in the Trash</source>
        <extracomment>Banner after a move to the Trash, with &quot;Undo&quot;: the app&apos;s name</extracomment>
        <translation>%1 è nel Cestino</translation>
    </message>
    <message>
        <source>Undo</source>
        <translation>Annulla</translation>
    </message>
    <message>
        <source>Couldn’t Put %1 Back</source>
        <translation>Impossibile ripristinare %1</translation>
    </message>
</context>
<context>
    <name>kestle::app::UpdateProblemRow</name>
    <message>
        <source>Dismiss</source>
        <extracomment>Help and accessibility label of the button that clears a failed job</extracomment>
        <translation>Ignora</translation>
    </message>
    <message>
        <source>Open %1</source>
        <extracomment>Button of an update the app took over: opens the app, by name</extracomment>
        <translation>Apri %1</translation>
    </message>
    <message>
        <source>Open Site</source>
        <extracomment>Button of a failed job that only the app&apos;s web page can help with</extracomment>
        <translation>Apri il sito</translation>
    </message>
    <message>
        <source>Try Again</source>
        <extracomment>Button of a failed job: runs it again</extracomment>
        <translation>Riprova</translation>
    </message>
    <message>
        <source>%1 has already downloaded the update: in %1, click “Install and Relaunch”.</source>
        <extracomment>The app&apos;s own updater has the update ready: the app&apos;s name, twice</extracomment>
        <translation>%1 ha già scaricato l’aggiornamento: in %1, fai clic su “Installa e riavvia”.</translation>
    </message>
    <message>
        <source>The installation didn’t go through (error %1).</source>
        <extracomment>A first install failed: the error code</extracomment>
        <translation>L’installazione non è riuscita (errore %1).</translation>
    </message>
    <message>
        <source>Download interrupted: the connection was lost.</source>
        <translation>Download interrotto: la connessione è stata persa.</translation>
    </message>
    <message>
        <source>The download isn’t signed by velmar, so VelmarKestle didn’t install it.</source>
        <translation>Il file scaricato non è firmato da velmar, quindi VelmarKestle non l’ha installato.</translation>
    </message>
    <message>
        <source>This account can’t add apps to Applications. Download %1 from velmar’s site.</source>
        <extracomment>The Applications folder cannot be written: the app&apos;s name</extracomment>
        <translation>Questo account non può aggiungere app alla cartella Applicazioni. Scarica %1 dal sito di velmar.</translation>
    </message>
    <message>
        <source>There’s already an app called %1 in Applications: VelmarKestle doesn’t replace it.</source>
        <extracomment>Another app has the same name in the Applications folder: the app&apos;s name</extracomment>
        <translation>Nella cartella Applicazioni c’è già un’app chiamata %1: VelmarKestle non la sostituisce.</translation>
    </message>
    <message>
        <source>The download is damaged, so VelmarKestle didn’t install it.</source>
        <translation>Il file scaricato è danneggiato, quindi VelmarKestle non l’ha installato.</translation>
    </message>
    <message>
        <source>The development build installs only into the test folder.</source>
        <translation>La build di sviluppo installa solo nella cartella di test.</translation>
    </message>
    <message>
        <source>The installation didn’t go through.</source>
        <translation>L’installazione non è riuscita.</translation>
    </message>
    <message>
        <source>The update didn’t go through (error %1). %2 stays as it is.</source>
        <extracomment>An update failed: the error code, the installed version that stays</extracomment>
        <translation>L’aggiornamento non è riuscito (errore %1). Resta installata la versione %2.</translation>
    </message>
    <message>
        <source>Download interrupted: the connection was lost. %1 stays as it is.</source>
        <extracomment>An update&apos;s download failed: the installed version that stays</extracomment>
        <translation>Download interrotto: la connessione è stata persa. Resta installata la versione %1.</translation>
    </message>
    <message>
        <source>The update isn’t signed by velmar, so VelmarKestle didn’t install it. %1 stays as it is.</source>
        <extracomment>An update with a bad signature: the installed version that stays</extracomment>
        <translation>L’aggiornamento non è firmato da velmar, quindi VelmarKestle non l’ha installato. Resta installata la versione %1.</translation>
    </message>
    <message>
        <source>This version of %1 is downloaded from its site.</source>
        <extracomment>The update can only be downloaded from the app&apos;s site: the app&apos;s name</extracomment>
        <translation>Questa versione di %1 si scarica dal suo sito.</translation>
    </message>
    <message>
        <source>The development build updates only the apps in the test folder.</source>
        <translation>La build di sviluppo aggiorna solo le app nella cartella di test.</translation>
    </message>
    <message>
        <source>%1 isn’t where it was any more.</source>
        <extracomment>The installed app was moved or deleted: the app&apos;s name</extracomment>
        <translation>%1 non è più dove si trovava.</translation>
    </message>
    <message>
        <source>The earlier version was changed since it was kept, so VelmarKestle didn’t put it back. %1 stays as it is.</source>
        <extracomment>The kept earlier version changed on disk, so it was not put back: the installed version that stays</extracomment>
        <translation>La versione precedente è stata modificata dopo essere stata conservata, quindi VelmarKestle non l’ha ripristinata. Resta installata la versione %1.</translation>
    </message>
    <message>
        <source>%1 changed since its last update, so there’s no earlier version to go back to.</source>
        <extracomment>The app or its earlier version changed since the last update: the app&apos;s name</extracomment>
        <translation>%1 è cambiata dopo l’ultimo aggiornamento, quindi non c’è una versione precedente a cui tornare.</translation>
    </message>
    <message>
        <source>Going back didn’t work (error %1). %2 stays as it is.</source>
        <extracomment>Going back failed: the error code, the installed version that stays</extracomment>
        <translation>Il ritorno alla versione precedente non è riuscito (errore %1). Resta installata la versione %2.</translation>
    </message>
</context>
<context>
    <name>kestle::app::UpdateProgressRow</name>
    <message>
        <source>Quit Again</source>
        <extracomment>Button of a job waiting for the app to quit: asks the app to quit once more</extracomment>
        <translation>Chiudi di nuovo</translation>
    </message>
    <message>
        <source>Take Out of the Queue</source>
        <extracomment>Help of the cancel button of a job that has not started yet</extracomment>
        <translation>Togli dalla coda</translation>
    </message>
    <message>
        <source>Cancel the Download</source>
        <extracomment>Help of the cancel button of a running download</extracomment>
        <translation>Annulla il download</translation>
    </message>
    <message>
        <source>Queued</source>
        <extracomment>Status of a job waiting for the one before it</extracomment>
        <translation>In coda</translation>
    </message>
    <message>
        <source>Queued after the other apps</source>
        <extracomment>Status of a first install waiting for the jobs before it</extracomment>
        <translation>In coda dopo le altre app</translation>
    </message>
    <message>
        <source>Queued after the other updates</source>
        <extracomment>Status of an update waiting for the jobs before it</extracomment>
        <translation>In coda dopo gli altri aggiornamenti</translation>
    </message>
    <message>
        <source>%1 of %2</source>
        <extracomment>Download progress: the percentage and the download&apos;s size</extracomment>
        <translation>%1 di %2</translation>
    </message>
    <message>
        <source>Downloading: %1 of %2 · %3</source>
        <extracomment>First install&apos;s download progress: received size, total size, percentage</extracomment>
        <translation>Download in corso: %1 di %2 · %3</translation>
    </message>
    <message>
        <source>Downloading %1: %2 of %3 · %4</source>
        <extracomment>Update&apos;s download progress: the new version, received and total size, percentage</extracomment>
        <translation>Download della versione %1: %2 di %3 · %4</translation>
    </message>
    <message>
        <source>Downloading…</source>
        <extracomment>Download of unknown size</extracomment>
        <translation>Download in corso…</translation>
    </message>
    <message>
        <source>Downloading: %1</source>
        <extracomment>First install&apos;s download of unknown size: the size received so far</extracomment>
        <translation>Download in corso: %1</translation>
    </message>
    <message>
        <source>Downloading %1: %2</source>
        <extracomment>Update&apos;s download of unknown size: the new version, the size received so far</extracomment>
        <translation>Download della versione %1: %2</translation>
    </message>
    <message>
        <source>%1 is still open</source>
        <extracomment>The app being updated has not quit yet: its name</extracomment>
        <translation>%1 è ancora aperta</translation>
    </message>
    <message>
        <source>Installing…</source>
        <extracomment>A first install copies the app into place</extracomment>
        <translation>Installazione…</translation>
    </message>
    <message>
        <source>Replacing…</source>
        <extracomment>The app is being replaced with the new version</extracomment>
        <translation>Sostituzione…</translation>
    </message>
    <message>
        <source>Moving %1 to Applications…</source>
        <extracomment>A first install copies the app into the Applications folder: its name</extracomment>
        <translation>Spostamento di %1 nella cartella Applicazioni…</translation>
    </message>
    <message>
        <source>%1 hasn’t quit yet.</source>
        <extracomment>The app being updated has not quit yet: its name</extracomment>
        <translation>%1 non si è ancora chiusa.</translation>
    </message>
    <message>
        <source>Quitting %1, replacing it and opening it again…</source>
        <extracomment>The running app quits, is replaced and reopens: its name</extracomment>
        <translation>Chiusura di %1, sostituzione e riapertura…</translation>
    </message>
    <message>
        <source>Replacing %1 with %2…</source>
        <extracomment>The app is being replaced: its name and the new version</extracomment>
        <translation>Sostituzione di %1 con la versione %2…</translation>
    </message>
    <message>
        <source>Preparing…</source>
        <extracomment>The job has started and looks for the update</extracomment>
        <translation>Preparazione…</translation>
    </message>
    <message>
        <source>Preparing the download…</source>
        <extracomment>A first install has started</extracomment>
        <translation>Preparazione del download…</translation>
    </message>
    <message>
        <source>Preparing the update to %1…</source>
        <extracomment>An update has started and reads the app&apos;s feed: the new version</extracomment>
        <translation>Preparazione dell’aggiornamento a %1…</translation>
    </message>
    <message>
        <source>Checking Signature…</source>
        <extracomment>The download&apos;s signature is being checked</extracomment>
        <translation>Verifica della firma…</translation>
    </message>
    <message>
        <source>Checking velmar’s signature…</source>
        <extracomment>The download&apos;s signature by the maker is being checked</extracomment>
        <translation>Verifica della firma di velmar…</translation>
    </message>
    <message>
        <source>Going Back…</source>
        <extracomment>The app is being put back to the version before its last update</extracomment>
        <translation>Ritorno in corso…</translation>
    </message>
    <message>
        <source>Quitting %1, going back to %2 and opening it again…</source>
        <extracomment>The running app quits, goes back to the earlier version and reopens: its name and that version</extracomment>
        <translation>Chiusura di %1, ritorno alla versione %2 e riapertura…</translation>
    </message>
    <message>
        <source>Going back to %1 %2…</source>
        <extracomment>The app goes back to the version before its last update: its name and that version</extracomment>
        <translation>Ritorno a %1 %2…</translation>
    </message>
</context>
<context>
    <name>kestle::app::UpdateSettings</name>
    <message>
        <source>velmar Apps</source>
        <extracomment>Header of the settings about the maker&apos;s apps</extracomment>
        <translation>App di velmar</translation>
    </message>
    <message>
        <source>Check every day</source>
        <translation>Controlla ogni giorno</translation>
    </message>
    <message>
        <source>Reads the list of versions on velmar’s site. You install each update yourself, with a click.</source>
        <translation>Legge l’elenco delle versioni sul sito di velmar. Installi tu ogni aggiornamento, con un clic.</translation>
    </message>
    <message>
        <source>Check Now</source>
        <translation>Controlla ora</translation>
    </message>
    <message>
        <source>Last check</source>
        <translation>Ultimo controllo</translation>
    </message>
    <message>
        <source>Applications</source>
        <extracomment>The folder apps are installed into</extracomment>
        <translation>Applicazioni</translation>
    </message>
    <message>
        <source>Where apps go</source>
        <translation>Dove vanno le app</translation>
    </message>
    <message>
        <source>VelmarKestle %1</source>
        <extracomment>The application&apos;s own name and version, beside its update check</extracomment>
        <translation>VelmarKestle %1</translation>
    </message>
    <message>
        <source>Never</source>
        <extracomment>The last check of the apps has not happened yet</extracomment>
        <translation>Mai</translation>
    </message>
</context>
<context>
    <name>kestle::app::UpdateToast</name>
    <message>
        <source>%1 is updated to %2</source>
        <extracomment>Toast after an update: the app&apos;s name and its new version</extracomment>
        <translation>%1 è aggiornata alla versione %2</translation>
    </message>
    <message>
        <source>Update canceled: %1 stays</source>
        <extracomment>Toast after a canceled update: the installed version that stays</extracomment>
        <translation>Aggiornamento annullato: resta la versione %1</translation>
    </message>
    <message>
        <source>%1 is installed</source>
        <extracomment>Toast after a first install: the app&apos;s name</extracomment>
        <translation>%1 è installata</translation>
    </message>
    <message>
        <source>%1 has no update to install</source>
        <extracomment>Toast when the app&apos;s own updater found nothing newer</extracomment>
        <translation>Nessun aggiornamento da installare per %1</translation>
    </message>
    <message>
        <source>Download canceled</source>
        <extracomment>Toast after a canceled first install</extracomment>
        <translation>Download annullato</translation>
    </message>
    <message>
        <source>%1 is back to %2</source>
        <extracomment>Toast after going back to the version before the last update: the app&apos;s name and that version</extracomment>
        <translation>%1 è tornata alla versione %2</translation>
    </message>
</context>
<context>
    <name>kestle::app::VelmarKestleApp</name>
    <message>
        <source>About VelmarKestle</source>
        <extracomment>The about window&apos;s title</extracomment>
        <translation>Informazioni su VelmarKestle</translation>
    </message>
    <message>
        <source>Credits</source>
        <extracomment>Accessible name of the about window&apos;s open source notices</extracomment>
        <translation>Riconoscimenti</translation>
    </message>
</context>
<context>
    <name>kestle::framework::StandardUserDriver</name>
    <message>
        <source>Software Update</source>
        <translation>Aggiornamento software</translation>
    </message>
    <message>
        <source>Check for updates automatically?</source>
        <translation>Controllare automaticamente gli aggiornamenti?</translation>
    </message>
    <message>
        <source>Should %1 automatically check for updates? You can always check manually.</source>
        <translation>Vuoi che %1 controlli automaticamente gli aggiornamenti? Puoi sempre controllare manualmente.</translation>
    </message>
    <message>
        <source>Checking for updates…</source>
        <translation>Controllo degli aggiornamenti in corso…</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Annulla</translation>
    </message>
    <message>
        <source>A new version of %1 is available.</source>
        <translation>È disponibile una nuova versione di %1.</translation>
    </message>
    <message>
        <source>Version %1 can&apos;t be installed from here.</source>
        <translation>La versione %1 non può essere installata da qui.</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>A new version of %1 is available!</source>
        <translation>È disponibile una nuova versione di %1!</translation>
    </message>
    <message>
        <source>Version %1 is now available. Would you like to install it now?</source>
        <translation>La versione %1 è ora disponibile. Vuoi installarla adesso?</translation>
    </message>
    <message>
        <source>Install Update</source>
        <translation>Installa aggiornamento</translation>
    </message>
    <message>
        <source>Remind Me Later</source>
        <translation>Ricordamelo più tardi</translation>
    </message>
    <message>
        <source>You&apos;re up to date!</source>
        <translation>Hai già l’ultima versione!</translation>
    </message>
    <message>
        <source>%1 is the newest version available.</source>
        <translation>%1 è la versione più recente disponibile.</translation>
    </message>
    <message>
        <source>Update Error!</source>
        <translation>Errore di aggiornamento!</translation>
    </message>
    <message>
        <source>Downloading update…</source>
        <translation>Download dell’aggiornamento in corso…</translation>
    </message>
    <message>
        <source>%1 of %2</source>
        <translation>%1 di %2</translation>
    </message>
    <message>
        <source>Preparing to install…</source>
        <translation>Preparazione dell’installazione…</translation>
    </message>
    <message>
        <source>Ready to Install</source>
        <translation>Pronto per l’installazione</translation>
    </message>
    <message>
        <source>%1 will quit and reopen with the new version.</source>
        <translation>%1 verrà chiusa e riaperta con la nuova versione.</translation>
    </message>
    <message>
        <source>Install and Relaunch</source>
        <translation>Installa e riavvia</translation>
    </message>
    <message>
        <source>Later</source>
        <translation>Più tardi</translation>
    </message>
    <message>
        <source>Installing update…</source>
        <translation>Installazione dell’aggiornamento in corso…</translation>
    </message>
    <message>
        <source>Waiting for %1 to quit.</source>
        <translation>In attesa della chiusura di %1.</translation>
    </message>
    <message>
        <source>Ask Again</source>
        <translation>Chiedi di nuovo</translation>
    </message>
</context>
</TS>
