#!/usr/bin/python3
"""desktopsession.py COMMAND ARGS: one test on an X server and (dbus-run-session) a session bus
of its own, all stopped when it ends or after 120 s (out of time, it fails)."""
import os, random, select, signal, subprocess, sys  # noqa: E401


def stop(process):
    if process.poll() is None:
        os.killpg(process.pid, signal.SIGTERM)
        try:
            process.wait(5)
        except subprocess.TimeoutExpired:
            os.killpg(process.pid, signal.SIGKILL)


def start_x():
    # Xvfb picks a free display and names it once it listens; should a server of another test
    # take the same one at that moment, the next try takes a number of its own.
    for attempt in range(5):
        read_end, write_end = os.pipe()
        server = subprocess.Popen(
            ["Xvfb", *([f":{random.randrange(100, 900)}"] if attempt else []), "-displayfd",
             str(write_end), "-screen", "0", "1280x800x24", "-nolisten", "tcp", "-noreset"],
            pass_fds=(write_end,), start_new_session=True, stdin=subprocess.DEVNULL,
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end, "rb") as ready:  # the display's number once it is ready
            display = ready.readline().strip() if select.select([ready], [], [], 15)[0] else b""
        if display and server.poll() is None:
            return server, ":" + display.decode()
        stop(server)
    sys.exit("desktopsession: Xvfb did not start, five times")


def main():
    server, display = start_x()
    # No services to start on demand: only what the test starts answers on this bus.
    bus = "--config-file=" + os.path.join(os.path.dirname(__file__), "session-bus.conf")
    test = subprocess.Popen(["dbus-run-session", bus, "--", *sys.argv[1:]], start_new_session=True,
                            env=dict(os.environ, QT_QPA_PLATFORM="xcb", DISPLAY=display))
    try:
        return test.wait(120)
    except subprocess.TimeoutExpired:
        print(f"desktopsession: {sys.argv[1]} did not finish within 120 s", file=sys.stderr)
        return 124
    finally:
        stop(test)
        stop(server)


if __name__ == "__main__":
    sys.exit(main())
