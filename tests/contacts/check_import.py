#!/usr/bin/python3
"""Imports contact files with `natalix --import-contacts` and checks the list it keeps.

The records expected for a vCard file come from python3-vobject (unfolding, quoted-printable,
charsets, escapes) and the import rules written out here once more; a German Outlook export
is checked against the list written by hand below. Every import is done twice: the second
one must add nothing.

Usage: check_import.py NATALIX TESTDATA
"""
import datetime
import os
import random
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
        check(got == before + added, f"{name}: the list after the import\n  got      "
              + "\n  got      ".join(map(str, got)) + "\n  expected "
              + "\n  expected ".join(map(str, before + added)))
        code, out, err = d.run("--import-contacts", path)
        check(code == 0 and out == summary(0, len(added) + duplicates, unreadable),
              f"{name}: second import adds nothing ({out!r})")
        check(d.records() == got, f"{name}: second import leaves the list as it was")


def vcard_file(name):
    path = os.path.join(CONTACTS, name)
    text = open(path, encoding="utf-8", newline="").read()
    existing = [SAMPLE + (DEFAULTS,)]
    import_twice(name, path, *expected_from_vcards(text, existing))


# --- 200 contacts, mixed as phones and servers write them -----------------------------------

def qp(text):
    return "".join(c if c.isascii() and c.isalnum() or c in " -" else
                   "".join(f"={b:02X}" for b in c.encode("utf-8")) for c in text)


def fold(line):
    """Folded at 75 octets, never inside a UTF-8 sequence, as RFC 6350 asks."""
    raw, parts, room = line.encode("utf-8"), [], 75
    while len(raw) > room:
        cut = room
        while raw[cut] & 0xC0 == 0x80:
            cut -= 1
        parts.append(raw[:cut])
        raw, room = raw[cut:], 74
    parts.append(raw)
    return "\r\n ".join(p.decode("utf-8") for p in parts)


def mixed_file(path):
    rng = random.Random(20250307)
    given = ["Anna", "Jürgen", "Zoë", "Björn", "Ümit", "Łukasz", "Małgorzata", "Søren", "Chloé",
             "José", "Ægir", "Иван", "李", "Ole", "Grete", "Fritz", "Renée", "Ñoño"]
    family = ["Müller", "Groß", "Öztürk", "Nußbaum", "Schäfer", "Dvořák", "Weiß", "Lindqvist",
              "O'Brien", "van der Meer", "Hohenstein-Wittgenstein-Sayn", "Ćosić", "Smith"]
    cards, people = [], []
    for i in range(200):
        if people and rng.random() < 0.08:
            g, f, bday = rng.choice(people)  # the same person once more
        else:
            g, f = rng.choice(given), rng.choice(family)
            if rng.random() < 0.15:
                f += " " + rng.choice(family) + " " + rng.choice(family)
            y, m = rng.randint(1881, 2024), rng.randint(1, 12)
            bday = (y, m, rng.randint(1, 28 if m == 2 else 30))
            if rng.random() < 0.05:
                bday = (rng.choice([1904, 1988, 2000]), 2, 29)
            people.append((g, f, bday))
        style = i % 3
        y, m, d = bday
        kind = rng.random()
        lines = ["BEGIN:VCARD"]
        if style == 0:  # an Android phone: 2.1, quoted-printable
            lines += ["VERSION:2.1", f"N;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:{qp(f)};{qp(g)};;;",
                      f"FN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:{qp(g + ' ' + f)}",
                      f"TEL;CELL:+49 170 {i:07d}"]
        elif style == 1:  # Apple: 3.0, omitted years as 1604
            lines += ["VERSION:3.0", "PRODID:-//Apple Inc.//iPhone OS 17.2//EN",
                      fold(f"N:{f};{g};;;"), fold(f"FN:{g} {f}")]
        else:  # a Nextcloud server: 4.0
            lines += ["VERSION:4.0", "PRODID:-//Sabre//Sabre VObject 4.5.4//EN",
                      f"UID:{i:08d}-aaaa-4bbb-8ccc-{i:012d}", fold(f"FN:{g} {f}"),
                      fold(f"N:{f};{g};;;")]
        if kind < 0.1:
            pass  # no birthday
        elif kind < 0.15:
            lines.append("BDAY;VALUE=text:circa 1800" if style == 2 else "BDAY:someday")
        elif kind < 0.3:
            lines.append({0: f"BDAY:--{m:02d}{d:02d}",
                          1: f"BDAY;X-APPLE-OMIT-YEAR=1604:1604-{m:02d}-{d:02d}",
                          2: f"BDAY:--{m:02d}{d:02d}"}[style])
        elif kind < 0.33:
            lines.append(f"BDAY:{rng.choice([1850, 2150])}{m:02d}{d:02d}")
        else:
            lines.append({0: f"BDAY:{y}-{m:02d}-{d:02d}",
                          1: f"BDAY;VALUE=date:{y}-{m:02d}-{d:02d}",
                          2: f"BDAY:{y}{m:02d}{d:02d}T083000Z" if i % 2 else
                          f"BDAY:{y}{m:02d}{d:02d}"}[style])
        lines.append("END:VCARD")
        cards.append("\r\n".join(lines) + "\r\n")
    text = "".join(cards)
    with open(path, "w", encoding="utf-8", newline="") as f:
        f.write(text)
    return text


# --- a German Outlook export -----------------------------------------------------------------

OUTLOOK_DE = [
    # What the file holds, row by row, as this list should keep it.
    (2, "Jürgen Müller", 1975, 12, 24),
    (3, "Zoë Groß-Öztürk", 2000, 2, 29),
    (4, "Hans Müller", 1955, 1, 31),
    (5, "Anna Maria Beispiel", 1980, 3, 7),
    (6, "Björn", 1968, 7, 1),
    (7, "Schmidt", 1990, 10, 3),
]


def main():
    for name in ("android-2.1.vcf", "apple-3.0.vcf", "nextcloud-4.0.vcf"):
        vcard_file(name)
    with tempfile.TemporaryDirectory() as root:
        path = os.path.join(root, "gemischt.vcf")
        text = mixed_file(path)
        added, duplicates, unreadable = expected_from_vcards(text, [SAMPLE + (DEFAULTS,)])
        check(len(added) > 120 and duplicates > 2 and unreadable > 20,
              f"the mixed file has every case ({len(added)}, {duplicates}, {unreadable})")
        import_twice("200 mixed contacts", path, added, duplicates, unreadable)
    import_twice("outlook-de.csv", os.path.join(CONTACTS, "outlook-de.csv"),
                 [r + (DEFAULTS,) for r in OUTLOOK_DE], 1, 3)
    if failures:
        print(f"0 passed, {len(failures)} failed")
        sys.exit(1)
    print("all contact imports as expected")


main()
