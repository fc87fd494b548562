#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Quovex need.
# Does nothing when they are all present. Runs as root or through sudo.
set -euo pipefail

PACKAGES=(
    build-essential cmake ninja-build pkg-config
    libgtest-dev googletest libbenchmark-dev
    qt6-base-dev qt6-base-dev-tools libgl-dev
    qt6-l10n-tools qt6-tools-dev  # lupdate and lrelease, and CMake's qt_add_lrelease: the English window
    qt6-translations-l10n  # Qt's own texts (the folder chooser) in the window's Chinese
    libbsd-dev  # readpassphrase for quovex-tool's password prompt
    libsodium-dev  # every cryptographic step of protected vaults
    libzxcvbn-dev  # the strength of a new password
    clang libclang-rt-14-dev llvm
    clang-format  # CI checks that every C++ source is formatted (scripts/check-rules.sh)
    fonts-wqy-microhei
    time
    python3  # the tool tests read JSON back and drive a pseudo-terminal
    dpkg-dev desktop-file-utils  # the package is built and its desktop entry checked
    exfatprogs exfat-fuse fuse3  # a vault on an exFAT image mounted through FUSE is tested
    xdg-utils  # "打开" hands a stored file's copy to the desktop's default application
    syncthing curl jq  # two Syncthing instances share a vault, driven through their REST API
    dbus-daemon  # a private bus stands in for the system bus: the session lock is tested
)

missing=()
for pkg in "${PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$pkg")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
