#!/usr/bin/env bash
# The hidden program (`natalix /auto`) with 10,000 birthdays after five minutes, beside its
# limits: resident memory (34 MiB) and wake-ups a minute (62: the second-start poll once a
# second and the day's timer once a minute, nothing else). Read from /proc, all at once in
# one run: with the offscreen platform and on a virtual X server (Xvfb), and with BASELINE
# set (the path of another build's `natalix`) that build too, side by side.
#
# Wake-ups are the voluntary context switches of all the program's threads (each one a sleep
# that something ended), counted over the fifth minute.
#
# Environment: COUNT (default 10000), MINUTES (default 5), LIMIT_MIB (34), LIMIT_WAKEUPS (62),
# BASELINE (optional), BUILD_DIR (default build/bench).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build="${BUILD_DIR:-$root/build/bench}"
count=${COUNT:-10000}
minutes=${MINUTES:-5}
limit=${LIMIT_MIB:-34}
wakeLimit=${LIMIT_WAKEUPS:-62}

missing=()
command -v Xvfb >/dev/null || missing+=(xvfb)
if ((${#missing[@]})); then
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo=sudo
    $sudo apt-get update
    $sudo apt-get install -y "${missing[@]}"
fi

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DNATALIX_TESTS=OFF \
    "${launcher[@]}" >/dev/null
cmake --build "$build" --target natalix >/dev/null
natalix="$build/natalix"

work=$(mktemp -d)
pids=()
display=""
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    [ -n "$display" ] && kill "$display" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
LC_ALL=C awk -v n="$count" 'BEGIN {
    seed = 20250307
    printf " %d \r\n", n
    for (i = 1; i <= n; i++) {
        seed = (seed * 16807) % 2147483647; year = 1925 + seed % 99
        seed = (seed * 16807) % 2147483647; month = 1 + seed % 12
        seed = (seed * 16807) % 2147483647; d = 1 + seed % 28
        printf " %d \r\nPerson %d\r\n %d \r\n %d \r\n %d \r\n", i, i, year, month, d
        printf "1 Woche vorher\r\n1 Tag vorher\r\nAm Tage des Geburtstages\r\n1. Geburtstag\r\nj\344hrlich\r\n"
    }
}' >"$work/liste.nxd"
"$natalix" --import "$work/liste.nxd" --datadir "$work/daten"
"$natalix" --scan --datadir "$work/daten" >/dev/null

Xvfb :91 -screen 0 1280x1024x24 >/dev/null 2>&1 &
display=$!

# Voluntary context switches of every thread of a process.
switches() {
    cat /proc/"$1"/task/*/status 2>/dev/null | awk '/^voluntary_ctxt_switches:/ {s += $2} END {print s + 0}'
}

# Starts one hidden program on a data folder of its own; prints its pid.
labels=()
start() {
    local label=$1 program=$2
    shift 2
    local data="$work/daten-${#labels[@]}"
    cp -r "$work/daten" "$data"
    env -u DBUS_SESSION_BUS_ADDRESS HOME="$work" XDG_RUNTIME_DIR="$work" "$@" \
        "$program" /auto --datadir "$data" >/dev/null 2>&1 &
    pids+=($!)
    labels+=("$label")
}

start "offscreen" "$natalix" QT_QPA_PLATFORM=offscreen
start "Xvfb (xcb)" "$natalix" DISPLAY=:91 QT_QPA_PLATFORM=xcb
if [ -n "${BASELINE:-}" ]; then
    start "offscreen, baseline" "$BASELINE" QT_QPA_PLATFORM=offscreen
    start "Xvfb (xcb), baseline" "$BASELINE" DISPLAY=:91 QT_QPA_PLATFORM=xcb
fi

sleep $(((minutes - 1) * 60))
before=()
for p in "${pids[@]}"; do before+=("$(switches "$p")"); done
sleep 60

echo "natalix /auto with $count birthdays, after $minutes minutes (load $(cut -d' ' -f1-3 /proc/loadavg)):"
for i in "${!pids[@]}"; do
    p=${pids[$i]}
    status=/proc/$p/status
    if [ ! -e "$status" ]; then
        echo "${labels[$i]}: the program has ended"
        continue
    fi
    awk -v l="${labels[$i]}" -v lim="$limit" -v wl="$wakeLimit" \
        -v w="$(($(switches "$p") - ${before[$i]}))" '
        /^VmRSS:/ {r = $2} /^RssAnon:/ {a = $2} /^RssFile:/ {f = $2}
        END {
            printf "%-22s RSS %5.1f MiB (heap and stack %4.1f, files %4.1f)  limit %d MiB %-8s" \
                   "  wake-ups %3d a minute  limit %d %s\n",
                l, r / 1024, a / 1024, f / 1024, lim, (r / 1024 <= lim ? "met" : "NOT MET"),
                w, wl, (w <= wl ? "met" : "NOT MET") }' "$status"
done
