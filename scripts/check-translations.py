#!/usr/bin/env python3
"""Fails when the window has a text that is not translated.

Three checks, each naming what it found:
  1. every string literal of ui/ and res/ that holds Chinese stands in a
     translation call (tr, QCoreApplication::translate, QT_TRANSLATE_NOOP,
     QT_TR_NOOP), so that lupdate sees it;
  2. the committed .ts files hold exactly what lupdate extracts from the
     sources today (run scripts/update-translations.sh after changing a text);
  3. every message of them has a finished translation, every numerus form
     included.

Usage: check-translations.py [LUPDATE]
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SOURCE_FOLDERS = ["ui", "res"]
TS_FILES = ["res/translations/quovex_en.ts"]
CHINESE = re.compile("[\u3000-\u303f\u4e00-\u9fff\uff00-\uffef]")
# A call that lupdate reads, ending just before the first literal.
TRANSLATING = re.compile(
    r"(\btr|\btranslate\s*\(\s*\"[^\"]*\"\s*,|QT_TRANSLATE_NOOP\s*\(\s*\"[^\"]*\"\s*,"
    r"|QT_TRANSLATE_N_NOOP\s*\(\s*\"[^\"]*\"\s*,|QT_TR_NOOP|QT_TR_N_NOOP)\s*\(?\s*$")
# Literals that hold Chinese but are not texts of the window.
NOT_TEXTS = {"宋体"}  # the dialog font's family name


def literal_groups(text):
    """Yields (line, joined text, code before the group) of each run of
    adjacent string literals outside comments."""
    i, n = 0, len(text)
    while i < n:
        if text.startswith("//", i):
            j = text.find("\n", i)
            i = n if j < 0 else j
        elif text.startswith("/*", i):
            j = text.find("*/", i)
            i = n if j < 0 else j + 2
        elif text[i] == "'":
            j = i + 1
            while text[j] != "'":
                j += 2 if text[j] == "\\" else 1
            i = j + 1
        elif text[i] == '"':
            start, parts = i, []
            while i < n and text[i] == '"':
                j = i + 1
                while text[j] != '"':
                    j += 2 if text[j] == "\\" else 1
                parts.append(text[i + 1:j])
                i = j + 1
                while i < n and text[i] in " \t\n":
                    i += 1
            before = text[max(0, start - 120):start]
            yield text.count("\n", 0, start) + 1, "".join(parts), before
        else:
            i += 1


def untranslated_literals():
    found = []
    for folder in SOURCE_FOLDERS:
        for top, _, names in os.walk(os.path.join(ROOT, folder)):
            for name in sorted(names):
                if not name.endswith((".cpp", ".h")):
                    continue
                path = os.path.join(top, name)
                with open(path, encoding="utf-8") as f:
                    text = f.read()
                for line, literal, before in literal_groups(text):
                    if not CHINESE.search(literal) or literal in NOT_TEXTS:
                        continue
                    if not TRANSLATING.search(before):
                        found.append(f"{os.path.relpath(path, ROOT)}:{line}: \"{literal}\"")
    return found


def messages(ts_path):
    tree = ET.parse(ts_path)
    for context in tree.getroot().iter("context"):
        name = context.findtext("name")
        for message in context.iter("message"):
            yield name, message


def unfinished(ts_path):
    found = []
    for context, message in messages(ts_path):
        source = message.findtext("source")
        translation = message.find("translation")
        kind = translation.get("type") if translation is not None else "missing"
        forms = translation.findall("numerusform") if translation is not None else []
        texts = [f.text for f in forms] if forms else [translation.text if translation is not None else None]
        if kind in ("unfinished", "missing", "vanished", "obsolete") or not all(texts):
            found.append(f"{context}: \"{source}\" ({kind or 'empty'})")
    return found


def stale(ts_path, lupdate):
    """Messages lupdate would add or drop."""
    with tempfile.TemporaryDirectory() as scratch:
        copy = os.path.join(scratch, os.path.basename(ts_path))
        shutil.copy(ts_path, copy)
        subprocess.run([lupdate, "-silent", "-locations", "none", "-no-obsolete", "-extensions", "cpp,h"]
                       + [os.path.join(ROOT, d) for d in SOURCE_FOLDERS] + ["-ts", copy], check=True)
        now = {(c, m.findtext("source"), m.findtext("comment")) for c, m in messages(copy)}
    before = {(c, m.findtext("source"), m.findtext("comment")) for c, m in messages(ts_path)}
    return [f"new: {c}: \"{s}\"" for c, s, _ in sorted(now - before, key=str)] + \
           [f"gone: {c}: \"{s}\"" for c, s, _ in sorted(before - now, key=str)]


def main():
    lupdate = sys.argv[1] if len(sys.argv) > 1 else "/usr/lib/qt6/bin/lupdate"
    failures = [("texts outside a translation call", untranslated_literals())]
    for ts in TS_FILES:
        path = os.path.join(ROOT, ts)
        failures.append((f"{ts}: out of date with the sources", stale(path, lupdate)))
        failures.append((f"{ts}: unfinished translations", unfinished(path)))
    bad = False
    for title, items in failures:
        if items:
            bad = True
            print(f"{title}:")
            for item in items:
                print(f"  {item}")
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main())
