#!/usr/bin/env bash
# Builds the test configuration (AddressSanitizer + UndefinedBehaviorSanitizer) and runs every test,
# then builds and checks the Debian package.
set -euo pipefail
cd "$(dirname "$0")"
. scripts/deps.sh
natalix_install_deps poppler-utils clang libclang-rt-14-dev fonts-dejavu-core \
    python3-icalendar python3-recurring-ical-events \
    python3-radicale xandikos curl openssl gnome-keyring libsecret-tools \
    dbus-daemon python3-dbusmock python3-gi gir1.2-glib-2.0 xvfb desktop-file-utils \
    at-spi2-core python3-pyatspi python3-pypdf lintian appstream dpkg-dev file
# Line tables (-g1) are all the sanitizers' reports need, at a fraction of full debug info.
cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DNATALIX_SANITIZE=ON \
    -DNATALIX_PRECOMPILED_HEADERS=ON -DCMAKE_CXX_FLAGS_DEBUG=-g1 >/dev/null
cmake --build build/test

# The Debian package (built from the installable targets, checked, never installed) is built
# beside the tests, at the lowest priority: most tests wait for servers, timers and windows,
# and they wait for conditions, never for a fixed time.
mkdir -p build
package_log=build/check_package.log
setsid nice -n 19 ./scripts/check_package.sh >"$package_log" 2>&1 &
package=$!
trap 'kill -- "-$package" 2>/dev/null || true' EXIT

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1"
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
ctest --test-dir build/test --output-on-failure -j2 --timeout 300
# Short fuzzing runs of the two readers, when clang can build them.
if command -v clang++ >/dev/null 2>&1; then
    ./scripts/fuzz.sh 14
fi
status=0
wait "$package" || status=$?
trap - EXIT
cat "$package_log"
exit "$status"
