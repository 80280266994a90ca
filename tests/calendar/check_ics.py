#!/usr/bin/python3
"""Exports a list with `natalix --export-ics` and reads the calendar with independent readers:
python3-icalendar parses it, python3-recurring-ical-events expands the occurrences of 2026 to
2029. Every date and alarm below is written out by hand.

Usage: check_ics.py NATALIX
"""
import datetime as dt
import os
import subprocess
import sys
import tempfile

import icalendar
import recurring_ical_events

NATALIX = sys.argv[1]
failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAIL:", what)


USUAL = ["1 Woche vorher", "1 Tag vorher", "Am Tage des Geburtstages", "1. Geburtstag", "jährlich"]
LIST = [
    (1, "Anna Beispiel", 1980, 3, 7, USUAL),
    (2, "Leap Kind", 2000, 2, 29,
     ["1 Tag vorher", "Keine Erinnerung", "Keine Erinnerung", "1. Geburtstag", "jährlich"]),
    (3, "Zehner", 2000, 6, 15,
     ["Am Tage des Geburtstages", "Keine Erinnerung", "Keine Erinnerung", "18. Geburtstag",
      "alle 10 Jahre"]),
    (4, "Paul Sommer", 0, 8, 15,
     ["3 Tage vorher", "2 Monate vorher", "Keine Erinnerung", "50. Geburtstag", "alle 7 Jahre"]),
    (5, "Kim Schaltjahr", 0, 2, 29,
     ["1 Monat vorher", "Keine Erinnerung", "Keine Erinnerung", "1. Geburtstag", "jährlich"]),
    (6, " ", 1995, 1, 5,
     ["3 Wochen vorher", "Keine Erinnerung", "Keine Erinnerung", "1. Geburtstag", "jährlich"]),
    (7, "Groß, Jürgen; Öztürk-Ähnlichkeitsprüfung", 1950, 11, 30,
     ["Am Tage des Geburtstages", "Keine Erinnerung", "Keine Erinnerung", "1. Geburtstag",
      "jährlich"]),
    (8, "Elf Jahre", 1990, 9, 9,
     ["1 Tag vorher", "Keine Erinnerung", "Keine Erinnerung", "1. Geburtstag", "alle 11 Jahre"]),
    (9, "Ohne Erinnerung", 1985, 5, 20,
     ["Keine Erinnerung", "Keine Erinnerung", "Keine Erinnerung", "1. Geburtstag", "jährlich"]),
    (10, "Einunddreißigster April", 1990, 4, 31, USUAL),
    (12, "Doppelt", 1970, 12, 31,
     ["1 Tag vorher", "1 Tag vorher", "4 Wochen vorher", "1. Geburtstag", "jährlich"]),
]

# Occurrences 2026-2029 (date, SUMMARY) per UID.
D = dt.date
EXPECTED = {
    "natalix-1": [D(y, 3, 7) for y in range(2026, 2030)],
    "natalix-2": [D(2026, 3, 1), D(2027, 3, 1), D(2028, 2, 29), D(2029, 3, 1)],
    "natalix-3": [D(2028, 6, 15)],  # ages 18, 28, 38: only 28 falls in these years
    "natalix-4": [D(y, 8, 15) for y in range(2026, 2030)],  # no year: start, cycle unused
    "natalix-5": [D(2026, 3, 1), D(2027, 3, 1), D(2028, 2, 29), D(2029, 3, 1)],
    "natalix-6": [D(y, 1, 5) for y in range(2026, 2030)],
    "natalix-7": [D(y, 11, 30) for y in range(2026, 2030)],
    "natalix-8": [D(y, 9, 9) for y in range(2026, 2030)],
    "natalix-9": [D(y, 5, 20) for y in range(2026, 2030)],
    "natalix-12": [D(y, 12, 31) for y in range(2026, 2030)],
}
SUMMARIES = {
    "natalix-1": "Anna Beispiel (*1980)", "natalix-2": "Leap Kind (*2000)",
    "natalix-3": "Zehner (*2000)", "natalix-4": "Paul Sommer", "natalix-5": "Kim Schaltjahr",
    "natalix-6": "Ein eingegebenes Geburtstags-Kind ohne Namen (Datensatz 6)",
    "natalix-7": "Groß, Jürgen; Öztürk-Ähnlichkeitsprüfung (*1950)",
    "natalix-8": "Elf Jahre (*1990)", "natalix-9": "Ohne Erinnerung (*1985)",
    "natalix-12": "Doppelt (*1970)",
}
# Alarm instants of the occurrences in 2026 (and 2028 for the leap day) with their texts, as
# exported on 1 December 2025 (old date display): the lines of the next due birthday.
M = dt.datetime
ALARMS_2026 = {
    "natalix-1": [(M(2026, 2, 28), "Anna Beispiel wird am 7.3.2026 46 Jahre alt ..."),
                  (M(2026, 3, 6), "Anna Beispiel wird morgen 46 Jahre alt ..."),
                  (M(2026, 3, 7), "Anna Beispiel wird heute 46 Jahre alt ...")],
    "natalix-2": [(M(2026, 2, 28), "Leap Kind wird morgen 26 Jahre alt ...")],
    "natalix-4": [(M(2026, 6, 14), "Paul Sommer hat am 15.8.2026 Geburtstag ..."),
                  (M(2026, 8, 12), "Paul Sommer hat am 15.8.2026 Geburtstag ...")],
    "natalix-5": [(M(2026, 1, 29), "Kim Schaltjahr hat am 29.2.2026 Geburtstag ...")],
    "natalix-6": [(M(2025, 12, 15), "Ein eingegebenes Geburtstags-Kind ohne Namen "
                                    "(Datensatz 6)  wird am 5.1.2026 31 Jahre alt ...")],
    "natalix-7": [(M(2026, 11, 30), "Groß, Jürgen; Öztürk-Ähnlichkeitsprüfung wird heute "
                                    "76 Jahre alt ...")],
    "natalix-12": [(M(2026, 12, 3), "Doppelt wird am 31.12.2025 55 Jahre alt ..."),
                   (M(2026, 12, 30), "Doppelt wird morgen 55 Jahre alt ...")],
}
ALARMS_2028 = {
    "natalix-2": [(M(2028, 2, 28), "Leap Kind wird morgen 26 Jahre alt ...")],
    "natalix-3": [(M(2028, 6, 15), "Zehner wird heute 28 Jahre alt ...")],
    "natalix-5": [(M(2028, 1, 29), "Kim Schaltjahr hat am 29.2.2026 Geburtstag ...")],
}


def list_file(records):
    out = [f" {len(records)} "]
    for nummer, name, jahr, monat, tag, settings in records:
        out += [f" {nummer} ", name, f" {jahr} ", f" {monat} ", f" {tag} ", *settings]
    return "".join(l + "\r\n" for l in out).encode("cp1252")


class Fixture:
    def __init__(self, root):
        self.root = root
        self.data = os.path.join(root, "daten")

    def run(self, *args, now="2025-12-01T10:00:00"):
        env = dict(os.environ, HOME=self.root, XDG_CONFIG_HOME=self.root,
                   XDG_DATA_HOME=os.path.join(self.root, "share"),
                   XDG_CACHE_HOME=os.path.join(self.root, "cache"),
                   QT_QPA_PLATFORM="offscreen", LC_ALL="C.UTF-8", TZ="Europe/Berlin",
                   NATALIX_NOW=now)
        env.pop("NATALIX_DATADIR", None)
        p = subprocess.run([NATALIX, "--datadir", self.data, *args], env=env,
                           capture_output=True, timeout=60)
        return p.returncode, p.stdout.decode(), p.stderr.decode()


def occurrences(cal, start, end):
    got = {}
    for ev in recurring_ical_events.of(cal).between(start, end):
        day = ev["DTSTART"].dt
        check(isinstance(day, dt.date) and not isinstance(day, dt.datetime),
              f"{ev['UID']}: all-day")
        alarms = []
        for alarm in ev.walk("VALARM"):
            check(str(alarm["ACTION"]) == "DISPLAY", "alarm action")
            alarms.append((dt.datetime.combine(day, dt.time()) + alarm["TRIGGER"].dt,
                           str(alarm["DESCRIPTION"])))
        got.setdefault(str(ev["UID"]), []).append((day, str(ev["SUMMARY"]), sorted(alarms)))
    return got


def main():
    with tempfile.TemporaryDirectory() as root:
        f = Fixture(root)
        with open(os.path.join(root, "liste.nxd"), "wb") as out:
            out.write(list_file(LIST))
        check(f.run("--import", os.path.join(root, "liste.nxd"))[0] == 0, "list imported")
        ics = os.path.join(root, "geburtstage.ics")
        code, out, err = f.run("--export-ics", ics)
        check(code == 0 and out == "", f"export status {code}: {err}")
        check(err == "Nicht im Kalender, weil ohne gültiges Geburtsdatum: 1 Datensatz\n",
              f"the record of 31 April is reported: {err!r}")
        raw = open(ics, "rb").read()
        lines = raw.split(b"\r\n")
        check(lines[-1] == b"" and all(b"\n" not in l and len(l) <= 75 for l in lines),
              "CR LF after every line, none longer than 75 octets")
        cal = icalendar.Calendar.from_ical(raw)
        check(str(cal["VERSION"]) == "2.0" and "PRODID" in cal, "calendar header")
        events = list(cal.walk("VEVENT"))
        check(len(events) == 10, f"one event per record with a real date ({len(events)})")
        check(all("DTSTAMP" in e and "UID" in e for e in events), "UID and DTSTAMP")

        got = occurrences(cal, D(2026, 1, 1), D(2030, 1, 1))
        for uid, days in EXPECTED.items():
            check([g[0] for g in got.get(uid, [])] == days,
                  f"{uid}: occurrences {[str(g[0]) for g in got.get(uid, [])]}")
            check(all(g[1] == SUMMARIES[uid] for g in got.get(uid, [])), f"{uid}: summary")
        check(set(got) == set(EXPECTED), f"no other events: {sorted(got)}")
        for uid in ("natalix-8", "natalix-9"):
            check(all(g[2] == [] for g in got.get(uid, [])), f"{uid}: no alarm")
        for year, table in ((2026, ALARMS_2026), (2028, ALARMS_2028)):
            for uid, alarms in table.items():
                occ = [g for g in got.get(uid, []) if g[0].year == year]
                if uid == "natalix-6":  # the alarm of 5 January 2026 rings in 2025
                    occ = [g for g in got.get(uid, []) if g[0] == D(2026, 1, 5)]
                check(len(occ) == 1 and occ[0][2] == sorted(alarms),
                      f"{uid} {year}: alarms {occ[0][2] if occ else None}")

        # The same list exported again gives the same bytes; a corrected name keeps the UID.
        again = os.path.join(root, "nochmal.ics")
        f.run("--export-ics", again)
        check(open(again, "rb").read() == raw, "a second export gives the same bytes")

    if failures:
        print(f"0 passed, {len(failures)} failed")
        sys.exit(1)
    print("calendar as expected")


main()
