# Installs the Debian packages the build and the tests need, only when missing.
# Sourced by run.sh and test.sh.
natalix_install_deps() {
    local wanted=(qt6-base-dev qt6-base-dev-tools qt6-translations-l10n libqt6sql6-sqlite
        libqt6dbus6 libsqlite3-dev libgl1-mesa-dev fonts-dejavu-core cmake ninja-build g++
        qtkeychain-qt6-dev libqt6keychain1 libsecret-1-0 "$@")
    local missing=()
    local p
    for p in "${wanted[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" ||
            missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing missing packages: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}
