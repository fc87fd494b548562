#!/usr/bin/env bash
# Making, converting and re-sealing vaults from the command line (a new
# password typed on a terminal: PasswordTest).
# Usage: VaultAccessTest.sh PATH-TO-quovex-tool
. "$(dirname "$0")/ToolTestSupport.sh"
CRED=(--user alice --password secret-one)

expect 0 "init of a protected vault" init "${CRED[@]}" "${KDF[@]}" pv >init.txt
grep -q "warning: the password is .*weak" err.txt || fail "no warning for a weak password"
expect 0 "init with a strong password" init --user alice \
    --password "correct horse battery staple" "${KDF[@]}" strong >/dev/null
grep -q "warning" err.txt && fail "a warning for a strong password"
[ -f pv/.quovex-key ] && [ -f pv/.quovex-key.2 ] && [ -d pv/VideoBox ] ||
    fail "init made no record or boxes"
grep -oE "$KEY_PATTERN" init.txt >recovery.txt || fail "no recovery key on standard output"
grep -q "keep it away from this computer" init.txt || fail "no advice with the recovery key"
grep -qE "$KEY_PATTERN" err.txt && fail "the recovery key went to standard error"
expect_says 1 "init twice" "a vault lies there already" init "${CRED[@]}" "${KDF[@]}" pv >again.txt
[ -s again.txt ] && fail "a second init printed a recovery key"
# A location that cannot be a vault is told by why it cannot: a file, a
# folder the user may not write (root may write anywhere: run as nobody).
touch file
expect_says 1 "init into a file" "location cannot be read or written (not a folder): $PWD/file\$" \
    init "${CRED[@]}" "${KDF[@]}" file
mkdir ro && chmod 555 ro "$WORK"
AS_USER=()
[ "$(id -u)" -eq 0 ] && AS_USER=(setpriv --reuid=65534 --regid=65534 --clear-groups)
if "${AS_USER[@]}" "$TOOL" --version >/dev/null 2>&1; then
    "${AS_USER[@]}" "$TOOL" init "${CRED[@]}" "${KDF[@]}" ro 2>err.txt
    [ $? -eq 1 ] && grep -q "(permission denied): $PWD/ro/FileBox\$" err.txt ||
        { fail "init into a read-only folder"; cat err.txt; }
fi
chmod 700 ro "$WORK"
expect 2 "--kdf-passes out of range" init "${CRED[@]}" --kdf-passes 17 x
expect 2 "--kdf-memory not a number" init "${CRED[@]}" --kdf-memory 1k x
expect 2 "--format on restore" restore "${CRED[@]}" --format scrambled x
expect 2 "--recovery-key with a password option" passwd "${CRED[@]}" --recovery-key pv

expect 0 "init of a scrambled vault" init "${CRED[@]}" --format scrambled sv >out.txt
[ -d sv/FileBox ] && [ ! -e sv/.quovex-key ] && [ ! -s out.txt ] ||
    fail "a scrambled vault got a record or a recovery key"
printf 'kept scrambled' >s.txt
expect 2 "--kdf-passes on store" store "${CRED[@]}" "${KDF[@]}" s.txt sv/FileBox
expect 0 "store into the empty scrambled vault" store "${CRED[@]}" s.txt sv/FileBox
[ ! -e sv/.quovex-key ] && [ "$(head -c 6 "sv/FileBox/s.txt.\$")" = QUOVEX ] ||
    fail "a store made the empty scrambled vault a protected one"

# A store into a protected vault encrypts, and its key record is left out
# of the stored files.
head -c 3000 /dev/urandom >a.bin
expect 0 "init of another protected vault" init "${CRED[@]}" "${KDF[@]}" nv >store.txt
expect 0 "store into a protected vault" store "${CRED[@]}" --keep-source a.bin nv/FileBox >out.txt
[ -s out.txt ] && fail "a store printed a recovery key"
expect_says 1 "wrong password on a protected vault" "wrong user name or password" restore \
    --user alice --password wrong-pw --to out "nv/FileBox/a.bin.\$"
expect 0 "restore from a protected vault" restore "${CRED[@]}" --to out "nv/FileBox/a.bin.\$"
# The one stored file, under its own name or a sealed one.
STORED=(nv/FileBox/*)
[ "${#STORED[@]}" -eq 1 ] && [ "$(head -c 6 "${STORED[0]}")" != QUOVEX ] ||
    fail "a protected vault's file was scrambled"
# A new password rewrites no stored file (that the master key stays:
# tst_account).
cp "${STORED[0]}" stored.before
printf 'nv-pass1\n' >nv.txt
expect 0 "passwd of a vault with files" passwd "${CRED[@]}" --new-password-file nv.txt "${KDF[@]}" nv
cmp -s "${STORED[0]}" stored.before || fail "passwd rewrote a stored file"

# passwd: the new password opens, and so does the recovery key, which
# outlives the change (the old passwords refused: tst_account).
printf 'secret-one\nnew-pass\n' | "$TOOL" passwd --user alice --password-stdin --new-password-stdin \
    "${KDF[@]}" pv 2>err.txt || { fail "passwd with both from standard input"; cat err.txt; }
printf 'new-pass\n' >new.txt
expect 0 "check with the new password" check --user alice --password-file new.txt pv
printf 'third-pw\n' >third.txt
expect 0 "passwd with the recovery key" passwd --user alice --recovery-key-file recovery.txt \
    --new-password-file third.txt "${KDF[@]}" pv
expect 0 "the password the recovery set" check --user alice --password-file third.txt pv
grep -oE "$KEY_PATTERN" store.txt >other-key.txt
expect_says 1 "another vault's recovery key" "recovery key does not open" passwd --user alice \
    --recovery-key-file other-key.txt --new-password-file third.txt pv
expect_says 1 "passwd of a scrambled vault" "not a protected vault" passwd "${CRED[@]}" \
    --new-password-file new.txt sv
expect 2 "a new password too short" passwd --user alice --password-file new.txt \
    --new-password-stdin pv <<<"abc"
HOME="$WORK/home" expect 1 "passwd without VAULT looks in \$HOME/Box" \
    passwd --user alice --password-file new.txt --new-password-file third.txt
grep -q "not a protected vault.*: $WORK/home/Box" err.txt || fail "passwd without VAULT: no reason"

# Both copies of the record damaged: a clear message. (The repair of one
# copy, and that nothing is written: the core's tests.)
printf 'XXXXXXXXXXXXXXXX' | dd of=pv/.quovex-key bs=1 seek=109 conv=notrunc status=none
truncate -s 50 pv/.quovex-key.2
expect_says 1 "both copies damaged" "key record is damaged" check --user alice --password-file third.txt pv

printf 'x' >x.txt
# Another vault's key record copied over one copy (same credentials): the
# vault opens by its own copy, names the other, and writes over neither.
expect 0 "init of vault A" init "${CRED[@]}" "${KDF[@]}" va >/dev/null
expect 0 "init of vault B" init "${CRED[@]}" "${KDF[@]}" vb >/dev/null
expect 0 "a file into A" store "${CRED[@]}" --keep-source x.txt va/FileBox 2>/dev/null
cp vb/.quovex-key va/.quovex-key
cp va/.quovex-key.2 a-record.before
expect_says 0 "list of A with B's record beside" "key record .*va/.quovex-key belongs to another vault" \
    list "${CRED[@]}" va >/dev/null
cmp -s va/.quovex-key.2 a-record.before && cmp -s va/.quovex-key vb/.quovex-key ||
    fail "a key record of another vault was written over, or written"
rm va/.quovex-key.2
expect_says 1 "A with only B's record" "belongs to another vault" check "${CRED[@]}" va
[ -e va/.quovex-key.2 ] && fail "another vault's record was made this vault's copy"

# A stored file of another vault copied in is told as that vault's, by its
# id, in list and check (the window: tst_properties), and restores nothing.
expect 0 "init of vault C" init "${CRED[@]}" "${KDF[@]}" vc >/dev/null
expect 0 "init of vault D" init "${CRED[@]}" "${KDF[@]}" vd >/dev/null
expect 0 "a file into D" store "${CRED[@]}" --keep-source x.txt vd/FileBox 2>/dev/null
cp vd/FileBox/* vc/FileBox/
D_ID=$(od -An -tx1 -j9 -N16 vd/.quovex-key | tr -d ' \n')
expect 1 "check of C with D's file" check "${CRED[@]}" vc >check.txt
grep -q "belongs to vault $D_ID, not to this one" check.txt ||
    { fail "check does not name the vault a file belongs to"; cat check.txt; }
"$TOOL" list --json "${CRED[@]}" vc 2>/dev/null | grep -q "\"otherVault\": *\"$D_ID\"" ||
    fail "list --json does not name the other vault"
expect_says 1 "restore of D's file in C" "stored in another vault" restore "${CRED[@]}" \
    --to out-c vc/FileBox/*
[ -e out-c ] && [ -n "$(ls out-c)" ] && fail "a file of another vault was restored"

# A protected vault whose key record went is taken for nothing else: not
# for a scrambled vault (a mark and an empty box put in its place), not for
# a new one, unless asked for by name.
expect 0 "init of a vault to lose" init "${CRED[@]}" "${KDF[@]}" lost >/dev/null
mkdir aside && mv lost/.quovex-key lost/.quovex-key.2 lost/FileBox aside/ && mkdir lost/FileBox
: >lost/.quovex-scrambled
printf 'x' >x.txt
expect_says 1 "a store where the record went" "key record .* is gone" store "${CRED[@]}" \
    --keep-source x.txt lost/FileBox
expect_says 1 "a check where the record went" "key record .* is gone" check "${CRED[@]}" lost
[ -z "$(ls lost/FileBox)" ] && [ -e x.txt ] || fail "a vault whose record went took a file"
rm lost/.quovex-scrambled
expect_says 1 "init where the record went" "key record .* is gone" init "${CRED[@]}" "${KDF[@]}" lost
[ -e lost/.quovex-key ] && fail "init made a record where a vault's went"
expect 0 "init --replace-lost-vault" init "${CRED[@]}" --replace-lost-vault "${KDF[@]}" lost >/dev/null
[ -e lost/.quovex-key ] || fail "init --replace-lost-vault made no record"

# Converting the scrambled vault: the recovery key printed once, a damaged
# file left as it was and reported, a second run that finishes, and the
# refusals. (Every file restoring byte for byte: VaultConversionTest.)
mkdir -p src/d/e
head -c 3000 /dev/urandom >src/a.bin
head -c 70000 /dev/urandom >src/d/x.bin
: >src/d/e/y.bin
head -c 200000 /dev/urandom >src/p.png
expect 0 "store into the scrambled vault" store "${CRED[@]}" src/a.bin src/d sv/FileBox
expect 0 "store an image" store "${CRED[@]}" src/p.png sv/ImageBox
head -c 1000 "sv/ImageBox/p.png.\$" >"sv/OtherBox/cut.\$"
cp "sv/OtherBox/cut.\$" cut.before

printf 'converted\n' >convnew.txt
expect 1 "convert with a wrong password" convert --user alice --password wrong-pw \
    --new-password-file convnew.txt "${KDF[@]}" sv
[ -e sv/.quovex-key ] && fail "a refused conversion wrote a key record"
expect 1 "convert where no vault is" convert "${CRED[@]}" --new-password-file convnew.txt \
    "${KDF[@]}" src
# The old password is given away by every scrambled file: a new one, long
# enough, must be given, and nothing is written without it.
expect_says 2 "convert without a new password" "no terminal to ask on" convert "${CRED[@]}" "${KDF[@]}" sv \
    </dev/null
printf 'secret-one\n' >same.txt
expect_says 1 "convert keeping the old password" "must not be the old one" convert "${CRED[@]}" \
    --new-password-file same.txt "${KDF[@]}" sv
expect_says 2 "convert to a short password" "at least 8 characters" convert "${CRED[@]}" \
    --new-password-stdin "${KDF[@]}" sv <<<"short1"
[ -e sv/.quovex-key ] && fail "a refused conversion wrote a key record"
cp "sv/FileBox/a.bin.\$" a.scrambled

expect 1 "convert with a damaged file" convert "${CRED[@]}" --new-password-file convnew.txt \
    "${KDF[@]}" sv >key.txt
grep -oE "$KEY_PATTERN" key.txt >/dev/null || fail "no recovery key on standard output"
grep -q "5 file(s) converted, 0 protected already, 1 failed" err.txt || fail "no report"
grep -q "stored file is damaged: .*OtherBox/cut.\\$" err.txt || fail "damaged file not named"
cmp -s "sv/OtherBox/cut.\$" cut.before || fail "the damaged file was changed"
for f in "sv/FileBox/s.txt.\$" "sv/FileBox/a.bin.\$" "sv/FileBox/d/x.bin.\$" \
    "sv/FileBox/d/e/y.bin.\$" "sv/ImageBox/p.png.\$"; do
    [ "$(head -c 6 "$f")" = QUOVEX ] && fail "still scrambled: $f"
done
expect 1 "the old password after the conversion" check "${CRED[@]}" sv

# A scrambled file left (here: put back from a backup) needs the password
# it was stored with, which the vault's no longer is.
rm "sv/OtherBox/cut.\$"
cp a.scrambled "sv/OtherBox/back.bin.\$"
NEWCRED=(--user alice --password-file convnew.txt)
expect 2 "a second run, the old password not given" convert "${NEWCRED[@]}" "${KDF[@]}" sv </dev/null
expect_says 1 "a second run, a wrong old password" "wrong user name or password" convert \
    "${NEWCRED[@]}" --old-password-file convnew.txt "${KDF[@]}" sv
printf 'secret-one\n' >old.txt
expect 0 "a second run" convert "${NEWCRED[@]}" --old-password-file old.txt "${KDF[@]}" sv >again.txt
[ -s again.txt ] && fail "a second run printed a recovery key"
grep -q "protected already; converting what is left" err.txt || fail "second run: no word"
grep -q "1 file(s) converted, 5 protected already, 0 failed" err.txt || fail "second run: report"
# The vault opens by its record now, and no scrambled file is left, so
# the password may change.
printf 'secret2x\n' >conv.txt
expect 0 "passwd after the conversion" passwd "${NEWCRED[@]}" --new-password-file conv.txt \
    "${KDF[@]}" sv

# A password changed on another machine, whose new main copy arrived
# before the second: the old password still opens, with a warning, and
# writes nothing back; the new one brings both copies in line.
expect 0 "a vault to change" init "${CRED[@]}" "${KDF[@]}" moved
cp moved/.quovex-key.2 old-copy
printf 'secret-two\n' >two.txt
expect 0 "the change" passwd "${CRED[@]}" --new-password-file two.txt "${KDF[@]}" moved
cp old-copy moved/.quovex-key.2
expect_says 0 "the old password, told" "was changed" list "${CRED[@]}" moved
cmp -s old-copy moved/.quovex-key.2 || fail "the old login wrote a copy"
cmp -s moved/.quovex-key moved/.quovex-key.2 && fail "the old record was written back"
expect 0 "the new password" list --user alice --password-file two.txt moved
cmp -s moved/.quovex-key moved/.quovex-key.2 || fail "the new login left the copies apart"
expect 1 "the old password after the new one" list "${CRED[@]}" moved

# Passwords changed on two machines while apart: the sync engine kept one
# machine's record under the record's names and the other's as a conflict
# copy. Either password opens (the other machine's with a warning); a new
# password removes the copy, and then only it opens.
expect 0 "a vault changed apart" init "${CRED[@]}" "${KDF[@]}" apart
cp apart/.quovex-key first-record
printf 'pass-of-a\n' >pa.txt
printf 'pass-of-b\n' >pb.txt
printf 'pass-of-c\n' >pc.txt
expect 0 "the change on A" passwd "${CRED[@]}" --new-password-file pa.txt "${KDF[@]}" apart
cp apart/.quovex-key record-of-a
cp first-record apart/.quovex-key
cp first-record apart/.quovex-key.2
expect 0 "the change on B" passwd "${CRED[@]}" --new-password-file pb.txt "${KDF[@]}" apart
CONFLICT="apart/.sync-conflict-20261209-022408-ABCDEF7.quovex-key"
cp record-of-a "$CONFLICT"
expect_says 0 "A's password" "changed on two machines" list --user alice --password-file pa.txt apart
expect 0 "B's password" list --user alice --password-file pb.txt apart
grep -q "changed" err.txt && fail "the password in force was warned about"
cmp -s record-of-a "$CONFLICT" || fail "a login changed the conflict copy"
expect 0 "a new password after both" passwd --user alice --password-file pa.txt \
    --new-password-file pc.txt "${KDF[@]}" apart
[ -e "$CONFLICT" ] && fail "the new password left the superseded conflict copy"
expect 1 "A's password after the new one" list --user alice --password-file pa.txt apart
expect 1 "B's password after the new one" list --user alice --password-file pb.txt apart
expect 0 "the new password" list --user alice --password-file pc.txt apart

# A vault's copy on a second machine whose key record has not arrived yet
# (the boxes in a folder a sync engine shares): neither a store nor init
# makes a vault there.
mkdir -p synced/.stfolder synced/FileBox synced/ImageBox
echo text >one.txt
expect_says 1 "a store before the key record arrived" "has not arrived yet" \
    store "${CRED[@]}" --keep-source one.txt synced/FileBox
expect_says 1 "init before the key record arrived" "has not arrived yet" \
    init "${CRED[@]}" "${KDF[@]}" synced
[ -e synced/.quovex-key ] || [ -e synced/.quovex-scrambled ] && fail "a vault was made over the copy"

finish "vault access"
