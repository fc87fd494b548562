#!/usr/bin/env bash
# quovex-tool's exit statuses, usage text and version, a store/restore round
# trip and the login's credential rule applied to whole vaults.
# Usage: QuovexToolTest.sh PATH-TO-quovex-tool
SOURCE_DIR=$(realpath "$(dirname "$0")/../..")
. "$(dirname "$0")/ToolTestSupport.sh"

# "中文" is 4 GB18030 bytes (6 in UTF-8, 2 characters); 31 x "密" + "x" is 63.
USER_CN="中文"
PASS_CN="$(printf '密%.0s' {1..31})x"
CRED=(--user "$USER_CN" --password "$PASS_CN")

expect 2 "no command"
"$TOOL" list --json --help >help.txt || fail "--help after a command"
# Store encrypts in a protected vault; the scramble is no encryption, and
# the usage text says so.
grep -q "store    encrypts" help.txt && grep -q "scrambled vault's files are" help.txt ||
    fail "the usage text does not say that store encrypts, or scrambles in a scrambled vault"
VERSION=$(sed -n 's/^project(Quovex VERSION \([0-9.]*\).*/\1/p' "$SOURCE_DIR/CMakeLists.txt")
[ "$("$TOOL" --version)" = "quovex-tool $VERSION" ] || fail "--version is not $VERSION"
expect 2 "unknown option" store "${CRED[@]}" --bogus a box
expect 2 "store without a box folder" store "${CRED[@]}" a
expect 2 "--keep-source on restore" restore "${CRED[@]}" --keep-source x
expect 2 "bad --overwrite" store "${CRED[@]}" --overwrite maybe a box
expect 2 "3-byte password" store --user alice --password abc a box
expect 2 "64-byte password" store --user alice --password "${PASS_CN}y" a box
grep -q "usage:" err.txt || fail "usage text missing"
# Not valid UTF-8, so it has no GB18030 form to enter the key.
expect_says 2 "user name not UTF-8" "cannot be encoded" store --user $'ab\xff\xfecd' --password secret a box

mkdir -p src/docs/sub out
head -c 1000 /dev/urandom >src/a.txt
head -c 300001 /dev/urandom >src/docs/b.bin
head -c 129 /dev/urandom >src/docs/sub/c.dat
cp src/a.txt a.orig

# Only init makes a vault; store writes only into a box of one, or below a
# box. Every other target is refused before anything is read, made or
# deleted, and the sources stay.
expect 2 "--format on store" store "${CRED[@]}" --format scrambled src/a.txt vault/FileBox
grep -q "store only stores into a box of an existing vault" err.txt || fail "--format: no reason"
expect 0 "init" init "${CRED[@]}" --format scrambled vault
mkdir not-a-vault
TREE=$(find . | sort)
for target in "vault:is a vault's location, not one of its boxes: store into $PWD/vault/FileBox" \
    "vlt/FileBox:lies in no vault ($PWD/vlt does not exist)" \
    "typo/sub:does not exist and lies in no vault" "not-a-vault:is a folder outside any vault" \
    "not-a-vault/FileBox:lies in no vault ($PWD/not-a-vault holds no key record"; do
    expect_says 1 "store into ${target%%:*}" "${target#*:}" store "${CRED[@]}" src/a.txt "${target%%:*}"
done
[ "$(find . | sort)" = "$TREE" ] || fail "a refused store changed the disk"

# Relative operands: the recorded source path must still be absolute.
expect 0 "store, keep sources" store "${CRED[@]}" --keep-source src/a.txt src/docs/ vault/FileBox
[ -f src/a.txt ] && [ -f src/docs/b.bin ] || fail "--keep-source deleted a source"
expect 0 "store below a box, into a new folder" store "${CRED[@]}" --keep-source src/docs/sub \
    vault/OtherBox/new/deeper
[ -f "vault/OtherBox/new/deeper/sub/c.dat.\$" ] || fail "nothing stored below the box"

expect 0 "restore --to" restore "${CRED[@]}" --to out vault/FileBox/docs
cmp -s out/docs/b.bin src/docs/b.bin && cmp -s out/docs/sub/c.dat src/docs/sub/c.dat ||
    fail "restored folder differs"
rm src/a.txt
expect 0 "plain restore" restore "${CRED[@]}" "vault/FileBox/a.txt.\$"
cmp -s src/a.txt a.orig || fail "plain restore differs"

# In a vault, and copied out of any vault, where the file itself decides.
expect 1 "wrong password" restore --user "$USER_CN" --password wrong-one --to out2 vault/FileBox
cp "vault/FileBox/a.txt.\$" "loose.txt.\$"
expect 1 "wrong password, file in no vault" restore --user "$USER_CN" --password wrong-one \
    --to out2 "loose.txt.\$"
[ -e out2 ] && fail "wrong password wrote something"

# What a declined overwrite keeps, and that a store deletes its source: the
# core's tests and PasswordTest; here the question and the reason as worded.
echo changed >src/a.txt
expect_says 1 "declined store" "a.txt.\$ is in the vault already; replace it? no" store "${CRED[@]}" \
    src/a.txt vault/FileBox
grep -q "existing file kept (--overwrite no): $PWD/src/a.txt" err.txt || fail "no reason given"
expect 0 "accepted overwrite" store "${CRED[@]}" --overwrite yes src/a.txt vault/FileBox
expect 1 "declined overwrite of a restored file" restore "${CRED[@]}" --to out vault/FileBox/docs
# Sources the core passes over, each told what it is.
ln -s src/a.txt link
expect 1 "sources passed over" store "${CRED[@]}" no-such-file link /dev/null vault/FileBox
for said in "no such file or folder, passed over: no-such-file" \
    "a symbolic link, not followed, passed over: link" \
    "not a file or folder (a device, pipe or socket), passed over: /dev/null"; do
    grep -qF "quovex-tool: $said" err.txt || { fail "not said: $said"; cat err.txt; }
done
[ -L link ] || fail "a link given to store went"
# No volume here has room for a sparse source of 10 TiB: the run says what
# it needs and has there, and reads and deletes nothing.
if truncate -s 10T huge.bin 2>/dev/null; then
    expect_says 1 "no room" "volume of $PWD/vault/FileBox: it needs 10486236.84 MB \
(10995616277760 bytes), of which 476.84 MB (500000000 bytes) to spare, and .* is free;" \
        store "${CRED[@]}" huge.bin vault/FileBox
    [ -f huge.bin ] && [ ! -e "vault/FileBox/huge.bin.\$" ] || fail "a run without room did something"
    rm -f huge.bin
fi

# Only the boxes are out of reach (the core tests the rule): how the tool
# words a box as a source, a stored file as a source and a box as a target.
expect_says 1 "a box as a source" "its location, passed over: $PWD/vault/FileBox\$" store \
    "${CRED[@]}" vault/FileBox vault/FileBox
expect_says 1 "a stored file" "lies inside the vault, refused" store "${CRED[@]}" \
    "vault/FileBox/a.txt.\$" vault/FileBox
expect_says 1 "into a box" "would be restored into the vault, refused" restore "${CRED[@]}" \
    --to vault/FileBox/deeper "vault/FileBox/a.txt.\$"
[ -e vault/FileBox/deeper ] && fail "a refused restore made a folder in the box"

# The whole vault decides, not the box: a file of another user in FileBox
# keeps bob out of the empty ImageBox.
BOB=(--user bob1 --password other-pw)
expect_says 1 "second user" "wrong user name or password" store "${BOB[@]}" src/docs vault/ImageBox
[ -z "$(ls -A vault/ImageBox)" ] || fail "second user stored something"

# A body cut short is damage; a whole vault of files cut to nothing (a power
# loss) is no reason to blame the credentials.
truncate -s 402 "vault/FileBox/docs/b.bin.\$"
expect_says 1 "damage" "stored file is damaged: .*docs/b.bin" restore "${CRED[@]}" --to out3 \
    "vault/FileBox/docs/b.bin.\$"
mkdir -p cut/FileBox && : >"cut/FileBox/a.txt.\$"
expect 1 "first stored file empty" restore "${CRED[@]}" --to out3 cut/FileBox
grep -q "first stored file is damaged.*cut/FileBox/a.txt" err.txt && ! grep -q wrong err.txt ||
    fail "an empty first stored file read as wrong credentials"

finish "quovex-tool"
