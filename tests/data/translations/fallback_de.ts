<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
<context>
    <name></name>
    <message id="test-translated-everywhere">
        <source>Translated everywhere</source>
        <translation>Überall übersetzt</translation>
    </message>
    <message id="test-english-only">
        <source>Only in English</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
