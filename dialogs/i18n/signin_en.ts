<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name></name>
    <message id="LBLSignInTitle">
        <source>Sign In</source>
        <translation>Sign In</translation>
    </message>
    <message id="LBLSignInPrompt">
        <source>Choose how to sign in to RUZ Ereduz:</source>
        <translation>Choose how to sign in to RUZ Ereduz:</translation>
    </message>
    <message id="LBLSignInBasicAuth">
        <source>User name and pa&amp;ssword</source>
        <translation>User name and pa&amp;ssword</translation>
    </message>
    <message id="LBLSignInUsername">
        <source>&amp;User name:</source>
        <translation>&amp;User name:</translation>
    </message>
    <message id="LBLSignInPassword">
        <source>&amp;Password:</source>
        <translation>&amp;Password:</translation>
    </message>
    <message id="LBLSignInApiKeyMode">
        <source>&amp;API key</source>
        <translation>&amp;API key</translation>
    </message>
    <message id="LBLSignInApiKey">
        <source>&amp;Key:</source>
        <translation>&amp;Key:</translation>
    </message>
    <message id="LBLSignInKerberos">
        <source>Ker&amp;beros single sign-on</source>
        <translation>Ker&amp;beros single sign-on</translation>
    </message>
    <message id="LBLSignInNoAuthFirst">
        <source>Do &amp;not try without authentication first</source>
        <translation>Do &amp;not try without authentication first</translation>
    </message>
    <message id="LBLProxySignInTitle">
        <source>Proxy Sign-In</source>
        <translation>Proxy Sign-In</translation>
    </message>
    <message id="LBLProxySignInPrompt">
        <source>The HTTP proxy asks for a user name and password:</source>
        <translation>The HTTP proxy asks for a user name and password:</translation>
    </message>
    <message id="LBLSignInPaste">
        <source>&amp;Paste</source>
        <translation>&amp;Paste</translation>
    </message>
    <message id="LBLSignInSelectAll">
        <source>Select &amp;All</source>
        <translation>Select &amp;All</translation>
    </message>
</context>
</TS>
