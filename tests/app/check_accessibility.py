#!/usr/bin/python3
"""check_accessibility.py NATALIX, under dbus-run-session: starts Natalix on an X server of its
own with Qt's accessibility bridge on and reads from the AT-SPI tree what a screen reader gets
of the main window: every input shown has a name, the name box's among them (the windows' own
tests check each name through Qt). Exit 0 when all is named, 1 with the findings, 77 where no accessibility bus runs.
"""
import os
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "desktop"))
from desktopsession import start_x, stop  # noqa: E402

INPUT_ROLES = {"text", "combo box", "push button", "check box", "radio button", "table"}
SEEN = ("text", "Name")  # names reach the reader at all


def findings(pyatspi):
    """What is wrong in the main window, or None while it is not there or changed as it was
    read (an object gone meanwhile): such a walk is worth nothing."""
    wrong, seen = set(), set()

    def visit(node):
        st = node.getState()
        seen.add((node.getRoleName(), node.name))
        if (node.getRoleName() in INPUT_ROLES and not (node.name or "").strip()
                and st.contains(pyatspi.STATE_SHOWING) and st.contains(pyatspi.STATE_FOCUSABLE)):
            wrong.add(f"a {node.getRoleName()} without a name")
        for i in range(node.childCount):
            visit(node.getChildAtIndex(i))
    try:
        app = next(a for a in pyatspi.Registry.getDesktop(0) if a and a.name == "Natalix")
        visit(next(f for f in map(app.getChildAtIndex, range(app.childCount))
                   if f.getRoleName() == "frame" and f.name == "Natalix"))
        return sorted(wrong) + ([] if SEEN in seen else [f"no {SEEN[0]} named {SEEN[1]!r}"])
    except Exception:
        return None


def main(program):
    try:
        import pyatspi
    except ImportError:
        return print("check_accessibility: skipped, python3-pyatspi is not installed") or 77
    with tempfile.TemporaryDirectory() as home:
        server, display = start_x()
        started = [server]
        try:
            if not subprocess.run(["dbus-send", "--session", "--print-reply=literal",
                                   "--dest=org.a11y.Bus", "/org/a11y/bus",
                                   "org.a11y.Bus.GetAddress"],
                                  capture_output=True, text=True, timeout=20).stdout.strip():
                return print("check_accessibility: skipped, no accessibility bus starts") or 77
            env = dict(os.environ, DISPLAY=display, QT_QPA_PLATFORM="xcb", HOME=home,
                       QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", NATALIX_NOW="2025-03-07T09:00:00",
                       XDG_CONFIG_HOME=home + "/.config", XDG_DATA_HOME=home + "/.local/share",
                       # libxkbcommon-x11 reads keymap names past what strict checks allow
                       ASAN_OPTIONS="detect_leaks=0:abort_on_error=1")
            started.append(subprocess.Popen([program, "--datadir", home + "/daten"], env=env,
                                            stdin=subprocess.DEVNULL, start_new_session=True))
            # Read until a whole walk finds nothing. A finding counts only if the walk before
            # showed it too: an object caught halfway through a change is none.
            deadline, before, now = time.monotonic() + 60, None, None
            while time.monotonic() < deadline and now != []:
                if (walk := findings(pyatspi)) is not None:
                    before, now = now, walk
                time.sleep(0.3)
            wrong = ["no window of Natalix within 60 s"] if now is None else [
                w for w in now if before is None or w in before]
            print("check_accessibility: " + ("; ".join(wrong) or "all inputs named"))
            return 1 if wrong else 0
        finally:
            for process in reversed(started):
                stop(process)


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    if not os.environ.get("DBUS_SESSION_BUS_ADDRESS"):
        print("check_accessibility: skipped, no session bus (run it under dbus-run-session)")
        sys.exit(77)
    sys.exit(main(sys.argv[1]))
