#!/usr/bin/env bash
# Times one reminder scan, `natalix --scan`, against the programs people would use instead,
# over the same birthdays (10,000, then 100,000): Debian's `birthday` (a `Name=DD/MM/YYYY wN`
# line each) and `remind` (a REM line each, the age computed in the message), and against the
# floor. Every program runs as a fresh process, as cron would start it, with its output thrown
# away.
#
#   steady state   the second scan of the day: every due reminder is already marked, the
#                  file is as the program last left it (its stamp spares the check)
#   first of day   the first scan of the day after yesterday's (about 50 new reminders in
#                  10,000): before each timed run yesterday's database is put back, scanned
#                  and synced, untimed, so the markers are written durably in the timed run
#   floor          bench/scan_floor.cpp: SQLite's C API reading every field of every row,
#                  without Qt and without any check
#
# bench/pairs.cpp runs the commands in turn, round after round, and prints medians and the
# median of the per-round ratios beside their targets. `birthday` knows no day but today, so
# all of them are asked about today.
#
# Environment: COUNTS (default "10000 100000"), ROUNDS (default 40), BUILD_DIR (default
# build/bench), BENCH_DIR (where the data lies; default HOME).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build="${BUILD_DIR:-$root/build/bench}"
counts=${COUNTS:-10000 100000}
rounds=${ROUNDS:-40}
day=$(date +%F)
yesterday=$(date -d yesterday +%F)

missing=()
for tool in remind birthday; do
    command -v "$tool" >/dev/null || missing+=("$tool")
done
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
cmake --build "$build" --target natalix natalix_scan_floor natalix_pairs >/dev/null
natalix="$build/natalix"
floor="$build/bench/natalix_scan_floor"
pairs="$build/bench/natalix_pairs"

# On the disk of the user's data, not in a memory file system: the durable write counts.
work=$(mktemp -d "${BENCH_DIR:-$HOME}/natalix-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT
echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)"

for count in $counts; do
    here="$work/$count"
    mkdir -p "$here"
    list="$here/geburtstage.nxd"
    rem="$here/geburtstage.rem"
    bd="$here/birthdays"
    # The same birthdays three times: a list file (Windows-1252, CR LF), a remind file and a
    # birthday file whose lead time is the longest reminder of the record. Day 29 and later
    # are left out, where the programs would differ in non-leap years.
    LC_ALL=C awk -v n="$count" -v list="$list" -v rem="$rem" -v bd="$bd" 'BEGIN {
        split("Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec", mon, " ")
        split("Mueller Schmidt Schneider Fischer Weber Meyer Wagner Becker Schulz Hoffmann", last, " ")
        r1[1] = "1 Woche vorher";   r2[1] = "1 Tag vorher";      r3[1] = "Am Tage des Geburtstages"; lead[1] = 7
        r1[2] = "2 Wochen vorher";  r2[2] = "Keine Erinnerung";  r3[2] = "Keine Erinnerung";         lead[2] = 14
        r1[3] = "Am Tage des Geburtstages"; r2[3] = "Keine Erinnerung"; r3[3] = "Keine Erinnerung";  lead[3] = 0
        r1[4] = "3 Tage vorher";    r2[4] = "1 Tag vorher";      r3[4] = "Keine Erinnerung";         lead[4] = 3
        seed = 20250307
        printf " %d \r\n", n > list
        for (i = 1; i <= n; i++) {
            seed = (seed * 16807) % 2147483647; year = 1925 + seed % 99
            seed = (seed * 16807) % 2147483647; month = 1 + seed % 12
            seed = (seed * 16807) % 2147483647; d = 1 + seed % 28
            seed = (seed * 16807) % 2147483647; k = 1 + seed % 4
            name = "Person " i " " last[1 + i % 10]
            printf " %d \r\n%s\r\n %d \r\n %d \r\n %d \r\n", i, name, year, month, d > list
            printf "%s\r\n%s\r\n%s\r\n1. Geburtstag\r\nj\344hrlich\r\n", r1[k], r2[k], r3[k] > list
            printf "REM %d %s +%d MSG %s wird [year(trigdate())-%d] Jahre alt %%b.\n", d, mon[month], lead[k], name, year > rem
            printf "%s=%02d/%02d/%04d w%d\n", name, d, month, year, lead[k] > bd
        }
    }'

    steady="$here/steady"
    daily="$here/daily"
    "$natalix" --import "$list" --datadir "$steady"
    "$natalix" --import "$list" --datadir "$daily"
    NATALIX_NOW="${yesterday}T09:00:00" "$natalix" --scan --datadir "$daily" >/dev/null
    cp "$daily/Geburtstage.db" "$here/yesterday.db"
    natalix_lines=$("$natalix" --scan --datadir "$steady" | wc -l)
    "$natalix" --scan --datadir "$steady" >/dev/null # the stamp of the steady state
    daily_lines=$("$natalix" --scan --datadir "$daily" | wc -l)
    remind_lines=$(remind "$rem" "$day" | grep -c "Jahre alt" || true)
    birthday_lines=$(birthday -f "$bd" | wc -l)
    echo
    echo "$count birthdays, $day: natalix reports $natalix_lines, remind $remind_lines, birthday" \
        "$birthday_lines (each program counts its own way around the day itself); after" \
        "yesterday's scan natalix finds $daily_lines new"
    if [ "$count" -le 10000 ]; then
        near=(1.0 0.75)
    else
        near=(0.8 0.5)
    fi
    "$pairs" "$rounds" \
        "natalix --scan (steady state)=$natalix --scan --datadir $steady" \
        "natalix --scan (first of day)=$natalix --scan --datadir $daily" \
        "floor (SQLite C API read)=$floor $steady/Geburtstage.db" \
        "birthday=birthday -f $bd" \
        "remind=remind $rem $day" \
        --prepare "natalix --scan (first of day)=cp $here/yesterday.db $daily/Geburtstage.db && rm -f $daily/Geburtstage.db.geprueft && NATALIX_NOW=${yesterday}T09:00:00 $natalix --scan --datadir $daily >/dev/null && sync $daily/Geburtstage.db" \
        --ratio "natalix --scan (steady state)/birthday<=${near[0]} wall" \
        --ratio "natalix --scan (steady state)/remind<=${near[1]} wall" \
        --ratio "natalix --scan (first of day)/natalix --scan (steady state)<=1.2 cpu" \
        --ratio "natalix --scan (steady state)/floor (SQLite C API read)"
done
echo
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
