#!/usr/bin/env bash
# Builds the Debian package (Release, the installable targets only) and checks it: lintian, the
# control fields, the metainfo, the desktop entries, the modules' place, and the package's files
# against the install rules. Installs nothing on the machine. Usage: check_package.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/package}
umask 022
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DNATALIX_TESTS=OFF -DNATALIX_PRECOMPILED_HEADERS=ON >/dev/null
cmake --build "$build" --target package

version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
deb="$build/natalix_${version}_$(dpkg --print-architecture).deb"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
fail() {
    echo "check_package: $*" >&2
    failed=1
}
[ -f "$deb" ] || { fail "no package $deb"; exit 1; }

# Errors and warnings fail.
lintian --fail-on error,warning "$deb" || fail "lintian found errors or warnings"

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Section)" = utils ] || fail "section is '$(field Section)', not utils"
[ "$(field Version)" = "$version" ] || fail "version '$(field Version)' is not $version"
zcat "$build/changelog.gz" | head -1 | grep -qF "natalix ($version)" ||
    fail "packaging/changelog has no entry for $version"
# Only the window module links the widget library: found only when dpkg-shlibdeps read it.
field Depends | grep -q 'libqt6widgets6' || fail "dependencies not taken from the modules"

# The package's entries (type, mode, path) against a plain install of the same build.
dpkg-deb -c "$deb" | awk '{p = $6; sub(/^\.\//, "", p); sub(/\/$/, "", p); if (p != "") print $1, p}' |
    sort >"$work/package.txt"
DESTDIR="$work/stage" cmake --install "$build" --prefix /usr >/dev/null
(cd "$work/stage" && find . -mindepth 1 -printf '%M %P\n') | sort >"$work/install.txt"
diff -u "$work/install.txt" "$work/package.txt" || fail "package and install rules differ"

# What software centres and desktops read, as the package has it.
dpkg-deb -x "$deb" "$work/root"
metainfo=("$work"/root/usr/share/metainfo/*.metainfo.xml)
appstreamcli validate --no-net "${metainfo[@]}" || fail "metainfo has errors or warnings"
desktop-file-validate "$work"/root/usr/share/applications/*.desktop \
    "$work"/root/usr/share/natalix/natalix-autostart.desktop || fail "desktop entry not valid"
python3 scripts/check_metainfo.py "${metainfo[@]}" "$work/root" "$version" docs/screenshots ||
    fail "metainfo does not match the package"

# The installed program: its version, its modules in the multiarch folder, and that it finds
# them there (with no server, the sync module itself reports the refused connection).
for module in natalix_window natalix_sync natalix_syncwindow; do
    [ -f "$work/root/usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)/natalix/$module.so" ] ||
        fail "$module.so is not in the multiarch library folder"
done
[ "$("$work/root/usr/bin/natalix" --version)" = "Natalix $version" ] ||
    fail "the program does not say version $version"
"$work/root/usr/bin/natalix" --sync-contacts http://127.0.0.1:9/ --datadir "$work/data" \
    2>"$work/sync.txt" || true
grep -q 'nicht erreichbar' "$work/sync.txt" || fail "sync module not reached: $(cat "$work/sync.txt")"

[ "$failed" -eq 0 ] && echo "check_package: $deb passes"
exit "$failed"
