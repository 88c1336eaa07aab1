<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1">
<context>
    <name></name>
    <message id="launcher-console-not-started">
        <source>The console launcher %1 cannot be started: %2</source>
        <translation>コンソールランチャー %1 を起動できません: %2</translation>
    </message>
    <message id="launcher-window-name">
        <source>Zan Client Launcher</source>
        <translation>Zan Client Launcher</translation>
    </message>
    <message id="launcher-window-unknown">
        <source>unknown</source>
        <translation>不明</translation>
    </message>
    <message id="launcher-window-version">
        <source>Version %1 (build %2)</source>
        <translation>バージョン %1 (ビルド %2)</translation>
    </message>
    <message id="launcher-window-description">
        <source>Zan Client Launcher starts remote sessions from links followed in a web browser.</source>
        <translation>Zan Client Launcher は、Web ブラウザーで開いたリンクからリモートセッションを開始します。</translation>
    </message>
    <message id="launcher-window-quit">
        <source>&amp;Quit</source>
        <translation>終了(&amp;Q)</translation>
    </message>
</context>
</TS>
