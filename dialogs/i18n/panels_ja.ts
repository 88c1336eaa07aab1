<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<!-- Written by make-panels.py from the .ui files and the other catalogues. -->
<TS version="2.1" language="ja">
<context>
    <name></name>
    <message id="&amp;Cancel">
        <source>&amp;Cancel</source>
        <translation>キャンセル(&amp;C)</translation>
    </message>
    <message id="&amp;Filter:">
        <source>&amp;Filter:</source>
        <translation>フィルター(&amp;F):</translation>
    </message>
    <message id="Filter the list">
        <source>Filter the list</source>
        <translation>一覧を絞り込む</translation>
    </message>
    <message id="Type to narrow the list (Ctrl+F)">
        <source>Type to narrow the list (Ctrl+F)</source>
        <translation>入力して一覧を絞り込みます (Ctrl+F)</translation>
    </message>
    <message id="&amp;Help">
        <source>&amp;Help</source>
        <translation>ヘルプ(&amp;H)</translation>
    </message>
    <message id="OK">
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message id="The HTTP proxy asks for a user name and password:">
        <source>The HTTP proxy asks for a user name and password:</source>
        <translation>HTTP プロキシがユーザー名とパスワードを求めています:</translation>
    </message>
    <message id="Proxy Sign-In">
        <source>Proxy Sign-In</source>
        <translation>プロキシへのサインイン</translation>
    </message>
    <message id="&amp;Select">
        <source>&amp;Select</source>
        <translation>選択(&amp;S)</translation>
    </message>
    <message id="Choose the node group to use:">
        <source>Choose the node group to use:</source>
        <translation>使用するノードグループを選択してください:</translation>
    </message>
    <message id="Select a Node Group">
        <source>Select a Node Group</source>
        <translation>ノードグループの選択</translation>
    </message>
    <message id="Choose the node to run the session on:">
        <source>Choose the node to run the session on:</source>
        <translation>セッションを実行するノードを選択してください:</translation>
    </message>
    <message id="Select a Node">
        <source>Select a Node</source>
        <translation>ノードの選択</translation>
    </message>
    <message id="Start a new session or choose one to reconnect to:">
        <source>Start a new session or choose one to reconnect to:</source>
        <translation>新しいセッションを開始するか、再接続するセッションを選択してください:</translation>
    </message>
    <message id="Select a Session">
        <source>Select a Session</source>
        <translation>セッションの選択</translation>
    </message>
    <message id="Choose the shared session to join:">
        <source>Choose the shared session to join:</source>
        <translation>参加する共有セッションを選択してください:</translation>
    </message>
    <message id="Select a Shared Session">
        <source>Select a Shared Session</source>
        <translation>共有セッションの選択</translation>
    </message>
    <message id="Choose the suspended session to resume:">
        <source>Choose the suspended session to resume:</source>
        <translation>再開する一時停止中のセッションを選択してください:</translation>
    </message>
    <message id="Select a Suspended Session">
        <source>Select a Suspended Session</source>
        <translation>一時停止中のセッションの選択</translation>
    </message>
    <message id="&amp;Key:">
        <source>&amp;Key:</source>
        <translation>キー(&amp;K):</translation>
    </message>
    <message id="&amp;API key">
        <source>&amp;API key</source>
        <translation>API キー(&amp;A)</translation>
    </message>
    <message id="User name and pa&amp;ssword">
        <source>User name and pa&amp;ssword</source>
        <translation>ユーザー名とパスワード(&amp;S)</translation>
    </message>
    <message id="Ker&amp;beros single sign-on">
        <source>Ker&amp;beros single sign-on</source>
        <translation>Kerberos シングルサインオン(&amp;B)</translation>
    </message>
    <message id="Do &amp;not try without authentication first">
        <source>Do &amp;not try without authentication first</source>
        <translation>最初に認証なしで試さない(&amp;N)</translation>
    </message>
    <message id="&amp;Password:">
        <source>&amp;Password:</source>
        <translation>パスワード(&amp;P):</translation>
    </message>
    <message id="Choose how to sign in to RUZ Ereduz:">
        <source>Choose how to sign in to RUZ Ereduz:</source>
        <translation>RUZ Ereduz へのサインイン方法を選択してください:</translation>
    </message>
    <message id="Sign In">
        <source>Sign In</source>
        <translation>サインイン</translation>
    </message>
    <message id="&amp;User name:">
        <source>&amp;User name:</source>
        <translation>ユーザー名(&amp;U):</translation>
    </message>
</context>
</TS>
