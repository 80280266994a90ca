#!/usr/bin/python3
"""Starts Natalix on an X server of its own with Qt's accessibility bridge on and reads from
the AT-SPI tree what a screen reader gets of the main window: no input without a name, and a
few names as the window sets them (the windows' own tests check every name through Qt).
Usage, under dbus-run-session: check_accessibility.py NATALIX. Exit 0 when all is there, 1 with
the findings, 77 where no accessibility bus can run.
"""
import os
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "desktop"))
from desktopsession import start_x, stop  # noqa: E402

SKIP = 77
MAIN = [("text", "Name"), ("table", "Geburtstagsliste"), ("combo box", "Geburtsjahr"),
        ("combo box", "1. Erinnerung"), ("push button", "Nächster Datensatz")]
INPUT_ROLES = {"text", "combo box", "push button", "check box", "radio button", "table"}


def walk(root, depth=30):
    """Every object below root as (role, name, an input shown, object), read in one go. The
    window changes while it is read: a walk that meets an object gone meanwhile is worth
    nothing and gives None; the caller reads again."""
    out = []

    def visit(node, level):
        st = node.getState()
        shown = st.contains(pyatspi.STATE_SHOWING) and st.contains(pyatspi.STATE_FOCUSABLE)
        out.append((node.getRoleName(), node.name or "", shown, node))
        for i in range(node.childCount if level < depth else 0):
            visit(node.getChildAtIndex(i), level + 1)
    try:
        visit(root() if callable(root) else root, 0)
        return out
    except Exception:
        return None


def settled(root, done, seconds=20, depth=30):
    """The first whole walk for which done(walk) holds; the last whole walk when time is up."""
    deadline, last = time.monotonic() + seconds, []
    while time.monotonic() < deadline:
        now = walk(root, depth)
        if now is not None:
            if done(now):
                return now
            last = now
        time.sleep(0.3)
    return last


def named(tree, role, name):
    return next((n for n in tree if n[0] == role and n[1] == name), None)


def wrong_in(tree, expected, where):
    present = {(n[0], n[1]) for n in tree}
    wrong = [f"{where}: no {r} named {m!r}" for r, m in expected if (r, m) not in present]
    return wrong + sorted({f"{where}: a {n[0]} without a name" for n in tree
                           if n[0] in INPUT_ROLES and n[2] and not n[1].strip()})


def findings(window, expected, where):
    """What is wrong with a window, read until all is there or time is up. Only what a second
    whole walk shows again counts: an object caught halfway through a change is no finding."""
    tree = settled(window, lambda t: not wrong_in(t, expected, where))
    wrong = wrong_in(tree, expected, where)
    if wrong:
        again = wrong_in(settled(window, lambda t: True), expected, where)
        wrong = [w for w in wrong if w in again]
    return wrong


def check(application):
    frame = named(settled(application, lambda t: named(t, "frame", "Natalix"), 40, 1),
                  "frame", "Natalix")  # the window: a child of the application
    if frame is None:
        return ["no window of Natalix within 40 s"]
    return findings(frame[3], MAIN, "main window")


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
            started.append(subprocess.Popen([sys.argv[1], "--datadir", home + "/daten"],
                                            env=env, stdin=subprocess.DEVNULL,
                                            start_new_session=True))

            def application():
                return next(a for a in pyatspi.Registry.getDesktop(0)
                            if a is not None and a.name == "Natalix")

            wrong = check(application)
            print("check_accessibility: " + ("; ".join(wrong) or "all inputs named"))
            return 1 if wrong else 0
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
