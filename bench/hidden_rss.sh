#!/usr/bin/env bash
# Resident memory of the hidden program (`natalix /auto`) with 10,000 birthdays, beside its
# limit of 40 MB: read from /proc after the start window has closed and the first scan ran,
# once with the offscreen platform and once on a virtual X server (Xvfb).
#
# Environment: COUNT (default 10000), LIMIT_MB (default 40).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/bench"
count=${COUNT:-10000}
limit=${LIMIT_MB:-40}

missing=()
command -v Xvfb >/dev/null || missing+=(xvfb)
if ((${#missing[@]})); then
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo=sudo
    $sudo apt-get update
    $sudo apt-get install -y "${missing[@]}"
fi

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DNATALIX_TESTS=OFF >/dev/null
cmake --build "$build" --target natalix >/dev/null
natalix="$build/natalix"

work=$(mktemp -d)
display=""
trap '[ -n "$display" ] && kill "$display" 2>/dev/null; rm -rf "$work"' EXIT
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

# Starts the hidden program, waits for the start window and the first scan, prints its RSS.
measure() {
    local label=$1
    shift
    env HOME="$work" XDG_RUNTIME_DIR="$work" "$@" "$natalix" /auto --datadir "$work/daten" \
        >/dev/null 2>&1 &
    local pid=$!
    sleep 7
    local rss
    rss=$(awk '/^VmRSS:/ {print $2}' "/proc/$pid/status")
    local anon file
    anon=$(awk '/^RssAnon:/ {print $2}' "/proc/$pid/status")
    file=$(awk '/^RssFile:/ {print $2}' "/proc/$pid/status")
    kill "$pid"
    wait "$pid" 2>/dev/null || true
    awk -v l="$label" -v r="$rss" -v a="$anon" -v f="$file" -v lim="$limit" 'BEGIN {
        printf "%-28s RSS %6.1f MB (heap and stack %5.1f, files %5.1f)   limit %d MB  %s\n",
            l, r / 1024, a / 1024, f / 1024, lim, (r / 1024 <= lim ? "met" : "NOT MET") }'
}

echo "natalix /auto with $count birthdays:"
measure "offscreen" QT_QPA_PLATFORM=offscreen
Xvfb :91 -screen 0 1280x1024x24 >/dev/null 2>&1 &
display=$!
sleep 1
measure "Xvfb (xcb)" DISPLAY=:91 QT_QPA_PLATFORM=xcb
