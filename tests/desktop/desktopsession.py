#!/usr/bin/python3
"""Runs one test on a session bus of its own and, with --x11, on an X server of its own.

Everything it starts is stopped when the test ends or the time is up; a test that runs out
of time fails.  Usage: desktopsession.py [--x11] [--timeout S] -- COMMAND ARGS...
"""
import argparse
import os
import random
import select
import signal
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))


def read_line(stream_fd, timeout, what):
    ready, _, _ = select.select([stream_fd], [], [], timeout)
    if not ready:
        sys.exit(f"desktopsession: {what} did not start within {timeout} s")
    line = b""
    while not line.endswith(b"\n"):
        chunk = os.read(stream_fd, 1)
        if not chunk:
            break
        line += chunk
    return line.decode().strip()


def start_bus():
    bus = subprocess.Popen(
        ["dbus-daemon", "--config-file", os.path.join(HERE, "session-bus.conf"),
         "--nofork", "--print-address=1"],
        stdout=subprocess.PIPE, stdin=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
        start_new_session=True)
    address = read_line(bus.stdout.fileno(), 10, "dbus-daemon")
    if not address:
        sys.exit("desktopsession: dbus-daemon gave no address")
    return bus, address


def start_x():
    # The first free display may be taken at the same moment by a server of another test;
    # ours then ends at once, and the next try takes a display number of its own.
    for attempt in range(5):
        server, display = start_x_once(None if attempt == 0 else random.randrange(100, 900))
        time.sleep(0.5)
        if server.poll() is None:
            return server, display
    sys.exit("desktopsession: Xvfb ended right after its start, five times")


def start_x_once(number):
    read_end, write_end = os.pipe()
    server = subprocess.Popen(
        ["Xvfb"] + ([f":{number}"] if number else []) +
        ["-displayfd", str(write_end), "-screen", "0", "1280x800x24",
         "-nolisten", "tcp", "-noreset"],
        pass_fds=(write_end,), stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
        stderr=subprocess.DEVNULL, start_new_session=True)
    os.close(write_end)
    number = read_line(read_end, 15, "Xvfb")
    os.close(read_end)
    if not number:
        sys.exit("desktopsession: Xvfb gave no display")
    return server, ":" + number


def stop(process):
    if process.poll() is None:
        os.killpg(process.pid, signal.SIGTERM)
        try:
            process.wait(5)
        except subprocess.TimeoutExpired:
            os.killpg(process.pid, signal.SIGKILL)
            process.wait()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--x11", action="store_true")
    parser.add_argument("--timeout", type=int, default=120)
    parser.add_argument("command", nargs=argparse.REMAINDER)
    args = parser.parse_args()
    command = args.command[1:] if args.command[:1] == ["--"] else args.command
    env = dict(os.environ)
    started = []
    try:
        bus, address = start_bus()
        started.append(bus)
        env["DBUS_SESSION_BUS_ADDRESS"] = address
        if args.x11:
            server, display = start_x()
            started.append(server)
            env["DISPLAY"] = display
            env["QT_QPA_PLATFORM"] = "xcb"
        else:
            env.pop("DISPLAY", None)
        test = subprocess.Popen(command, env=env, start_new_session=True)
        started.append(test)
        try:
            return test.wait(args.timeout)
        except subprocess.TimeoutExpired:
            print(f"desktopsession: {command[0]} did not finish within {args.timeout} s",
                  file=sys.stderr)
            return 124
    finally:
        for process in reversed(started):
            stop(process)


if __name__ == "__main__":
    sys.exit(main())
