<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
<context>
    <name></name>
    <message id="LBLSignInTitle">
        <source>Sign In</source>
        <translation>Anmelden</translation>
    </message>
    <message id="LBLSignInPrompt">
        <source>Choose how to sign in to RUZ Ereduz:</source>
        <translation>Wählen Sie, wie Sie sich bei RUZ Ereduz anmelden:</translation>
    </message>
    <message id="LBLSignInBasicAuth">
        <source>User name and pa&amp;ssword</source>
        <translation>Benutzername und Pass&amp;wort</translation>
    </message>
    <message id="LBLSignInUsername">
        <source>&amp;User name:</source>
        <translation>&amp;Benutzername:</translation>
    </message>
    <message id="LBLSignInPassword">
        <source>&amp;Password:</source>
        <translation>&amp;Passwort:</translation>
    </message>
    <message id="LBLSignInApiKeyMode">
        <source>&amp;API key</source>
        <translation>API-&amp;Schlüssel</translation>
    </message>
    <message id="LBLSignInApiKey">
        <source>&amp;Key:</source>
        <translation>Sch&amp;lüssel:</translation>
    </message>
    <message id="LBLSignInKerberos">
        <source>Ker&amp;beros single sign-on</source>
        <translation>&amp;Kerberos-Einmalanmeldung</translation>
    </message>
    <message id="LBLSignInNoAuthFirst">
        <source>Do &amp;not try without authentication first</source>
        <translation>&amp;Nicht zuerst ohne Authentifizierung versuchen</translation>
    </message>
    <message id="LBLProxySignInTitle">
        <source>Proxy Sign-In</source>
        <translation>Anmeldung am Proxy</translation>
    </message>
    <message id="LBLProxySignInPrompt">
        <source>The HTTP proxy asks for a user name and password:</source>
        <translation>Der HTTP-Proxy verlangt einen Benutzernamen und ein Passwort:</translation>
    </message>
    <message id="LBLSignInPaste">
        <source>&amp;Paste</source>
        <translation>&amp;Einfügen</translation>
    </message>
    <message id="LBLSignInSelectAll">
        <source>Select &amp;All</source>
        <translation>&amp;Alles auswählen</translation>
    </message>
</context>
</TS>
