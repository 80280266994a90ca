#!/usr/bin/python3
"""Imports contact files with `natalix --import-contacts` and checks the list it keeps.

The records expected for a vCard file come from python3-vobject (unfolding, quoted-printable,
charsets, escapes) and the import rules written out here once more. Every import is done
twice: the second one must add nothing.

Usage: check_import.py NATALIX TESTDATA
"""
import datetime
import os
import re
import subprocess
import sys
import tempfile
import unicodedata

import vobject

NATALIX, DATA = sys.argv[1], sys.argv[2]
CONTACTS = os.path.join(DATA, "contacts")

# The reminder defaults of the options file used below; imported records must carry them.
DEFAULTS = ["2 Wochen vorher", "1 Tag vorher", "Keine Erinnerung", "18. Geburtstag", "alle 2 Jahre"]
SAMPLE = (1, "Zellwig (der Programmierer)", 1971, 12, 22)

failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAIL:", what)


class DataDir:
    def __init__(self, root):
        self.root = root
        self.data = os.path.join(root, "daten")
        os.makedirs(self.data)
        lines = DEFAULTS + [" 1 ", " 1 ", " 1 "]
        with open(os.path.join(self.data, "natalix.ini"), "wb") as f:
            f.write("".join(l + "\r\n" for l in lines).encode("cp1252"))

    def run(self, *args):
        env = dict(os.environ, HOME=self.root, XDG_CONFIG_HOME=self.root,
                   XDG_DATA_HOME=self.root, QT_QPA_PLATFORM="offscreen", LC_ALL="C.UTF-8")
        env.pop("NATALIX_DATADIR", None)
        p = subprocess.run([NATALIX, "--datadir", self.data, *args], env=env,
                           capture_output=True, timeout=60)
        return p.returncode, p.stdout.decode("utf-8"), p.stderr.decode("utf-8")

    def records(self):
        target = os.path.join(self.root, "liste.nxd")
        code, _, err = self.run("--export", target)
        assert code == 0, err
        lines = open(target, "rb").read().decode("cp1252").split("\r\n")
        count = int(lines[0])
        out = []
        for i in range(count):
            block = lines[1 + 10 * i: 11 + 10 * i]
            out.append((int(block[0]), block[1], int(block[2]), int(block[3]), int(block[4]),
                        block[5:10]))
        return out


# --- the import rules, once more ---------------------------------------------------------

def cp1252_char(c):
    try:
        c.encode("cp1252")
        return True
    except UnicodeEncodeError:
        return False


# Letters without a decomposition, as the list writes them in Latin script.
LATIN = {"ı": "i", "ł": "l", "Ł": "L", "đ": "d", "Đ": "D", "ħ": "h", "Ħ": "H"}


def latin(c):
    """A character as Windows-1252 can hold it: itself, its letter without marks, or "?"."""
    if cp1252_char(c):
        return c
    if c in LATIN:
        return LATIN[c]
    if unicodedata.category(c) in ("Mn", "Cf", "Cc"):
        return ""
    bare = "".join(x for x in unicodedata.normalize("NFKD", c) if not unicodedata.combining(x))
    return bare if bare != c and all(cp1252_char(x) for x in bare) else "?"


def list_name(fn, given, family):
    def clean(text):
        text = re.sub(r"\r\n|[\r\n\t]", " ", text or "")
        return "".join(latin(c) for c in unicodedata.normalize("NFC", text)).strip()
    name = clean(fn)
    if not name:
        name = " ".join(p for p in (clean(given), clean(family)) if p)
    return name[:40].strip() or " "


def real_date(year, month, day):
    try:
        datetime.date(year or 2000, month, day)
    except ValueError:
        return None
    if year and not 1880 <= year <= 2099:
        return None
    return (year, month, day)


def vcard_birthday(prop):
    if prop is None:
        return None
    if prop.params.get("VALUE", [""])[0].lower() == "text":
        return None
    value = prop.value.strip().split("T")[0]
    omit = prop.params.get("X-APPLE-OMIT-YEAR", [None])[0]
    for pattern, order in ((r"--(\d\d)-?(\d\d)", "md"), (r"(\d{4})(\d\d)(\d\d)", "ymd"),
                           (r"(\d{4})-(\d{1,2})-(\d{1,2})", "ymd")):
        m = re.fullmatch(pattern, value)
        if m:
            parts = [int(g) for g in m.groups()]
            year, month, day = (0, *parts) if order == "md" else parts
            if (omit is not None and str(year) == omit) or year == 1604:
                year = 0
            return real_date(year, month, day)
    return None


def expected_from_vcards(text, existing):
    """The records the import adds, and the two counts it skips."""
    added, duplicates, unreadable = [], 0, 0
    known = list(existing)
    number = max(r[0] for r in existing)
    for card in vobject.readComponents(text, allowQP=True):
        fn = card.contents.get("fn")
        n = card.contents.get("n")
        bday = vcard_birthday(card.contents.get("bday", [None])[0])
        if bday is None:
            unreadable += 1
            continue
        name = list_name(fn[0].value if fn else "", n[0].value.given if n else "",
                         n[0].value.family if n else "")
        y, m, d = bday
        if any(k[1] == name and k[3] == m and k[4] == d and (k[2] == y or 0 in (k[2], y))
               for k in known):
            duplicates += 1
            continue
        number += 1
        record = (number, name, y, m, d, DEFAULTS)
        added.append(record)
        known.append(record)
    return added, duplicates, unreadable


def summary(added, duplicates, unreadable):
    return (f"{added} Geburtstage übernommen, {duplicates} schon in der Liste, "
            f"{unreadable} ohne lesbares Geburtsdatum\n")


def import_twice(name, path, added, duplicates, unreadable):
    with tempfile.TemporaryDirectory() as root:
        d = DataDir(root)
        before = d.records()
        check(before == [SAMPLE + (DEFAULTS,)], f"{name}: the new list holds the sample record")
        code, out, err = d.run("--import-contacts", path)
        check(code == 0 and err == "", f"{name}: import ends with status 0 ({code}: {err})")
        check(out == summary(len(added), duplicates, unreadable),
              f"{name}: summary {out!r}")
        got = d.records()
        check(got == before + added, f"{name}: the list after the import\n  got      {got}\n"
              f"  expected {before + added}")
        code, out, err = d.run("--import-contacts", path)
        check(code == 0 and out == summary(0, len(added) + duplicates, unreadable),
              f"{name}: second import adds nothing ({out!r})")
        check(d.records() == got, f"{name}: second import leaves the list as it was")


def vcard_file(name):
    path = os.path.join(CONTACTS, name)
    text = open(path, encoding="utf-8", newline="").read()
    existing = [SAMPLE + (DEFAULTS,)]
    import_twice(name, path, *expected_from_vcards(text, existing))


def main():
    for name in ("android-2.1.vcf", "apple-3.0.vcf", "nextcloud-4.0.vcf"):
        vcard_file(name)
    if failures:
        print(f"0 passed, {len(failures)} failed")
        sys.exit(1)
    print("all contact imports as expected")


main()
