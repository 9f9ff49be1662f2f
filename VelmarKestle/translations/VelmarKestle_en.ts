<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>AppInfo</name>
    <message>
        <source>VelmarKestle includes the following open source software.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>PlatformWords</name>
    <message>
        <source>Apps for Linux</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Installs for Linux · %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Linux %1 · %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show in Folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The system didn’t let VelmarKestle move it (error %1). You can do it from your file manager.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 may have a system service that only it can remove. First turn off its autostart entry in your desktop’s settings. Then quit %1 and move it to the Trash from your file manager.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The system didn’t let VelmarKestle change %1. Check that you may change the folder it is in.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Open Settings</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Its settings and data stay on this computer: if you install it again, you’ll find them.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>All the velmar apps are installed on this computer.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Same as the system</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Other apps keep the system’s language.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Opening at login needs your approval in Settings.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Notifications from VelmarKestle are off in Settings.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Notifications from VelmarKestle are off in Settings</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>VelmarKestle downloads the list of apps and their versions from velmar. The requests carry what every app sends, the versions of VelmarKestle and of Linux, and the app’s language; never a profile of this computer.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Your Applications folder, as when you install by hand.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kestle::app::AppCard</name>
    <message>
        <source>Open the Page of %1</source>
        <extracomment>Accessibility label of a card&apos;s icon: the app&apos;s name</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Site</source>
        <extracomment>Link at the top of a card to the app&apos;s web page</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>In development, release date to be announced</source>
        <extracomment>Version line of a card of an app not yet released</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 installed → %2 released %3</source>
        <extracomment>Version line with an update: installed version, new version, release date</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 installed → %2</source>
        <extracomment>Version line with an update of unknown date: installed and new version</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Version %1 · released %2</source>
        <extracomment>Version line of an up-to-date app: installed version, release date</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Version %1</source>
        <extracomment>Version line of an installed app: its version
----------
Version line of an app not installed: its version</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Latest version not available</source>
        <extracomment>Version line of an app whose feed could not be read</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Version %1 · %2 · %3</source>
        <extracomment>Version line of an app not installed: version, release date, download size</extracomment>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kestle::app::AppDetail</name>
    <message>
        <source>All Apps</source>
        <extracomment>Back button of the detail page, to the list of apps</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 · velmar</source>
        <extracomment>Line under the app&apos;s name on the detail page: the tagline, then the maker</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>What It Does</source>
        <extracomment>Heading of the app&apos;s description on the detail page</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Report a Problem…</source>
        <extracomment>Button at the foot of the detail page</extracomment>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kestle::app::AppTable</name>
    <message>
        <source>App</source>
        <extracomment>Column of the table: icon, name and tagline</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Status</source>
        <extracomment>Column of the table</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Installed</source>
        <extracomment>Column of the table: the installed version</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Latest</source>
        <extracomment>Column of the table: the latest released version</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Released</source>
        <extracomment>Column of the table: the release date</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Action</source>
        <extracomment>Column of the table: the app&apos;s controls</extracomment>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kestle::app::AppTableRow</name>
    <message>
        <source>To Be Announced</source>
        <extracomment>Released column of the table: a coming app without a date</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Open the Page of %1</source>
        <extracomment>Accessibility label of an app&apos;s icon in the table and on cards</extracomment>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kestle::app::CatalogUnavailable</name>
    <message>
        <source>Try Again</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>velmar’s server answered with an error (%1). Try again in a few minutes.</source>
        <extracomment>The catalog server answered with an error: the HTTP status</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The list downloaded isn’t signed by velmar, so VelmarKestle doesn’t use it.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Check the internet connection and try again.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Loading the Apps…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Can’t Load the List of Apps</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kestle::app::EmptyList</name>
    <message>
        <source>Show All Apps</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No Apps for “%1”</source>
        <extracomment>No app matches the search: the search text</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Try another name, for example Brimble or Quarrow.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No Apps Installed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The apps you install from here show up in this list.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Your Apps Are Up to Date</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>When a new version comes out, you’ll find it here.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>You Have All the Apps</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kestle::app::EntryControls</name>
    <message>
        <source>Open</source>
        <extracomment>Button beside Update on the detail page: opens the installed app
----------
Main button of an installed, up-to-date app</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Install</source>
        <extracomment>Main button of an app that is not installed</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Update to %1</source>
        <extracomment>Main button of an app with an update: the new version</extracomment>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kestle::app::EntryText</name>
    <message numerus="yes">
        <source>%n versions newer</source>
        <extracomment>How many releases an update brings, after the installed and new version</extracomment>
        <translation>
            <numerusform>%n version newer</numerusform>
            <numerusform>%n versions newer</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>kestle::app::FactStrip</name>
    <message>
        <source>Status</source>
        <extracomment>Fact of the detail page: caption of a coming app&apos;s state</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>In Development</source>
        <extracomment>Fact of the detail page: a coming app&apos;s state</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Release</source>
        <extracomment>Fact of the detail page: caption of the release date</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>To Be Announced</source>
        <extracomment>Fact of the detail page: a release date not yet known</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Download</source>
        <extracomment>Fact of the detail page: caption of the download size</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Requires</source>
        <extracomment>Fact of the detail page: caption of the system requirement</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Price</source>
        <extracomment>Fact of the detail page: caption of the price</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Version</source>
        <extracomment>Fact of the detail page: caption of the version</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Free</source>
        <extracomment>Fact of the detail page: what every app costs</extracomment>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kestle::app::FilterTabs</name>
    <message>
        <source>All</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Installed</source>
        <comment>filter.installed</comment>
        <extracomment>Filter tab: the apps on this Mac</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Updates</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Not Installed</source>
        <comment>filter.notInstalled</comment>
        <extracomment>Filter tab: the apps not on this Mac</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Filter the Apps</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kestle::app::GeneralSettings</name>
    <message>
        <source>Language</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>VelmarKestle changes language when it relaunches.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Relaunch Now</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Startup</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Open at login</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Starts without a window and checks for updates.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>This desktop has no tray.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show in the menu bar</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Updates and apps a click away, even with the window closed.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Couldn’t change the login item: %1</source>
        <extracomment>Opening at login could not be changed: the system&apos;s description of why</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Notifications</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>“Notify Me” on an app that’s coming soon works whatever this setting.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Update notifications</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A notice when there’s a new version.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Application</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Version</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>VelmarKestle is free. If you’d like to support the project and help us keep it maintained, you can buy us a coffee.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kestle::app::GoBackFlow</name>
    <message>
        <source>%1 %2 takes the place of %1 %3, which is removed, freeing %4.</source>
        <extracomment>Going back: the app&apos;s name, the version put back, the version removed and the space that frees</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 is open: VelmarKestle quits it and opens it again.</source>
        <extracomment>Going back while the app is open: its name</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>You won’t be notified about %1 again, but you can still update to it from the window.</source>
        <extracomment>Going back: the version gone back from, which is still offered in the window</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Go Back to %1 %2?</source>
        <extracomment>Title of the question before going back: the app&apos;s name and the earlier version</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Go Back</source>
        <extracomment>Button that goes back to the earlier version</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kestle::app::KestleCommands</name>
    <message>
        <source>About VelmarKestle</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Check for VelmarKestle Updates…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Buy Me a Coffee</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Quit VelmarKestle</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;File</source>
        <extracomment>The File menu</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Check for Updates</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Update All</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <extracomment>The Edit menu</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Search</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;View</source>
        <extracomment>The View menu</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Grid</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Table</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <extracomment>The Help menu</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>VelmarKestle Help</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Report a Problem…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Privacy</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Terms of Use</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Settings…</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kestle::app::KofiImageButton</name>
    <message>
        <source>Buy me a coffee: leave a tip on Ko-fi</source>
        <extracomment>Accessible name of the Ko-fi tip button</extracomment>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kestle::app::LauncherEntry</name>
    <message>
        <source>Install and update the Velmar apps</source>
        <extracomment>The launcher&apos;s one-line description of the application.</extracomment>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kestle::app::LayoutPicker</name>
    <message>
        <source>Grid or Table</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>View</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Grid</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Table</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kestle::app::ListHeader</name>
    <message>
        <source>Updating…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Update All (%1)</source>
        <extracomment>The update-all button: how many apps have an update</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>%n apps</source>
        <extracomment>How many apps the list shows</extracomment>
        <translation>
            <numerusform>%n app</numerusform>
            <numerusform>%n apps</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>kestle::app::LiveActions</name>
    <message>
        <source>We’ll let you know when %1 is ready</source>
        <extracomment>Banner after &quot;Notify Me&quot;: the app&apos;s name</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Open</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kestle::app::LocaleFormat</name>
    <message>
        <source>Zero KB</source>
        <extracomment>A file size of nothing</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>1 byte</source>
        <extracomment>A file size of one byte</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 bytes</source>
        <extracomment>A file size under a kilobyte</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 KB</source>
        <extracomment>Kilobytes</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 MB</source>
        <extracomment>Megabytes</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 GB</source>
        <extracomment>Gigabytes</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 TB</source>
        <extracomment>Terabytes</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 PB</source>
        <extracomment>Petabytes</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 EB</source>
        <extracomment>Exabytes</extracomment>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kestle::app::MainWindow</name>
    <message>
        <source>Toolbar</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Check for Updates</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Settings</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kestle::app::MenuBarContent</name>
    <message>
        <source>Terms of Use…</source>
        <extracomment>Tray menu item while the terms of use wait to be accepted</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Quit VelmarKestle</source>
        <extracomment>Tray menu item ending the application</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Install VelmarKestle Update…</source>
        <extracomment>Tray menu item: an update of this application is ready to install</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Open VelmarKestle</source>
        <extracomment>Tray menu item showing the main window</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Check for Updates</source>
        <extracomment>Tray menu item starting a check of every app</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Settings…</source>
        <extracomment>Tray menu item opening the settings window</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Open %1</source>
        <extracomment>Tray menu item opening an installed app</extracomment>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kestle::app::MenuBarItems</name>
    <message>
        <source>%1: didn’t go through, try again</source>
        <extracomment>Tray menu line of a job that failed; choosing it tries again</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Open %1 to Install Its Update</source>
        <extracomment>Tray menu line: the app installs its own update once opened</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Update %1 to %2</source>
        <extracomment>Tray menu line: the app&apos;s name and the version on offer</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Update All</source>
        <extracomment>Tray menu line updating every app that has an update</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Your Apps Are Up to Date</source>
        <extracomment>Tray menu line when no app has an update or a job</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: queued</source>
        <extracomment>Tray menu line of a job waiting for the ones before it</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: %2 of %3</source>
        <extracomment>Tray menu line of a download: the app, the percentage and the download&apos;s size</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: downloading…</source>
        <extracomment>Tray menu line of a download of unknown size</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: preparing…</source>
        <extracomment>Tray menu line of a job looking for its download</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: checking the signature…</source>
        <extracomment>Tray menu line of a download whose signature is being checked</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: installing…</source>
        <extracomment>Tray menu line of a first install being put in place</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: replacing…</source>
        <extracomment>Tray menu line of an update replacing the installed app</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: going back…</source>
        <extracomment>Tray menu line of an app going back to the version before its last update</extracomment>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kestle::app::MoreItems</name>
    <message>
        <source>What’s New in %1</source>
        <extracomment>Menu item opening the detail page: the latest version</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Open %1</source>
        <extracomment>Menu item opening the app&apos;s web page: its host name</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Report a Problem…</source>
        <extracomment>Menu item: opens the problem report about this app</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Move to Trash…</source>
        <extracomment>Menu item that starts moving the installed app to the Trash</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Go Back to %1 (%2)…</source>
        <extracomment>Menu item that puts back the version the last update replaced: that version and the space the kept copy takes on disk</extracomment>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kestle::app::MoreMenu</name>
    <message>
        <source>More Actions for %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kestle::app::Notifier</name>
    <message>
        <source>There’s an Update for %1</source>
        <extracomment>A notification&apos;s title: the app&apos;s name</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Version %1 is ready to install.</source>
        <extracomment>A notification&apos;s text: the new version</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Update</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 Is Out</source>
        <extracomment>A notification&apos;s title: the app&apos;s name</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>It’s ready to install.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Install</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kestle::app::NotifyMeButton</name>
    <message>
        <source>We’ll Let You Know</source>
        <extracomment>Notify-me button of a coming app while its release is watched</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Click to stop the notice for %1</source>
        <extracomment>Tooltip of the notify-me button while on: the app&apos;s name</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Notify Me</source>
        <extracomment>Notify-me button of a coming app in a table row</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Notify Me When It’s Out</source>
        <extracomment>Notify-me button of a coming app</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A notification when %1 is out</source>
        <extracomment>Tooltip of the notify-me button while off: the app&apos;s name</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>On</source>
        <extracomment>Accessibility value of the notify-me toggle</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Off</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kestle::app::ProblemReport</name>
    <message>
        <source>Problem with %1 %2, from VelmarKestle</source>
        <extracomment>Subject of the problem e-mail about one app: its name and installed version</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Problem with VelmarKestle %1</source>
        <extracomment>Subject of the problem e-mail about this application: its version text</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>What happened, and what were you doing just before?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Report a Problem</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Email %1 and tell us what happened and what you were doing just before.</source>
        <extracomment>The problem report&apos;s explanation: the support e-mail address</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The email already includes:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Write Email</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Copy Address</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kestle::app::ReleaseNotesView</name>
    <message>
        <source>What’s New in %1</source>
        <extracomment>Heading of the release notes on the detail page: the latest version</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>What’s New Since %1</source>
        <extracomment>Heading of the release notes of an update that skips versions: the installed version</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>and %n earlier versions</source>
        <extracomment>After the notes of the newest releases: how many older ones the update also brings</extracomment>
        <translation>
            <numerusform>and %n earlier version</numerusform>
            <numerusform>and %n earlier versions</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>kestle::app::ReleaseSection</name>
    <message>
        <source>Version %1</source>
        <extracomment>Heading of one release&apos;s notes when the detail page lists several: its version</extracomment>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kestle::app::SearchField</name>
    <message>
        <source>Search for an App</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Clear</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kestle::app::SettingsSections</name>
    <message>
        <source>Updates</source>
        <extracomment>Settings sections</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>General</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>When to look for new versions and how to install them.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>How VelmarKestle starts and where you find it.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kestle::app::SettingsSidebar</name>
    <message>
        <source>Sections</source>
        <extracomment>Accessible name of the settings&apos; list of sections</extracomment>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kestle::app::StatusChip</name>
    <message>
        <source>Queued</source>
        <comment>status.queued</comment>
        <extracomment>Status chip: waiting for the update before it</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Downloading…</source>
        <comment>status.downloading</comment>
        <extracomment>Status chip</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Preparing…</source>
        <comment>status.preparing</comment>
        <extracomment>Status chip: Sparkle reads the feed</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Checking Signature…</source>
        <comment>status.verifying</comment>
        <extracomment>Status chip: velmar&apos;s signature on the download</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Installing…</source>
        <comment>status.installing</comment>
        <extracomment>Status chip: a first install copies the app into Applications</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Replacing…</source>
        <comment>status.replacing</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Download Interrupted</source>
        <comment>status.interrupted</comment>
        <extracomment>Status chip: the connection was lost</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Install Failed</source>
        <comment>status.installFailed</comment>
        <extracomment>Status chip: a first install didn&apos;t go through</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Update Failed</source>
        <comment>status.failed</comment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Update Available</source>
        <comment>status.update</comment>
        <extracomment>Status chip: a later version is out</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Coming Soon</source>
        <comment>status.coming</comment>
        <extracomment>Status chip: in development</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Not Installed</source>
        <comment>status.notInstalled</comment>
        <extracomment>Status chip: released, not on this Mac</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Installed · Up to Date</source>
        <comment>status.upToDate</comment>
        <extracomment>Status chip</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Installed</source>
        <comment>status.installed</comment>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kestle::app::StatusFooter</name>
    <message>
        <source>Try Again</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Report a Problem…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>velmar’s server answered with an error (%1).</source>
        <extracomment>The catalog server answered with an error: the HTTP status</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The list of apps isn’t signed by velmar.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Can’t reach velmar: no connection.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Couldn’t check %1.</source>
        <extracomment>Feeds that failed: the app names as a list (&quot;A, B and C&quot;)</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Checked just now</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Checked today at %1</source>
        <extracomment>The time of the last check today</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Checked yesterday at %1</source>
        <extracomment>The time of the last check yesterday</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Checked on %1</source>
        <extracomment>The date of the last check (day, short month, year)</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>sample catalog</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>catalog from %1</source>
        <extracomment>Where the list of apps comes from: the maker&apos;s web domain</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Checking for updates…</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kestle::app::TermsView</name>
    <message>
        <source>I have read and accept the terms of use.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Accept</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Terms of Use</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>VelmarKestle is free. Before you use it, read and accept the terms of use.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Read the Terms of Use</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Warranty and Liability</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>VelmarKestle is distributed for free in the hope that it will be useful, but as is and without warranties. We aren&apos;t liable for damages arising from its use, including data loss and interruptions. This exclusion applies to the extent permitted by law and doesn&apos;t affect your rights as a consumer.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>I specifically approve the Warranty and Liability section (articles 1341 and 1342 of the Italian Civil Code).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Quit</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kestle::app::TipPromptView</name>
    <message>
        <source>Not Now</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Thank you for using VelmarKestle</source>
        <extracomment>Title of the quit-time tip panel (not shown: the panel has no title bar)</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>VelmarKestle is free. If you find it useful, you can support the project by buying me a coffee.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Opens Ko-fi in your browser.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kestle::app::ToastOverlay</name>
    <message>
        <source>Open</source>
        <extracomment>Toast button: opens the app that was just installed</extracomment>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kestle::app::TrashFlow</name>
    <message>
        <source>Move to Trash</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The development build moves to the Trash only the apps in the test folder.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 isn’t where it was any more.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>There’s already an app called %1 in its place: VelmarKestle doesn’t replace it. %1 stays in the Trash.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 isn’t in the Trash any more.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Move %1 to the Trash Yourself</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>OK</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 is open: VelmarKestle quits it before moving it.</source>
        <extracomment>Before moving a running app to the Trash: the app&apos;s name, twice</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Move %1 to the Trash?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Quitting %1…</source>
        <extracomment>Banner while a running app is asked to quit before its move: the app&apos;s name</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 Didn’t Quit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Nothing was moved. Quit %1 and try again.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Couldn’t Move %1 to the Trash</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 is in the Trash</source>
        <extracomment>Banner after a move to the Trash, with &quot;Undo&quot;: the app&apos;s name</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Undo</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Couldn’t Put %1 Back</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kestle::app::UpdateProblemRow</name>
    <message>
        <source>Dismiss</source>
        <extracomment>Help and accessibility label of the button that clears a failed job</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Open %1</source>
        <extracomment>Button of an update the app took over: opens the app, by name</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Open Site</source>
        <extracomment>Button of a failed job that only the app&apos;s web page can help with</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Try Again</source>
        <extracomment>Button of a failed job: runs it again</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 has already downloaded the update: in %1, click “Install and Relaunch”.</source>
        <extracomment>The app&apos;s own updater has the update ready: the app&apos;s name, twice</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The installation didn’t go through (error %1).</source>
        <extracomment>A first install failed: the error code</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Download interrupted: the connection was lost.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The download isn’t signed by velmar, so VelmarKestle didn’t install it.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>This account can’t add apps to Applications. Download %1 from velmar’s site.</source>
        <extracomment>The Applications folder cannot be written: the app&apos;s name</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>There’s already an app called %1 in Applications: VelmarKestle doesn’t replace it.</source>
        <extracomment>Another app has the same name in the Applications folder: the app&apos;s name</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The download is damaged, so VelmarKestle didn’t install it.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The development build installs only into the test folder.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The installation didn’t go through.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The update didn’t go through (error %1). %2 stays as it is.</source>
        <extracomment>An update failed: the error code, the installed version that stays</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Download interrupted: the connection was lost. %1 stays as it is.</source>
        <extracomment>An update&apos;s download failed: the installed version that stays</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The update isn’t signed by velmar, so VelmarKestle didn’t install it. %1 stays as it is.</source>
        <extracomment>An update with a bad signature: the installed version that stays</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>This version of %1 is downloaded from its site.</source>
        <extracomment>The update can only be downloaded from the app&apos;s site: the app&apos;s name</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The development build updates only the apps in the test folder.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 isn’t where it was any more.</source>
        <extracomment>The installed app was moved or deleted: the app&apos;s name</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The earlier version was changed since it was kept, so VelmarKestle didn’t put it back. %1 stays as it is.</source>
        <extracomment>The kept earlier version changed on disk, so it was not put back: the installed version that stays</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 changed since its last update, so there’s no earlier version to go back to.</source>
        <extracomment>The app or its earlier version changed since the last update: the app&apos;s name</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Going back didn’t work (error %1). %2 stays as it is.</source>
        <extracomment>Going back failed: the error code, the installed version that stays</extracomment>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kestle::app::UpdateProgressRow</name>
    <message>
        <source>Quit Again</source>
        <extracomment>Button of a job waiting for the app to quit: asks the app to quit once more</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Take Out of the Queue</source>
        <extracomment>Help of the cancel button of a job that has not started yet</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancel the Download</source>
        <extracomment>Help of the cancel button of a running download</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Queued</source>
        <extracomment>Status of a job waiting for the one before it</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Queued after the other apps</source>
        <extracomment>Status of a first install waiting for the jobs before it</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Queued after the other updates</source>
        <extracomment>Status of an update waiting for the jobs before it</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 of %2</source>
        <extracomment>Download progress: the percentage and the download&apos;s size</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Downloading: %1 of %2 · %3</source>
        <extracomment>First install&apos;s download progress: received size, total size, percentage</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Downloading %1: %2 of %3 · %4</source>
        <extracomment>Update&apos;s download progress: the new version, received and total size, percentage</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Downloading…</source>
        <extracomment>Download of unknown size</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Downloading: %1</source>
        <extracomment>First install&apos;s download of unknown size: the size received so far</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Downloading %1: %2</source>
        <extracomment>Update&apos;s download of unknown size: the new version, the size received so far</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 is still open</source>
        <extracomment>The app being updated has not quit yet: its name</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Installing…</source>
        <extracomment>A first install copies the app into place</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Replacing…</source>
        <extracomment>The app is being replaced with the new version</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Moving %1 to Applications…</source>
        <extracomment>A first install copies the app into the Applications folder: its name</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 hasn’t quit yet.</source>
        <extracomment>The app being updated has not quit yet: its name</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Quitting %1, replacing it and opening it again…</source>
        <extracomment>The running app quits, is replaced and reopens: its name</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Replacing %1 with %2…</source>
        <extracomment>The app is being replaced: its name and the new version</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Preparing…</source>
        <extracomment>The job has started and looks for the update</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Preparing the download…</source>
        <extracomment>A first install has started</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Preparing the update to %1…</source>
        <extracomment>An update has started and reads the app&apos;s feed: the new version</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Checking Signature…</source>
        <extracomment>The download&apos;s signature is being checked</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Checking velmar’s signature…</source>
        <extracomment>The download&apos;s signature by the maker is being checked</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Going Back…</source>
        <extracomment>The app is being put back to the version before its last update</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Quitting %1, going back to %2 and opening it again…</source>
        <extracomment>The running app quits, goes back to the earlier version and reopens: its name and that version</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Going back to %1 %2…</source>
        <extracomment>The app goes back to the version before its last update: its name and that version</extracomment>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kestle::app::UpdateSettings</name>
    <message>
        <source>velmar Apps</source>
        <extracomment>Header of the settings about the maker&apos;s apps</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Check every day</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Reads the list of versions on velmar’s site. You install each update yourself, with a click.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Check Now</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Last check</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Applications</source>
        <extracomment>The folder apps are installed into</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Where apps go</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>VelmarKestle %1</source>
        <extracomment>The application&apos;s own name and version, beside its update check</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Never</source>
        <extracomment>The last check of the apps has not happened yet</extracomment>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kestle::app::UpdateToast</name>
    <message>
        <source>%1 is updated to %2</source>
        <extracomment>Toast after an update: the app&apos;s name and its new version</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Update canceled: %1 stays</source>
        <extracomment>Toast after a canceled update: the installed version that stays</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 is installed</source>
        <extracomment>Toast after a first install: the app&apos;s name</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 has no update to install</source>
        <extracomment>Toast when the app&apos;s own updater found nothing newer</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Download canceled</source>
        <extracomment>Toast after a canceled first install</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 is back to %2</source>
        <extracomment>Toast after going back to the version before the last update: the app&apos;s name and that version</extracomment>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kestle::app::VelmarKestleApp</name>
    <message>
        <source>About VelmarKestle</source>
        <extracomment>The about window&apos;s title</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Credits</source>
        <extracomment>Accessible name of the about window&apos;s open source notices</extracomment>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>kestle::framework::StandardUserDriver</name>
    <message>
        <source>Software Update</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Check for updates automatically?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Should %1 automatically check for updates? You can always check manually.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Checking for updates…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A new version of %1 is available.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Version %1 can&apos;t be installed from here.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>OK</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A new version of %1 is available!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Version %1 is now available. Would you like to install it now?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Install Update</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Remind Me Later</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>You&apos;re up to date!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 is the newest version available.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Update Error!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Downloading update…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 of %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Preparing to install…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ready to Install</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 will quit and reopen with the new version.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Install and Relaunch</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Later</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Installing update…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Waiting for %1 to quit.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ask Again</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
