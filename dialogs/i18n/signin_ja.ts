<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja">
<context>
    <name></name>
    <message id="LBLSignInTitle">
        <source>Sign In</source>
        <translation>サインイン</translation>
    </message>
    <message id="LBLSignInPrompt">
        <source>Choose how to sign in to RUZ Ereduz:</source>
        <translation>RUZ Ereduz へのサインイン方法を選択してください:</translation>
    </message>
    <message id="LBLSignInBasicAuth">
        <source>User name and pa&amp;ssword</source>
        <translation>ユーザー名とパスワード(&amp;S)</translation>
    </message>
    <message id="LBLSignInUsername">
        <source>&amp;User name:</source>
        <translation>ユーザー名(&amp;U):</translation>
    </message>
    <message id="LBLSignInPassword">
        <source>&amp;Password:</source>
        <translation>パスワード(&amp;P):</translation>
    </message>
    <message id="LBLSignInApiKeyMode">
        <source>&amp;API key</source>
        <translation>API キー(&amp;A)</translation>
    </message>
    <message id="LBLSignInApiKey">
        <source>&amp;Key:</source>
        <translation>キー(&amp;K):</translation>
    </message>
    <message id="LBLSignInKerberos">
        <source>Ker&amp;beros single sign-on</source>
        <translation>Kerberos シングルサインオン(&amp;B)</translation>
    </message>
    <message id="LBLSignInNoAuthFirst">
        <source>Do &amp;not try without authentication first</source>
        <translation>最初に認証なしで試さない(&amp;N)</translation>
    </message>
    <message id="LBLProxySignInTitle">
        <source>Proxy Sign-In</source>
        <translation>プロキシへのサインイン</translation>
    </message>
    <message id="LBLProxySignInPrompt">
        <source>The HTTP proxy asks for a user name and password:</source>
        <translation>HTTP プロキシがユーザー名とパスワードを求めています:</translation>
    </message>
    <message id="LBLSignInPaste">
        <source>&amp;Paste</source>
        <translation>貼り付け(&amp;P)</translation>
    </message>
    <message id="LBLSignInSelectAll">
        <source>Select &amp;All</source>
        <translation>すべて選択(&amp;A)</translation>
    </message>
</context>
</TS>
