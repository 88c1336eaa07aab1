<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja">
<context>
    <name></name>
    <message id="LBLEULATitle">
        <source>License Agreement</source>
        <translation>使用許諾契約</translation>
    </message>
    <message id="LBLEULAText">
        <source>License agreement</source>
        <translation>使用許諾契約</translation>
    </message>
    <message id="LBLEULAAccept">
        <source>&amp;Accept</source>
        <translation>同意する(&amp;A)</translation>
    </message>
    <message id="LBLEULACancel">
        <source>&amp;Cancel</source>
        <translation>キャンセル(&amp;C)</translation>
    </message>
    <message id="MESGEULANotLoaded">
        <source>The license agreement could not be loaded.</source>
        <translation>使用許諾契約を読み込めませんでした。</translation>
    </message>
</context>
</TS>
