<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1">
<context>
    <name></name>
    <message id="launcher-console-not-started">
        <source>The console launcher %1 cannot be started: %2</source>
        <translation>Der Konsolenstarter %1 kann nicht gestartet werden: %2</translation>
    </message>
    <message id="launcher-window-name">
        <source>Zan Client Launcher</source>
        <translation>Zan Client Launcher</translation>
    </message>
    <message id="launcher-window-unknown">
        <source>unknown</source>
        <translation>unbekannt</translation>
    </message>
    <message id="launcher-window-version">
        <source>Version %1 (build %2)</source>
        <translation>Version %1 (Build %2)</translation>
    </message>
    <message id="launcher-window-description">
        <source>Zan Client Launcher starts remote sessions from links followed in a web browser.</source>
        <translation>Zan Client Launcher startet entfernte Sitzungen über Links, denen Sie im Webbrowser folgen.</translation>
    </message>
    <message id="launcher-window-quit">
        <source>&amp;Quit</source>
        <translation>&amp;Beenden</translation>
    </message>
</context>
</TS>
