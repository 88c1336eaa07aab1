#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
# Writes panels_<language>.ts: the translations of the texts in the dialogs'
# .ui files, keyed the way this Qt's uic looks them up. uic 6.4 with -idbased
# ignores a <string id="..."> attribute and passes the English text itself to
# qtTrId, so each text is entered here under its English wording with the
# translation of its ID from the other catalogues. English needs no such
# file: a text that is not found is shown as it is.
# Run after changing a .ui text or a translation: dialogs/i18n/make-panels.py
import glob
import html
import os
import re
import xml.etree.ElementTree as ET

here = os.path.dirname(os.path.abspath(__file__))
dialogs = os.path.dirname(here)
languages = ["de", "ja"]

texts = {}  # English text -> ID
for path in sorted(glob.glob(os.path.join(dialogs, "*.ui"))):
    for string in ET.parse(path).iter("string"):
        if string.get("notr") == "true" or not string.get("id"):
            continue
        texts.setdefault(string.text or "", string.get("id"))

for language in languages:
    translations = {}
    for path in glob.glob(os.path.join(here, "*_%s.ts" % language)):
        if os.path.basename(path).startswith("panels_"):
            continue
        for message in ET.parse(path).iter("message"):
            translations[message.get("id")] = message.findtext("translation")
    lines = ['<?xml version="1.0" encoding="utf-8"?>', "<!DOCTYPE TS>",
             "<!-- Written by make-panels.py from the .ui files and the other catalogues. -->",
             '<TS version="2.1" language="%s">' % language, "<context>", "    <name></name>"]
    for text, ident in sorted(texts.items(), key=lambda item: (item[1], item[0])):
        if ident not in translations:
            raise SystemExit("%s has no %s translation" % (ident, language))
        lines += ['    <message id="%s">' % html.escape(text),
                  "        <source>%s</source>" % html.escape(text, quote=False),
                  "        <translation>%s</translation>" % html.escape(translations[ident], quote=False),
                  "    </message>"]
    lines += ["</context>", "</TS>", ""]
    with open(os.path.join(here, "panels_%s.ts" % language), "w", encoding="utf-8") as out:
        out.write("\n".join(lines))
