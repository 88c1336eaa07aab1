<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name></name>
    <message id="LBLEULATitle">
        <source>License Agreement</source>
        <translation>License Agreement</translation>
    </message>
    <message id="LBLEULAText">
        <source>License agreement</source>
        <translation>License agreement</translation>
    </message>
    <message id="LBLEULAAccept">
        <source>&amp;Accept</source>
        <translation>&amp;Accept</translation>
    </message>
    <message id="LBLEULACancel">
        <source>&amp;Cancel</source>
        <translation>&amp;Cancel</translation>
    </message>
    <message id="MESGEULANotLoaded">
        <source>The license agreement could not be loaded.</source>
        <translation>The license agreement could not be loaded.</translation>
    </message>
</context>
</TS>
