#!/usr/bin/python3
"""Starts Natalix on an X server of its own with Qt's accessibility bridge on and reads what a
screen reader gets from the AT-SPI tree: the names of the main window's inputs, and of the
options dialog opened through its menu item; no input there may go without a name. Tab
pressed in the grid must lead out of it (no keyboard trap).

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


def described(root):
    """(object, role, name, state) of every object below root. The window changes while it is
    read: an object that has gone by the time it is asked ("No such object path") is left
    out, as if the walk had come a moment later."""
    for n in nodes(root):
        try:
            yield n, n.getRoleName(), n.name or "", n.getState()
        except Exception:
            continue


def find(root, role, name, seconds):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        try:
            top = root() if callable(root) else root
        except Exception:  # the application went away or is not registered yet
            top = None
        for n, r, m, _ in described(top):
            if r == role and (name is None or m == name):
                return n
        time.sleep(0.5)
    return None


def focused(root):
    """The focused objects below root, as (object, role, name)."""
    return [(n, r, m) for n, r, m, st in described(root) if st.contains(pyatspi.STATE_FOCUSED)]


def inside(node, ancestor):
    """Whether node lies in ancestor's subtree (an object that has gone counts as not)."""
    try:
        while node is not None:
            if node == ancestor:
                return True
            node = node.parent
    except Exception:
        pass
    return False


def keyboard_trap(frame):
    """What is wrong when Tab is pressed in the grid: None when the focus leaves it."""
    table = find(frame, "table", "Geburtstagsliste", 5)
    if table is None:
        return "no grid to press Tab in"
    # A click into the grid, as a user's: it also makes the window the active one, which no
    # window manager does here, so that the keys reach it.
    try:
        box = table.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    except Exception:
        return "the grid has no place on the screen"
    pyatspi.Registry.generateMouseEvent(box.x + box.width // 2, box.y + box.height // 2, "b1c")
    deadline = time.monotonic() + 20
    while not any(inside(n, table) for n, _, _ in focused(frame)):
        if time.monotonic() > deadline:
            return "the grid did not take the focus"
        time.sleep(0.5)
    pyatspi.Registry.generateKeyboardEvent(0xFF09, None, pyatspi.KEY_SYM)  # Tab
    deadline = time.monotonic() + 20
    while time.monotonic() < deadline:
        now = [(r, m) for n, r, m in focused(frame) if r in INPUT_ROLES and not inside(n, table)]
        if now:
            return None
        time.sleep(0.5)
    return "Tab in the grid did not lead out of it (a keyboard trap)"


def findings(window, expected, where, seconds=20):
    """What is wrong with one window, read until every expected name shows (in time)."""
    deadline, seen = time.monotonic() + seconds, []
    while time.monotonic() < deadline:
        seen = [(r, m, st) for _, r, m, st in described(window)]
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
            trap = keyboard_trap(frame)
            if trap:
                wrong.append("main window: " + trap)
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
            print(f"check_accessibility: {len(MAIN) + len(OPTIONS)} names among {count} objects, "
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
