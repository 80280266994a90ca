#!/bin/sh
# Runs a command on a session bus of its own with an unlocked Secret Service (the GNOME
# keyring, unlocked with a test password), in a HOME of its own that is removed afterwards.
# Nothing reaches the user's own keyring or display. Where that keyring cannot run here, the
# command runs all the same with the reason in NATALIX_NO_KEYRING, and skips what needs it.
set -eu
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
export HOME="$home" XDG_RUNTIME_DIR="$home/run" XDG_DATA_HOME="$home/data" \
    XDG_CONFIG_HOME="$home/config" XDG_CACHE_HOME="$home/cache"
mkdir -m 700 "$XDG_RUNTIME_DIR"
unset DISPLAY WAYLAND_DISPLAY DBUS_SESSION_BUS_ADDRESS NATALIX_NO_KEYRING
dbus-run-session -- sh -c '
    log="$XDG_RUNTIME_DIR/keyring.log"
    if ! command -v gnome-keyring-daemon >/dev/null || ! command -v secret-tool >/dev/null; then
        export NATALIX_NO_KEYRING="gnome-keyring-daemon or secret-tool is not installed"
    elif ! printf %s natalix-test |
        timeout 20 gnome-keyring-daemon --unlock --components=secrets >/dev/null 2>"$log"; then
        export NATALIX_NO_KEYRING="gnome-keyring-daemon does not start: $(head -c 400 "$log")"
    elif ! printf x | timeout 20 secret-tool store --label=probe natalix-probe 1 2>"$log" ||
        [ "$(timeout 20 secret-tool lookup natalix-probe 1 2>>"$log")" != x ]; then
        export NATALIX_NO_KEYRING="the GNOME keyring does not store: $(head -c 400 "$log")"
    else
        timeout 20 secret-tool clear natalix-probe 1
    fi
    exec "$@"' with-keyring "$@"
