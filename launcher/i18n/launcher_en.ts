<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name></name>
    <message id="launcher-console-not-started">
        <source>The console launcher %1 cannot be started: %2</source>
        <translation>The console launcher %1 cannot be started: %2</translation>
    </message>
</context>
</TS>
