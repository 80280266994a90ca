#!/usr/bin/env bash
# Short libFuzzer runs of the list file, options, vCard and CSV readers.
# Usage: scripts/fuzz.sh [seconds]  (total time for all, default 14). Exits non-zero on a crash;
# the input that caused it is kept in build/fuzz/artifacts/.
set -euo pipefail
cd "$(dirname "$0")/.."
budget=${1:-14}
targets=(listfile options vcard csv)
each=$((budget / ${#targets[@]}))
[ "$each" -ge 1 ] || each=1

CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ -DNATALIX_FUZZ=ON -DNATALIX_TESTS=OFF \
    -DNATALIX_PRECOMPILED_HEADERS=ON >/dev/null
cmake --build build/fuzz -j2 --target "${targets[@]/#/fuzz_}"

# The options target writes a file per input through QSaveFile, which syncs it to disk; in
# memory that costs nothing, on disk it would eat most of the budget.
if [ -d /dev/shm ] && [ -w /dev/shm ]; then
    export TMPDIR=/dev/shm
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p build/fuzz/artifacts
export ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-}:print_stacktrace=1:halt_on_error=1"

status=0
for name in "${targets[@]}"; do
    # A copy, so that the inputs the fuzzer adds never land in the repository.
    cp -r "tests/data/fuzz/$name" "$work/$name"
    log="build/fuzz/fuzz_$name.log"
    if build/fuzz/fuzz/fuzz_$name -max_total_time="$each" -timeout=10 -print_final_stats=1 \
        -artifact_prefix="build/fuzz/artifacts/${name}-" "$work/$name" >"$log" 2>&1; then
        echo "fuzz_$name: no crash in ${each}s ($(grep -o 'stat::number_of_executed_units: [0-9]*' "$log" |
            grep -o '[0-9]*$' || echo "?") runs; $(ls "$work/$name" | wc -l) inputs in the corpus)"
    else
        echo "fuzz_$name: CRASH, see $log and build/fuzz/artifacts/" >&2
        tail -n 40 "$log" >&2
        status=1
    fi
done
exit $status
