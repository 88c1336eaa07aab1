<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<!-- Written by make-panels.py from the .ui files and the other catalogues. -->
<TS version="2.1" language="de">
<context>
    <name></name>
    <message id="&amp;Cancel">
        <source>&amp;Cancel</source>
        <translation>&amp;Abbrechen</translation>
    </message>
    <message id="&amp;Filter:">
        <source>&amp;Filter:</source>
        <translation>&amp;Filter:</translation>
    </message>
    <message id="Filter the list">
        <source>Filter the list</source>
        <translation>Liste filtern</translation>
    </message>
    <message id="Type to narrow the list (Ctrl+F)">
        <source>Type to narrow the list (Ctrl+F)</source>
        <translation>Tippen, um die Liste einzugrenzen (Strg+F)</translation>
    </message>
    <message id="&amp;Help">
        <source>&amp;Help</source>
        <translation>&amp;Hilfe</translation>
    </message>
    <message id="OK">
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message id="The HTTP proxy asks for a user name and password:">
        <source>The HTTP proxy asks for a user name and password:</source>
        <translation>Der HTTP-Proxy verlangt einen Benutzernamen und ein Passwort:</translation>
    </message>
    <message id="Proxy Sign-In">
        <source>Proxy Sign-In</source>
        <translation>Anmeldung am Proxy</translation>
    </message>
    <message id="&amp;Select">
        <source>&amp;Select</source>
        <translation>Aus&amp;wählen</translation>
    </message>
    <message id="Choose the node group to use:">
        <source>Choose the node group to use:</source>
        <translation>Wählen Sie die zu verwendende Knotengruppe:</translation>
    </message>
    <message id="Select a Node Group">
        <source>Select a Node Group</source>
        <translation>Knotengruppe auswählen</translation>
    </message>
    <message id="Choose the node to run the session on:">
        <source>Choose the node to run the session on:</source>
        <translation>Wählen Sie den Knoten, auf dem die Sitzung laufen soll:</translation>
    </message>
    <message id="Select a Node">
        <source>Select a Node</source>
        <translation>Knoten auswählen</translation>
    </message>
    <message id="Start a new session or choose one to reconnect to:">
        <source>Start a new session or choose one to reconnect to:</source>
        <translation>Starten Sie eine neue Sitzung oder wählen Sie eine, mit der Sie sich wieder verbinden:</translation>
    </message>
    <message id="Select a Session">
        <source>Select a Session</source>
        <translation>Sitzung auswählen</translation>
    </message>
    <message id="Choose the shared session to join:">
        <source>Choose the shared session to join:</source>
        <translation>Wählen Sie die geteilte Sitzung, der Sie beitreten möchten:</translation>
    </message>
    <message id="Select a Shared Session">
        <source>Select a Shared Session</source>
        <translation>Geteilte Sitzung auswählen</translation>
    </message>
    <message id="Choose the suspended session to resume:">
        <source>Choose the suspended session to resume:</source>
        <translation>Wählen Sie die angehaltene Sitzung, die Sie fortsetzen möchten:</translation>
    </message>
    <message id="Select a Suspended Session">
        <source>Select a Suspended Session</source>
        <translation>Angehaltene Sitzung auswählen</translation>
    </message>
    <message id="&amp;Key:">
        <source>&amp;Key:</source>
        <translation>Sch&amp;lüssel:</translation>
    </message>
    <message id="&amp;API key">
        <source>&amp;API key</source>
        <translation>API-&amp;Schlüssel</translation>
    </message>
    <message id="User name and pa&amp;ssword">
        <source>User name and pa&amp;ssword</source>
        <translation>Benutzername und Pass&amp;wort</translation>
    </message>
    <message id="Ker&amp;beros single sign-on">
        <source>Ker&amp;beros single sign-on</source>
        <translation>&amp;Kerberos-Einmalanmeldung</translation>
    </message>
    <message id="Do &amp;not try without authentication first">
        <source>Do &amp;not try without authentication first</source>
        <translation>&amp;Nicht zuerst ohne Authentifizierung versuchen</translation>
    </message>
    <message id="&amp;Password:">
        <source>&amp;Password:</source>
        <translation>&amp;Passwort:</translation>
    </message>
    <message id="Choose how to sign in to RUZ Ereduz:">
        <source>Choose how to sign in to RUZ Ereduz:</source>
        <translation>Wählen Sie, wie Sie sich bei RUZ Ereduz anmelden:</translation>
    </message>
    <message id="Sign In">
        <source>Sign In</source>
        <translation>Anmelden</translation>
    </message>
    <message id="&amp;User name:">
        <source>&amp;User name:</source>
        <translation>&amp;Benutzername:</translation>
    </message>
</context>
</TS>
