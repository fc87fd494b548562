#!/usr/bin/env bash
# Converting a scrambled vault from the command line: the recovery key
# printed once, every file restored byte for byte afterwards, a damaged
# file left as it was and reported, a second run that finishes, and the
# refusals (wrong password, no vault at the path).
# Usage: ConvertTest.sh PATH-TO-quovex-tool
. "$(dirname "$0")/ToolTestSupport.sh"
CRED=(--user alice --password secret1)

mkdir -p src/d/e
head -c 3000 /dev/urandom >src/a.bin
head -c 70000 /dev/urandom >src/d/x.bin
: >src/d/e/y.bin
head -c 200000 /dev/urandom >src/p.png
cp -r src orig
expect 0 "init of a scrambled vault" init "${CRED[@]}" --format scrambled sv
# An empty vault counts as none: the first store says which kind it is.
expect 0 "store into the scrambled vault" store "${CRED[@]}" --format scrambled src/a.bin src/d \
    sv/FileBox
expect 0 "store an image" store "${CRED[@]}" src/p.png sv/ImageBox
head -c 1000 "sv/ImageBox/p.png.\$" >"sv/OtherBox/cut.\$"
cp "sv/OtherBox/cut.\$" cut.before

expect 1 "convert with a wrong password" convert --user alice --password wrong-pw "${KDF[@]}" sv
[ -e sv/.quovex-key ] && fail "a refused conversion wrote a key record"
expect 1 "convert where no vault is" convert "${CRED[@]}" "${KDF[@]}" src

expect 1 "convert with a damaged file" convert "${CRED[@]}" "${KDF[@]}" sv >key.txt
grep -oE "$KEY_PATTERN" key.txt >recovery.txt || fail "no recovery key on standard output"
grep -q "4 file(s) converted, 0 protected already, 1 failed" err.txt || fail "no report"
grep -q "stored file is damaged: .*OtherBox/cut.\\$" err.txt || fail "damaged file not named"
cmp -s "sv/OtherBox/cut.\$" cut.before || fail "the damaged file was changed"
for f in "sv/FileBox/a.bin.\$" "sv/FileBox/d/x.bin.\$" "sv/FileBox/d/e/y.bin.\$" \
    "sv/ImageBox/p.png.\$"; do
    [ "$(head -c 6 "$f")" = QUOVEX ] && fail "still scrambled: $f"
done

rm "sv/OtherBox/cut.\$"
expect 0 "a second run" convert "${CRED[@]}" "${KDF[@]}" sv >again.txt
[ -s again.txt ] && fail "a second run printed a recovery key"
grep -q "protected already; converting what is left" err.txt || fail "second run: no word"
grep -q "0 file(s) converted, 4 protected already, 0 failed" err.txt || fail "second run: report"

expect 0 "restore the files box" restore "${CRED[@]}" --to out sv/FileBox
expect 0 "restore the image" restore "${CRED[@]}" --to out "sv/ImageBox/p.png.\$"
for f in a.bin d/x.bin d/e/y.bin; do
    cmp -s "out/FileBox/$f" "orig/$f" || fail "restored $f differs"
done
cmp -s out/p.png orig/p.png || fail "restored p.png differs"
# No scrambled file is left anywhere, so the password may change now.
printf 'secret2x\n' >new.txt
expect 0 "passwd after the conversion" passwd "${CRED[@]}" --new-password-file new.txt "${KDF[@]}" sv

finish "convert"
