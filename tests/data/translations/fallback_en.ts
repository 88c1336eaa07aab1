<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name></name>
    <message id="test-translated-everywhere">
        <source>Translated everywhere</source>
        <translation>Translated everywhere</translation>
    </message>
    <message id="test-english-only">
        <source>Only in English</source>
        <translation>Only in English</translation>
    </message>
</context>
</TS>
