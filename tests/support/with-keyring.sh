#!/bin/sh
# Runs a command on a session bus of its own with an unlocked Secret Service (the GNOME
# keyring, unlocked with a test password), in a HOME of its own that is removed afterwards.
# Nothing reaches the user's own keyring or display.
set -eu
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
export HOME="$home" XDG_RUNTIME_DIR="$home/run" XDG_DATA_HOME="$home/data" \
    XDG_CONFIG_HOME="$home/config" XDG_CACHE_HOME="$home/cache"
mkdir -m 700 "$XDG_RUNTIME_DIR"
unset DISPLAY WAYLAND_DISPLAY DBUS_SESSION_BUS_ADDRESS
dbus-run-session -- sh -c 'printf %s natalix-test |
    gnome-keyring-daemon --unlock --components=secrets >/dev/null 2>&1 && exec "$@"' with-keyring "$@"
