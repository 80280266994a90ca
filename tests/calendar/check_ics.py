#!/usr/bin/python3
"""`natalix --export-ics` read by independent readers: python3-icalendar parses and unescapes,
python3-recurring-ical-events expands 2026 to 2029. Usage: check_ics.py NATALIX"""
import datetime as dt
import os
import subprocess
import sys
import tempfile

import icalendar
import recurring_ical_events

NONE = "Keine Erinnerung"
D, M = dt.date, dt.datetime
# Nummer, Name, Jahr, Monat, Tag, reminders, start, cycle; the summary; the occurrences of
# 2026-2029; the alarms of the first of them as exported on 30 November 2025. Their texts are
# the lines of the next reminded birthday from the day of the export, that day included.
LIST = [
    # Ages 18, 28, 38: only 28 falls in these years.
    (3, "Zehner", 2000, 6, 15,
     ["2 Monate vorher", NONE, NONE, "18. Geburtstag", "alle 10 Jahre"], "Zehner (*2000)",
     [D(2028, 6, 15)], [(M(2028, 4, 14), "Zehner wird am 15.6.2028 28 Jahre alt ...")]),
    # No year: no age, the summary without one; 29 February only in leap years.
    (5, "Kim Schaltjahr", 0, 2, 29, ["1 Monat vorher", NONE, NONE, "1. Geburtstag", "jährlich"],
     "Kim Schaltjahr", [D(2026, 3, 1), D(2027, 3, 1), D(2028, 2, 29), D(2029, 3, 1)],
     [(M(2026, 1, 29), "Kim Schaltjahr hat am 29.2.2026 Geburtstag ...")]),
    # Long enough to be folded, with what must be escaped; exported on the birthday.
    (7, "Groß, Jürgen; Öztürk-Ähnlichkeitsprüfung", 1950, 11, 30,
     ["Am Tage des Geburtstages", NONE, NONE, "1. Geburtstag", "jährlich"],
     "Groß, Jürgen; Öztürk-Ähnlichkeitsprüfung (*1950)", [D(y, 11, 30) for y in range(2026, 2030)],
     [(M(2026, 11, 30), "Groß, Jürgen; Öztürk-Ähnlichkeitsprüfung wird heute 75 Jahre alt ...")]),
    # No event.
    (10, "Einunddreißigster April", 1990, 4, 31, [NONE] * 3 + ["1. Geburtstag", "jährlich"]),
]


def run(root, *args):
    env = dict(os.environ, HOME=root, XDG_CONFIG_HOME=root, XDG_DATA_HOME=root + "/share",
               XDG_CACHE_HOME=root + "/cache", QT_QPA_PLATFORM="offscreen", LC_ALL="C.UTF-8",
               TZ="Europe/Berlin", NATALIX_NOW="2025-11-30T10:00:00")
    env.pop("NATALIX_DATADIR", None)
    p = subprocess.run([sys.argv[1], "--datadir", root + "/daten", *args], env=env,
                       capture_output=True, timeout=60)
    return p.returncode, p.stdout.decode(), p.stderr.decode()


def main():
    with tempfile.TemporaryDirectory() as root:
        lines = [f" {len(LIST)} "]
        for nummer, name, jahr, monat, tag, settings, *_ in LIST:
            lines += [f" {nummer} ", name, f" {jahr} ", f" {monat} ", f" {tag} ", *settings]
        with open(root + "/liste.nxd", "wb") as out:
            out.write("".join(l + "\r\n" for l in lines).encode("cp1252"))
        run(root, "--import", root + "/liste.nxd")
        code, out, err = run(root, "--export-ics", root + "/geburtstage.ics")
        assert code == 0 and out == "", f"export status {code}: {err}"
        assert err == "Nicht im Kalender, weil ohne gültiges Geburtsdatum: 1 Datensatz\n", err
        cal = icalendar.Calendar.from_ical(open(root + "/geburtstage.ics", "rb").read())
    assert str(cal["VERSION"]) == "2.0" and "PRODID" in cal, "calendar header"
    got = {}
    for ev in recurring_ical_events.of(cal).between(D(2026, 1, 1), D(2030, 1, 1)):
        day = ev["DTSTART"].dt
        alarms = sorted((M.combine(day, dt.time()) + a["TRIGGER"].dt, str(a["DESCRIPTION"]))
                        for a in ev.walk("VALARM") if str(a["ACTION"]) == "DISPLAY")
        got.setdefault(str(ev["UID"]), []).append((day, str(ev["SUMMARY"]), alarms))
    # One event per record with a real date.
    assert sorted(got) == sorted(f"natalix-{r[0]}" for r in LIST if r[6:]), sorted(got)
    for nummer, *_, summary, days, alarms in (r for r in LIST if r[6:]):
        occ = got[f"natalix-{nummer}"]
        assert [o[:2] for o in occ] == [(d, summary) for d in days], occ
        assert occ[0][2] == alarms, occ[0][2]
    print("calendar as expected")


main()
