#!/usr/bin/python3
"""Starts Natalix on an X server of its own with Qt's accessibility bridge on and reads what a
screen reader gets from the AT-SPI tree: the names of the main window's inputs, and of the
options dialog opened through its menu item; no input there may go without a name.

Run it under dbus-run-session, whose session bus starts the accessibility bus on demand.
Usage: check_accessibility.py NATALIX_BINARY. Exit 0 when every name is there, 1 with the
findings, 77 (with the reason) where no accessibility bus can run.
"""
import os
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "desktop"))
from desktopsession import start_x, stop  # noqa: E402

SKIP = 77
REMINDERS = [("combo box", n) for n in ("1. Erinnerung", "2. Erinnerung", "3. Erinnerung",
                                         "Beginn der Erinnerungen", "Zyklus der Erinnerungen")]
MAIN = REMINDERS + [("text", "Name"), ("table", "Geburtstagsliste")] + \
    [("combo box", n) for n in ("Geburtsjahr", "Geburtsmonat", "Geburtstag")] + \
    [("push button", n + " Datensatz") for n in ("Erster", "Vorheriger", "Nächster", "Letzter")]
OPTIONS = REMINDERS + [
    ("radio button", "Datums-Anzeige im Hauptfenster: alte Anzeige (22.12.1971)"),
    ("radio button", "Datums-Anzeige beim Drucken: neue Anzeige (1971-12-22)"),
    ("check box", "Natalix bei der Anmeldung im Hintergrund starten")]
INPUT_ROLES = {"text", "combo box", "push button", "check box", "radio button", "table"}


def nodes(node, depth=0):
    """Every object below node, bounded in depth; one that goes away meanwhile is left out."""
    if node is None or depth > 30:
        return
    try:
        yield node
        for i in range(node.childCount):
            yield from nodes(node.getChildAtIndex(i), depth + 1)
    except Exception:
        return


def find(root, role, name, seconds):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        for n in nodes(root() if callable(root) else root):
            if n.getRoleName() == role and (name is None or n.name == name):
                return n
        time.sleep(0.5)
    return None


def findings(window, expected, where, seconds=20):
    """What is wrong with one window, read until every expected name shows (in time)."""
    deadline, seen = time.monotonic() + seconds, []
    while time.monotonic() < deadline:
        seen = [(n.getRoleName(), n.name or "", n.getState()) for n in nodes(window)]
        if all((r, m) in {(s[0], s[1]) for s in seen} for r, m in expected):
            break
        time.sleep(0.5)
    present = {(r, m) for r, m, _ in seen}
    wrong = [f"{where}: no {r} named {m!r}" for r, m in expected if (r, m) not in present]
    wrong += sorted({f"{where}: a {r} without a name" for r, m, st in seen
                     if r in INPUT_ROLES and not m.strip() and st.contains(pyatspi.STATE_SHOWING)
                     and st.contains(pyatspi.STATE_FOCUSABLE)})
    return wrong, len(seen)


def main():
    started = []
    with tempfile.TemporaryDirectory() as home:
        try:
            server, display = start_x()
            started.append(server)
            address = subprocess.run(
                ["dbus-send", "--session", "--print-reply=literal", "--dest=org.a11y.Bus",
                 "/org/a11y/bus", "org.a11y.Bus.GetAddress"],
                capture_output=True, text=True, timeout=20).stdout.strip()
            if not address:
                print("check_accessibility: skipped, no accessibility bus (org.a11y.Bus) starts")
                return SKIP
            env = dict(os.environ, DISPLAY=display, QT_QPA_PLATFORM="xcb", HOME=home,
                       QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", NATALIX_NOW="2025-03-07T09:00:00",
                       XDG_CONFIG_HOME=home + "/.config", XDG_DATA_HOME=home + "/.local/share",
                       # libxkbcommon-x11 reads keymap names past what strict checks allow
                       ASAN_OPTIONS="detect_leaks=0:abort_on_error=1")
            natalix = subprocess.Popen([sys.argv[1], "--datadir", home + "/daten"], env=env,
                                       stdin=subprocess.DEVNULL, start_new_session=True)
            started.append(natalix)

            def application():
                desktop = pyatspi.Registry.getDesktop(0)
                return next((a for a in desktop if a is not None and a.name == "Natalix"), None)

            frame = find(application, "frame", "Natalix", 40)
            if frame is None:
                print(f"check_accessibility: no window of Natalix within 40 s "
                      f"(the program {'ended' if natalix.poll() is not None else 'runs'})")
                return 1
            wrong, count = findings(frame, MAIN, "main window")
            item = find(frame, "menu item", "Optionen...", 5)
            try:  # the dialog runs inside the call, so its answer may come only at the close
                item.queryAction().doAction(0)
            except Exception:
                pass
            dialog = find(application, "dialog", "Optionen", 20)
            if dialog is None:
                wrong.append("the options dialog did not open through its menu item")
            else:
                more, n = findings(dialog, OPTIONS, "options")
                wrong, count = wrong + more, count + n
            if wrong:
                print("check_accessibility: " + "; ".join(wrong))
                return 1
            print(f"check_accessibility: {len(MAIN) + len(OPTIONS)} names among {count} objects")
            return 0
        finally:
            for process in reversed(started):
                stop(process)


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    try:
        import pyatspi
    except ImportError:
        print("check_accessibility: skipped, python3-pyatspi is not installed")
        sys.exit(SKIP)
    if not os.environ.get("DBUS_SESSION_BUS_ADDRESS"):
        print("check_accessibility: skipped, no session bus (run it under dbus-run-session)")
        sys.exit(SKIP)
    sys.exit(main())
