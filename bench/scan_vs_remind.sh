#!/usr/bin/env bash
# Times one reminder scan of 10,000 birthdays, `natalix --scan`, against `remind` reading the
# same birthdays from one REM line each. Both run as fresh processes, as cron would start them.
#
# Every timed natalix run finds the same work: hyperfine's --prepare re-imports the list before
# each run (not timed), which sets every reminder marker back to 0, so each run decides all
# records, writes the markers of the due ones and prints their lines. A third, informative
# figure is the repeated scan of the same day, when every due reminder is already marked, and
# `natalix --version` shows what starting the process alone costs.
#
# Environment: COUNT (default 10000), DAY (default 2025-03-07), RUNS (default 20).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/bench"
count=${COUNT:-10000}
day=${DAY:-2025-03-07}
runs=${RUNS:-20}

missing=()
command -v remind >/dev/null || missing+=(remind)
command -v hyperfine >/dev/null || missing+=(hyperfine)
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
trap 'rm -rf "$work"' EXIT
data="$work/daten"
list="$work/geburtstage.nxd"
rem="$work/geburtstage.rem"

# The same birthdays twice: a list file (Windows-1252, CR LF) and a remind file whose lead time
# is the longest reminder of the record. Day 29 and later are left out, where the two programs
# would differ in non-leap years.
LC_ALL=C awk -v n="$count" -v list="$list" -v rem="$rem" 'BEGIN {
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
        printf "REM %d %s +%d MSG %s hat Geburtstag %%b.\n", d, mon[month], lead[k], name > rem
    }
}'

export NATALIX_NOW="${day}T09:00:00"
import="'$natalix' --import '$list' --datadir '$data'"
scan="'$natalix' --scan --datadir '$data'"
eval "$import"
natalix_lines=$(eval "$scan" | wc -l)
remind_lines=$(remind "$rem" "$day" | grep -c "hat Geburtstag" || true)
echo "$count birthdays, $day: natalix reports $natalix_lines, remind $remind_lines"

hyperfine --warmup 3 --runs "$runs" --style basic --export-csv "$work/times.csv" \
    --prepare "$import" -n "natalix --scan" "$scan" \
    --prepare "true" -n "remind" "remind '$rem' $day" \
    --prepare "true" -n "natalix --scan (all given)" "$scan" \
    --prepare "true" -n "natalix --version" "'$natalix' --version"

# Wall-clock means, and the CPU time (user + system) that stays meaningful on a busy machine.
awk -F, 'NR > 1 { wall[NR - 1] = $2 * 1000; cpu[NR - 1] = ($5 + $6) * 1000 }
    END {
        printf "\n%-32s %10s %10s\n", "", "wall ms", "CPU ms"
        printf "%-32s %10.1f %10.1f\n", "natalix --scan (markers reset)", wall[1], cpu[1]
        printf "%-32s %10.1f %10.1f\n", "remind", wall[2], cpu[2]
        printf "%-32s %10.2f %10.2f\n", "ratio natalix / remind", wall[1] / wall[2], cpu[1] / cpu[2]
        printf "%-32s %10.1f %10.1f\n", "natalix --scan (all given)", wall[3], cpu[3]
        printf "%-32s %10.1f %10.1f\n", "natalix --version (start-up)", wall[4], cpu[4]
    }' "$work/times.csv"
