#!/usr/bin/python3
"""desktopsession.py [... --] COMMAND ARGS: one test on a session bus and an X server of its own,
all stopped when it ends or after 120 s (out of time, it fails); what precedes "--" is ignored."""
import os, random, select, signal, subprocess, sys, time  # noqa: E401


def spawn(args, stderr=subprocess.DEVNULL, **kwargs):
    return subprocess.Popen(args, stdin=subprocess.DEVNULL, stderr=stderr,
                            start_new_session=True, **kwargs)


def first_line(fd, what):
    """What a starting server writes first (its address or display), within 15 s."""
    if not select.select([fd], [], [], 15)[0]:
        sys.exit(f"desktopsession: {what} did not start in time")
    line = b""
    while not line.endswith(b"\n") and (chunk := os.read(fd, 1)):
        line += chunk
    return line.decode().strip() or sys.exit(f"desktopsession: {what} ended at its start")


def start_x():
    # The first free display may be taken at the same moment by a server of another test;
    # ours then ends at once, and the next try takes a display number of its own.
    for attempt in range(5):
        read_end, write_end = os.pipe()
        server = spawn(["Xvfb", *([f":{random.randrange(100, 900)}"] if attempt else []),
                        "-displayfd", str(write_end), "-screen", "0", "1280x800x24",
                        "-nolisten", "tcp", "-noreset"], pass_fds=(write_end,),
                       stdout=subprocess.DEVNULL)
        os.close(write_end)
        display = ":" + first_line(read_end, "Xvfb")
        os.close(read_end)
        time.sleep(0.5)
        if server.poll() is None:
            return server, display
    sys.exit("desktopsession: Xvfb ended right after its start, five times")


def stop(process):
    if process.poll() is None:
        os.killpg(process.pid, signal.SIGTERM)
        try:
            process.wait(5)
        except subprocess.TimeoutExpired:
            os.killpg(process.pid, signal.SIGKILL)


def main():
    env, started = dict(os.environ, QT_QPA_PLATFORM="xcb"), []
    try:
        # No services to start on demand: only what the test starts answers on this bus.
        started.append(spawn(["dbus-daemon", "--nofork", "--print-address=1", "--config-file",
                              os.path.join(os.path.dirname(__file__), "session-bus.conf")],
                             stdout=subprocess.PIPE))
        env["DBUS_SESSION_BUS_ADDRESS"] = first_line(started[0].stdout.fileno(), "dbus")
        server, env["DISPLAY"] = start_x()
        command = sys.argv[sys.argv.index("--") + 1:] if "--" in sys.argv else sys.argv[1:]
        started += [server, spawn(command, env=env, stderr=None)]
        try:
            return started[-1].wait(120)
        except subprocess.TimeoutExpired:
            print(f"desktopsession: {command[0]} did not finish within 120 s", file=sys.stderr)
            return 124
    finally:
        for process in reversed(started):
            stop(process)


if __name__ == "__main__":
    sys.exit(main())
