#!/usr/bin/env bash
# Hiding the names of a protected vault from the command line: convert on
# a protected vault with visible names seals every name below the boxes
# (nested folders, Chinese names, a folder name too long to be kept
# sealed), keeps the password and prints a new recovery key; the files
# restore under their plain names. A build that does not open vaults with
# hidden names changes nothing. (Every step's kill safety: NamesConversionTest.)
# Usage: HideNamesTest.sh PATH-TO-quovex-tool
. "$(dirname "$0")/ToolTestSupport.sh"
CRED=(--user alice --password secret-one)
# Long enough to need a short form once sealed, short enough for a
# scrambled file's recorded path (127 bytes of GB18030).
LONG=$(printf '资%.0s' $(seq 40))

mkdir -p "src/资料/深" "src/$LONG"
head -c 3000 /dev/urandom >src/a.txt
head -c 70000 /dev/urandom >"src/资料/深/报告.doc"
: >"src/资料/空.txt"
head -c 100 /dev/urandom >"src/$LONG/照片.png"
cp -r src before
# A protected vault with visible names, as earlier versions made them: a
# scrambled vault converted (its files keep their names where they lie).
expect 0 "init" init "${CRED[@]}" --format scrambled pv
expect 0 "store" store "${CRED[@]}" src/a.txt "src/资料" "src/$LONG" pv/FileBox
printf 'secret-two\n' >new-pw.txt
expect 0 "convert of the scrambled vault" convert "${CRED[@]}" "${KDF[@]}" \
    --new-password-file new-pw.txt pv >old-key.txt
CRED=(--user alice --password secret-two)
grep -oE "$KEY_PATTERN" old-key.txt >old-recovery.txt || fail "no recovery key from convert"
[ -e "pv/FileBox/资料/深/报告.doc.\$" ] || fail "the converted vault hid its names at once"
cp pv/.quovex-key record.before

expect 0 "convert of a protected vault" convert "${CRED[@]}" "${KDF[@]}" pv >key.txt
if grep -q "keeps its names visible" err.txt; then
    [ -s key.txt ] && fail "a build that keeps names visible printed a recovery key"
    cmp -s pv/.quovex-key record.before || fail "the key record changed"
    [ -e "pv/FileBox/资料/深/报告.doc.\$" ] || fail "a name was hidden"
    echo "this build keeps names visible: hiding them is not tried"
    finish "hidden names"
fi
grep -oE "$KEY_PATTERN" key.txt >recovery.txt || fail "no recovery key on standard output"
grep -q "names hidden: 4 file(s), 3 folder(s)" err.txt || { fail "no report"; cat err.txt; }
cmp -s recovery.txt old-recovery.txt && fail "the recovery key stayed"
# Nothing below the boxes shows a plain name, only sealed ones and the
# long folder's name record.
if find pv/FileBox -mindepth 1 | grep -qE '资|a\.txt|照片|报告|空'; then
    fail "a plain name is left"
    find pv/FileBox
fi
[ "$(find pv/FileBox -name .quovex-name | wc -l)" -eq 1 ] || fail "no name record for the long name"

expect 0 "restore of the box" restore "${CRED[@]}" --to out pv/FileBox
diff -r before out/FileBox >/dev/null || { fail "restored files differ"; diff -r before out/FileBox; }
expect 0 "a second run" convert "${CRED[@]}" "${KDF[@]}" pv >again.txt
[ -s again.txt ] && fail "a second run printed a recovery key"
printf 'third-pw\n' >third.txt
expect_says 1 "the old recovery key" "recovery key does not open" passwd --user alice \
    --recovery-key-file old-recovery.txt --new-password-file third.txt "${KDF[@]}" pv
expect 0 "the new recovery key" passwd --user alice --recovery-key-file recovery.txt \
    --new-password-file third.txt "${KDF[@]}" pv

finish "hidden names"
