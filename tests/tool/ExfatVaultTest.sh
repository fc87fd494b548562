#!/usr/bin/env bash
# Storing and restoring on a real exFAT file system through FUSE (no unnamed
# files, no no-replace rename, no hard links): a sparse image on a loop
# device. Needs root, losetup, mkfs.exfat and mount.exfat-fuse; exits 77
# (skipped) where the image cannot be mounted.
# Usage: ExfatVaultTest.sh PATH-TO-quovex-tool
. "$(dirname "$0")/ToolTestSupport.sh"
CRED=(--user alice --password secret-one)

skip() {
    echo "skipped: $*"
    exit 77
}
[ "$(id -u)" -eq 0 ] || skip "not root: cannot attach a loop device or mount"
PATH=$PATH:/sbin:/usr/sbin
for cmd in losetup mkfs.exfat mount.exfat-fuse; do
    command -v "$cmd" >/dev/null || skip "$cmd is missing (scripts/setup.sh installs it)"
done
[ -c /dev/fuse ] || skip "no /dev/fuse"

LOOP=""
cleanup() {
    mountpoint -q "$WORK/stick" && umount "$WORK/stick"
    [ -n "$LOOP" ] && losetup -d "$LOOP"
    cd / && rm -rf "$WORK"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

# Sparse: the free-space test wants 500 MB beyond what a run writes.
truncate -s 1G stick.img
mkfs.exfat stick.img >/dev/null 2>&1 || skip "mkfs.exfat failed"
LOOP=$(losetup -f --show stick.img 2>/dev/null) || skip "no free loop device"
mkdir stick
mount.exfat-fuse "$LOOP" stick >/dev/null 2>&1 || skip "mount.exfat-fuse failed"
[ "$(stat -f -c %T stick)" = fuseblk ] || skip "the image is not mounted through FUSE"
VAULT=stick/Box

# Files and a folder from the local disk into the vault on the stick: the
# sources go (the restores below show what was stored).
mkdir -p src/docs/sub orig
head -c 1000 /dev/urandom >src/a.txt
head -c 300001 /dev/urandom >src/docs/b.bin
head -c 129 /dev/urandom >src/docs/sub/c.dat
: >src/docs/empty.txt
cp -r src/. orig/
expect 0 "a vault on the stick" init "${CRED[@]}" --format scrambled "$VAULT"
expect 0 "store onto the stick" store "${CRED[@]}" src/a.txt src/docs "$VAULT/FileBox"
[ -e src/a.txt ] || [ -e src/docs ] && fail "sources were kept"

# Restored into a folder on the stick (to the recorded places: QuovexToolTest).
expect 0 "restore onto the stick" restore "${CRED[@]}" --to stick/out "$VAULT/FileBox/docs"
diff -r orig/docs stick/out/docs >/dev/null || fail "the folder restored onto the stick differs"

# An existing target replaced (kept on no before anything is written:
# the core's tests on an imitated exFAT).
echo old >stick/out/docs/b.bin
expect 0 "restore over existing files" \
    restore "${CRED[@]}" --to stick/out --overwrite yes "$VAULT/FileBox/docs"
cmp -s orig/docs/b.bin stick/out/docs/b.bin || fail "the replaced file differs"

# A protected vault, whose names are hidden: the longest names the stick
# takes (85 Chinese characters, 255 bytes) as a folder and as a file come
# back under their plain names, and none is on the stick.
LONG=$(printf '档%.0s' $(seq 85))
mkdir -p "src2/$LONG" orig2
head -c 70000 /dev/urandom >"src2/$LONG/$LONG"
head -c 10 /dev/urandom >"src2/$LONG/报告.txt"
cp -r src2/. orig2/
expect 0 "a protected vault on the stick" init "${CRED[@]}" "${KDF[@]}" stick/PBox
expect 0 "store with long names" store "${CRED[@]}" "src2/$LONG" stick/PBox/FileBox
find stick/PBox -name '*档*' -o -name '*报告*' | grep -q . && fail "a plain name is on the stick"
expect 0 "restore by the plain path" restore "${CRED[@]}" --to stick/out2 "stick/PBox/FileBox/$LONG"
diff -r "orig2/$LONG" "stick/out2/$LONG" >/dev/null || fail "the long names came back otherwise"

# The vault's marks are its own; any other dot-name is a temporary left.
LEFT=$(find stick -name '.*' ! -name .quovex-scrambled ! -name '.quovex-key*' ! -name .quovex-name)
[ -z "$LEFT" ] || fail "temporaries left: $LEFT"
finish "exFAT"
