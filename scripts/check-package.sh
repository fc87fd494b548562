#!/usr/bin/env bash
# Builds the Debian package (scripts/package.sh) and checks it as a user
# would meet it: its file list, its control fields, its desktop entry, and
# the installed programs run from the package unpacked into a temporary
# folder. The machine's own /usr is never written: the package is unpacked
# with dpkg-deb -x and apt only simulates the install.
#
#   bash scripts/check-package.sh [BUILD_DIR]
#
# BUILD_DIR is the build folder packaged, build/release unless given (CI
# gives build/default).
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
build="$repo/build/release"
[ $# -gt 0 ] && build=$(realpath -m "$1")
cd "$repo"

fail() {
    echo "check-package: $*" >&2
    exit 1
}

deb=$(bash scripts/package.sh "$build")
work=$(mktemp -d)
quovex_pid=""
cleanup() {
    [ -n "$quovex_pid" ] && kill "$quovex_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

version=$(sed -n 's/^project(Quovex VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
[ -n "$version" ] || fail "no project version in CMakeLists.txt"

echo "== control fields of $(basename "$deb") =="
[ "$(basename "$deb")" = "quovex_${version}_amd64.deb" ] || fail "file name is $(basename "$deb")"
[ "$(dpkg-deb -f "$deb" Package)" = quovex ] || fail "package name is not quovex"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "version is not $version"
[ "$(dpkg-deb -f "$deb" Section)" = utils ] || fail "section is not utils"
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
# libqt6widgets6, libbsd0 (quovex-tool's password prompt) and libsodium23
# (protected vaults) come from
# dpkg-shlibdeps, fonts-wqy-microhei is named by hand.
for pkg in libqt6widgets6 libbsd0 libsodium23 fonts-wqy-microhei; do
    grep -Eq "(^|, )$pkg( |,|$)" <<<"$depends" || fail "Depends lacks $pkg"
done

echo "== file list =="
# The files the package must hold, and nothing else: no headers, static
# libraries, tests or benchmarks. The manual pages and the help are
# required once their sources exist.
expected="$work/expected"
{
    echo /usr/bin/quovex
    echo /usr/bin/quovex-tool
    echo /usr/share/applications/quovex.desktop
    for size in 16 32 48 128 256; do
        echo "/usr/share/icons/hicolor/${size}x${size}/apps/quovex.png"
    done
    echo /usr/share/doc/quovex/README.md
    echo /usr/share/doc/quovex/copyright
    (cd docs && find . -name '*.md' -type f) | sed 's|^\./|/usr/share/doc/quovex/|'
    for page in docs/*.[1-8]; do
        [ -f "$page" ] || continue
        echo "/usr/share/man/man${page##*.}/$(basename "$page").gz"
    done
    if [ -d res/help ]; then
        (cd res/help && find . -type f) | sed 's|^\./|/usr/share/doc/quovex/help/|'
    fi
} | sort >"$expected"
listing="$work/listing"
dpkg-deb -c "$deb" >"$listing"
awk '$1 !~ /^d/ { sub(/^\./, "", $6); print $6 }' "$listing" | sort >"$work/actual"
if ! diff -u "$expected" "$work/actual" >"$work/diff"; then
    sed -n 's/^-\//missing: \//p; s/^+\//unexpected: \//p' "$work/diff" >&2
    fail "the file list differs from the expected one"
fi
# Programs 0755, everything else 0644, all owned by root.
awk '$1 !~ /^d/ {
    want = ($6 ~ /^\.\/usr\/bin\//) ? "-rwxr-xr-x" : "-rw-r--r--"
    if ($1 != want || $2 != "root/root") { print $1, $2, $6; bad = 1 }
} END { exit bad }' "$listing" >&2 || fail "files with the wrong mode or owner"
wc -l <"$work/actual" | xargs echo "files:"

echo "== unpacked package =="
root="$work/root"
dpkg-deb -x "$deb" "$root"
desktop-file-validate "$root/usr/share/applications/quovex.desktop" ||
    fail "desktop entry does not validate"
for program in quovex quovex-tool; do
    if readelf -d "$root/usr/bin/$program" | grep -Eq 'RPATH|RUNPATH'; then
        fail "$program carries a library search path (into the build folder?)"
    fi
done
for page in "$root"/usr/share/man/man*/*.gz; do
    [ -f "$page" ] || continue
    gzip -t "$page" || fail "$page is not a valid gzip file"
done

# The icons are what this build drew (BUILD_DIR/res/drawn), each a PNG of
# its own size: the width and height of its header (bytes 16 to 23).
for size in 16 32 48 128 256; do
    icon="$root/usr/share/icons/hicolor/${size}x${size}/apps/quovex.png"
    cmp -s "$build/res/drawn/icon128_${size}.png" "$icon" ||
        fail "the ${size}x${size} icon is not the one this build drew"
    [ "$(od -An -tx1 -N8 "$icon" | tr -d ' ')" = 89504e470d0a1a0a ] ||
        fail "the ${size}x${size} icon is not a PNG file"
    [ "$(od -An -tu4 --endian=big -j16 -N8 "$icon" | xargs)" = "$size $size" ] ||
        fail "the ${size}x${size} icon is not ${size} by ${size} pixels"
done

echo "== installed quovex-tool =="
tool="$root/usr/bin/quovex-tool"
# --version where the tool has it, --help where it has not.
"$tool" --version >"$work/tool.out" 2>&1 || "$tool" --help >"$work/tool.out" 2>&1 ||
    fail "quovex-tool answers neither --version nor --help"
head -n 1 "$work/tool.out"
# One file stored and restored through the installed tool, in a protected
# vault (a password of 8 characters at least).
mkdir -p "$work/restored"
echo "packaged quovex-tool" >"$work/plain.txt"
"$tool" init --user tester --password secret-pw "$work/vault" >/dev/null ||
    fail "quovex-tool init failed"
"$tool" store --user tester --password secret-pw --keep-source "$work/plain.txt" \
    "$work/vault/FileBox" || fail "quovex-tool store failed"
"$tool" restore --user tester --password secret-pw --to "$work/restored" \
    "$work/vault/FileBox/plain.txt.\$" || fail "quovex-tool restore failed"
cmp -s "$work/plain.txt" "$work/restored/plain.txt" || fail "restored file differs"

echo "== installed quovex =="
# The program comes up when its login dialog is shown. Qt resolves a
# widget's accessibility interface when the widget is shown and logs that
# under qt.accessibility.cache, naming the widget's class: that line is the
# sign, waited for without a fixed delay.
mkdir -p "$work/home" "$work/config" "$work/runtime"
chmod 700 "$work/runtime"
HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime" \
    QT_QPA_PLATFORM=offscreen QT_LOGGING_RULES="qt.accessibility.cache.debug=true" \
    timeout 120 "$root/usr/bin/quovex" >"$work/quovex.out" 2>"$work/quovex.err" &
quovex_pid=$!
for _ in $(seq 600); do
    grep -q 'qt.accessibility.cache.*CLoginDlg' "$work/quovex.err" && break
    kill -0 "$quovex_pid" 2>/dev/null || {
        cat "$work/quovex.err" >&2
        fail "quovex ended before showing its login dialog"
    }
    sleep 0.1
done
grep -q 'qt.accessibility.cache.*CLoginDlg' "$work/quovex.err" || {
    cat "$work/quovex.err" >&2
    fail "quovex showed no login dialog within a minute"
}
kill -0 "$quovex_pid" 2>/dev/null || fail "quovex ended right after showing its login dialog"
kill "$quovex_pid"
wait "$quovex_pid" 2>/dev/null || true
quovex_pid=""
echo "login dialog shown"
[ ! -e "$work/home/Box" ] || fail "quovex made a vault before a login"

echo "== apt-get install (simulated) =="
apt-get install -s "$deb" >"$work/apt.out" 2>&1 || {
    cat "$work/apt.out" >&2
    fail "apt-get cannot install the package"
}
grep '^Inst ' "$work/apt.out" || true

echo "package OK: $deb"
