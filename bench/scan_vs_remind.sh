#!/usr/bin/env bash
# Times one reminder scan of 10,000 birthdays, `natalix --scan`, against the programs people
# would use instead, over the same birthdays: Debian's `birthday` (a `Name=DD/MM/YYYY wN` line
# each) and `remind` (a REM line each, the age computed in the message). Every program runs as
# a fresh process, as cron would start it, with its output thrown away.
#
#   steady state   the second scan of the day: every due reminder is already marked
#   first scan     the first scan of the day, the markers written durably (before each timed
#                  run the database is put back and synced, untimed): once as in daily use,
#                  after yesterday's scan, and once with every marker reset, so that every due
#                  reminder of the day is new
#   floor          bench/scan_floor.cpp: Qt Core and SQLite reading every field of every row
#
# bench/pairs.cpp runs the commands in turn, round after round, and prints medians and the
# median of the per-round ratios; hyperfine then gives its own view of the same commands.
# `birthday` knows no day but today, so all of them are asked about today.
#
# Environment: COUNT (default 10000), ROUNDS (default 40).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/bench"
count=${COUNT:-10000}
rounds=${ROUNDS:-40}
day=$(date +%F)

missing=()
for tool in remind hyperfine birthday; do
    command -v "$tool" >/dev/null || missing+=("$tool")
done
if ((${#missing[@]})); then
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo=sudo
    $sudo apt-get update
    $sudo apt-get install -y "${missing[@]}"
fi

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DNATALIX_TESTS=OFF >/dev/null
cmake --build "$build" --target natalix natalix_scan_floor natalix_pairs >/dev/null
natalix="$build/natalix"
floor="$build/bench/natalix_scan_floor"
pairs="$build/bench/natalix_pairs"

# On the disk of the user's data, not in a memory file system: the durable write counts.
work=$(mktemp -d "${BENCH_DIR:-$HOME}/natalix-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT
list="$work/geburtstage.nxd"
rem="$work/geburtstage.rem"
bd="$work/birthdays"

# The same birthdays three times: a list file (Windows-1252, CR LF), a remind file and a
# birthday file whose lead time is the longest reminder of the record. Day 29 and later are
# left out, where the programs would differ in non-leap years.
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

steady="$work/steady"
first="$work/first"
daily="$work/daily"
"$natalix" --import "$list" --datadir "$steady"
"$natalix" --import "$list" --datadir "$first"
"$natalix" --import "$list" --datadir "$daily"
cp "$first/Geburtstage.db" "$work/unmarked.db"
NATALIX_NOW="$(date -d yesterday +%F)T09:00:00" "$natalix" --scan --datadir "$daily" >/dev/null
cp "$daily/Geburtstage.db" "$work/yesterday.db"
natalix_lines=$("$natalix" --scan --datadir "$steady" | wc -l)
daily_lines=$("$natalix" --scan --datadir "$daily" | wc -l)
remind_lines=$(remind "$rem" "$day" | grep -c "Jahre alt" || true)
birthday_lines=$(birthday -f "$bd" | wc -l)
echo "$count birthdays, $day: natalix reports $natalix_lines, remind $remind_lines, birthday" \
    "$birthday_lines (each program counts its own way around the day itself); after yesterday's" \
    "scan natalix finds $daily_lines new"
echo

"$pairs" "$rounds" \
    "natalix --scan (steady state)=$natalix --scan --datadir $steady" \
    "natalix --scan (first, daily use)=$natalix --scan --datadir $daily" \
    "natalix --scan (first scan)=$natalix --scan --datadir $first" \
    "floor (Qt Core + SQLite read)=$floor $steady/Geburtstage.db" \
    "birthday=birthday -f $bd" \
    "remind=remind $rem $day" \
    "natalix --version=$natalix --version" \
    --prepare "natalix --scan (first, daily use)=cp $work/yesterday.db $daily/Geburtstage.db && sync $daily/Geburtstage.db" \
    --prepare "natalix --scan (first scan)=cp $work/unmarked.db $first/Geburtstage.db && sync $first/Geburtstage.db" \
    --ratio "natalix --scan (steady state)/birthday" \
    --ratio "natalix --scan (steady state)/remind" \
    --ratio "natalix --scan (first, daily use)/natalix --scan (steady state)" \
    --ratio "natalix --scan (first scan)/natalix --scan (steady state)" \
    --ratio "natalix --scan (steady state)/floor (Qt Core + SQLite read)"

echo
hyperfine -N --warmup 3 --runs "$rounds" --style basic \
    -n "natalix --scan (steady state)" "$natalix --scan --datadir $steady" \
    -n "birthday" "birthday -f $bd" \
    -n "remind" "remind $rem $day" \
    -n "floor" "$floor $steady/Geburtstage.db"
