#!/usr/bin/python3
"""Starts Natalix on an X server of its own with Qt's accessibility bridge on and reads what a
screen reader gets from the AT-SPI tree: the names of the main window's inputs and of the
options dialog opened through its menu item (no input without a name), and that Tab in the
grid leads out of it. Run it under dbus-run-session. Usage: check_accessibility.py NATALIX.
Exit 0 when all is there, 1 with the findings, 77 where no accessibility bus can run.
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


def walk(root):
    """Every object below root as (path, role, name, an input shown, focused, object), read in
    one go. The window changes while it is read: a walk that meets an object gone meanwhile
    ("No such object path") is worth nothing and gives None; the caller reads again."""
    out = []

    def visit(node, path):
        st = node.getState()
        shown = st.contains(pyatspi.STATE_SHOWING) and st.contains(pyatspi.STATE_FOCUSABLE)
        out.append((path, node.getRoleName(), node.name or "", shown,
                    st.contains(pyatspi.STATE_FOCUSED), node))
        for i in range(node.childCount if len(path) < 30 else 0):
            visit(node.getChildAtIndex(i), path + (i,))
    try:
        visit(root() if callable(root) else root, ())
        return out
    except Exception:
        return None


def settled(root, done, seconds=20):
    """The tree once two whole walks in a row read the same and done(walk) holds: findings
    are never taken from a window halfway through a change. The last walk when time is up."""
    deadline, last = time.monotonic() + seconds, None
    while time.monotonic() < deadline:
        now = walk(root)
        if now is not None and last is not None and done(now) and \
                [n[:5] for n in now] == [n[:5] for n in last]:
            return now
        last = now if now is not None else last
        time.sleep(0.3)
    return last or []


def named(tree, role, name):
    return next((n for n in tree if n[1] == role and n[2] == name), None)


def findings(tree, expected, where):
    present = {(n[1], n[2]) for n in tree}
    wrong = [f"{where}: no {r} named {m!r}" for r, m in expected if (r, m) not in present]
    return wrong + sorted({f"{where}: a {n[1]} without a name" for n in tree
                           if n[1] in INPUT_ROLES and n[3] and not n[2].strip()})


def keyboard_trap(frame, table):
    """What is wrong when Tab is pressed in the grid: None when the focus leaves it."""
    inside = lambda n: n[0][:len(table[0])] == table[0]  # noqa: E731
    try:
        box = table[5].queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    except Exception:
        return "the grid has no place on the screen"
    # A click, as a user's, also makes the window the active one, so that the keys reach it.
    pyatspi.Registry.generateMouseEvent(box.x + box.width // 2, box.y + box.height // 2, "b1c")
    if not settled(frame, lambda t: any(n[4] and inside(n) for n in t)):
        return "the grid did not take the focus"
    pyatspi.Registry.generateKeyboardEvent(0xFF09, None, pyatspi.KEY_SYM)  # Tab
    left = settled(frame, lambda t: any(n[4] and n[1] in INPUT_ROLES and not inside(n)
                                        for n in t))
    if not any(n[4] and n[1] in INPUT_ROLES and not inside(n) for n in left):
        return "Tab in the grid did not lead out of it (a keyboard trap)"
    return None


def check(application):
    app = settled(application, lambda t: any(n[1] == "frame" and n[2] == "Natalix" for n in t), 40)
    frame = named(app, "frame", "Natalix")
    if frame is None:
        return ["no window of Natalix within 40 s"]
    main = settled(frame[5], lambda t: not findings(t, MAIN, "main window"))
    wrong = findings(main, MAIN, "main window")
    table = named(main, "table", "Geburtstagsliste")
    trap = keyboard_trap(frame[5], table) if table else None
    wrong += ["main window: " + trap] if trap else []
    item = named(main, "menu item", "Optionen...")
    try:  # the dialog runs inside the call, so its answer may come only at the close
        item[5].queryAction().doAction(0)
    except Exception:
        pass
    app = settled(application, lambda t: named(t, "dialog", "Optionen") is not None)
    dialog = named(app, "dialog", "Optionen")
    if dialog is None:
        return wrong + ["the options dialog did not open through its menu item"]
    return wrong + findings(settled(dialog[5], lambda t: not findings(t, OPTIONS, "options")),
                            OPTIONS, "options")


def main():
    started = []
    with tempfile.TemporaryDirectory() as home:
        try:
            server, display = start_x()
            started.append(server)
            # The registry daemon, started by the bus on demand, sends the test's keys and
            # clicks to this X server only when it knows it.
            subprocess.run(["dbus-update-activation-environment", f"DISPLAY={display}"],
                           capture_output=True, timeout=20)
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
            started.append(subprocess.Popen([sys.argv[1], "--datadir", home + "/daten"],
                                            env=env, stdin=subprocess.DEVNULL,
                                            start_new_session=True))

            def application():
                return next(a for a in pyatspi.Registry.getDesktop(0)
                            if a is not None and a.name == "Natalix")

            wrong = check(application)
            if wrong:
                print("check_accessibility: " + "; ".join(wrong))
                return 1
            print(f"check_accessibility: {len(MAIN) + len(OPTIONS)} names, "
                  "Tab leads out of the grid")
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
