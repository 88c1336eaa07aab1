<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
<context>
    <name></name>
    <message id="LBLEULATitle">
        <source>License Agreement</source>
        <translation>Lizenzvereinbarung</translation>
    </message>
    <message id="LBLEULAText">
        <source>License agreement</source>
        <translation>Lizenzvereinbarung</translation>
    </message>
    <message id="LBLEULAAccept">
        <source>&amp;Accept</source>
        <translation>&amp;Annehmen</translation>
    </message>
    <message id="LBLEULACancel">
        <source>&amp;Cancel</source>
        <translation>A&amp;bbrechen</translation>
    </message>
    <message id="MESGEULANotLoaded">
        <source>The license agreement could not be loaded.</source>
        <translation>Die Lizenzvereinbarung konnte nicht geladen werden.</translation>
    </message>
</context>
</TS>
