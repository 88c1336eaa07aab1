<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
<context>
    <name></name>
    <message id="LBLOK">
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message id="LBLWarning">
        <source>Warning</source>
        <translation>Warnung</translation>
    </message>
    <message id="MESGInfoProvideZANUser">
        <source>Please enter your user name.</source>
        <translation>Bitte geben Sie Ihren Benutzernamen ein.</translation>
    </message>
    <message id="MESGInfoProvideZANPassword">
        <source>Please enter your password.</source>
        <translation>Bitte geben Sie Ihr Passwort ein.</translation>
    </message>
    <message id="MESGInfoProvideZANApiKey">
        <source>Please enter your API key.</source>
        <translation>Bitte geben Sie Ihren API-Schlüssel ein.</translation>
    </message>
    <message id="MESGInfoProvideUser">
        <source>Please enter the proxy user name.</source>
        <translation>Bitte geben Sie den Benutzernamen für den Proxy ein.</translation>
    </message>
    <message id="MESGInfoProvidePassword">
        <source>Please enter the proxy password.</source>
        <translation>Bitte geben Sie das Passwort für den Proxy ein.</translation>
    </message>
    <message id="LBLSelectNodeTitle">
        <source>Select a Node</source>
        <translation>Knoten auswählen</translation>
    </message>
    <message id="LBLSelectNodePrompt">
        <source>Choose the node to run the session on:</source>
        <translation>Wählen Sie den Knoten, auf dem die Sitzung laufen soll:</translation>
    </message>
    <message id="LBLSelectNodeGroupTitle">
        <source>Select a Node Group</source>
        <translation>Knotengruppe auswählen</translation>
    </message>
    <message id="LBLSelectNodeGroupPrompt">
        <source>Choose the node group to use:</source>
        <translation>Wählen Sie die zu verwendende Knotengruppe:</translation>
    </message>
    <message id="LBLSelectSessionTitle">
        <source>Select a Session</source>
        <translation>Sitzung auswählen</translation>
    </message>
    <message id="LBLSelectSessionPrompt">
        <source>Start a new session or choose one to reconnect to:</source>
        <translation>Starten Sie eine neue Sitzung oder wählen Sie eine, mit der Sie sich wieder verbinden:</translation>
    </message>
    <message id="LBLSelectSharedTitle">
        <source>Select a Shared Session</source>
        <translation>Geteilte Sitzung auswählen</translation>
    </message>
    <message id="LBLSelectSharedPrompt">
        <source>Choose the shared session to join:</source>
        <translation>Wählen Sie die geteilte Sitzung, der Sie beitreten möchten:</translation>
    </message>
    <message id="LBLSelectSuspendTitle">
        <source>Select a Suspended Session</source>
        <translation>Angehaltene Sitzung auswählen</translation>
    </message>
    <message id="LBLSelectSuspendPrompt">
        <source>Choose the suspended session to resume:</source>
        <translation>Wählen Sie die angehaltene Sitzung, die Sie fortsetzen möchten:</translation>
    </message>
    <message id="LBLFilter">
        <source>&amp;Filter:</source>
        <translation>&amp;Filter:</translation>
    </message>
    <message id="LBLFilterPlaceholder">
        <source>Type to narrow the list (Ctrl+F)</source>
        <translation>Tippen, um die Liste einzugrenzen (Strg+F)</translation>
    </message>
    <message id="LBLFilterAccessible">
        <source>Filter the list</source>
        <translation>Liste filtern</translation>
    </message>
    <message id="LBLHelp">
        <source>&amp;Help</source>
        <translation>&amp;Hilfe</translation>
    </message>
    <message id="LBLCancel">
        <source>&amp;Cancel</source>
        <translation>&amp;Abbrechen</translation>
    </message>
    <message id="LBLSelect">
        <source>&amp;Select</source>
        <translation>Aus&amp;wählen</translation>
    </message>
    <message id="LBLColumnName">
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message id="LBLColumnHost">
        <source>Host</source>
        <translation>Host</translation>
    </message>
    <message id="LBLColumnPlatform">
        <source>Platform</source>
        <translation>Plattform</translation>
    </message>
    <message id="LBLColumnPort">
        <source>Port</source>
        <translation>Port</translation>
    </message>
    <message id="LBLColumnSessions">
        <source>Sessions</source>
        <translation>Sitzungen</translation>
    </message>
    <message id="LBLColumnCPU">
        <source>CPU %</source>
        <translation>CPU %</translation>
    </message>
    <message id="LBLColumnMemory">
        <source>Memory %</source>
        <translation>Speicher %</translation>
    </message>
    <message id="LBLColumnNodeGroup">
        <source>Node group</source>
        <translation>Knotengruppe</translation>
    </message>
    <message id="LBLColumnMembers">
        <source>Members</source>
        <translation>Mitglieder</translation>
    </message>
    <message id="LBLColumnSession">
        <source>Session</source>
        <translation>Sitzung</translation>
    </message>
    <message id="LBLColumnStatus">
        <source>Status</source>
        <translation>Status</translation>
    </message>
    <message id="LBLColumnUser">
        <source>User</source>
        <translation>Benutzer</translation>
    </message>
    <message id="LBLColumnProfile">
        <source>Profile</source>
        <translation>Profil</translation>
    </message>
    <message id="LBLColumnDescription">
        <source>Description</source>
        <translation>Beschreibung</translation>
    </message>
    <message id="LBLColumnStarted">
        <source>Started</source>
        <translation>Gestartet</translation>
    </message>
</context>
</TS>
