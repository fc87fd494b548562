#!/usr/bin/env bash
# quovex-tool list and check on protected stored files (in prot/) with and
# without credentials, and on scrambled vaults broken on purpose.
# Usage: ListCheckTest.sh PATH-TO-quovex-tool
. "$(dirname "$0")/ToolTestSupport.sh"
printf 'secret-pw\n' >pw.txt
CRED=(--user alice --password-file "$WORK/pw.txt")
# json_check FILE WHAT: the Python on standard input, given `items`, the JSON
# array in FILE, `named`, its items by file name, `work`, the current
# folder, and `box`, the FileBox of the vault there.
json_check() {
    python3 - "$1" "$PWD" <<<"import json, os, sys
items = json.load(open(sys.argv[1], encoding='utf-8'))
named = {i['storedPath'].rsplit('/', 1)[1]: i for i in items}
work = sys.argv[2]; box = work + '/vault/FileBox/'
$(cat)" || fail "$2"
}

mkdir prot && cd prot || exit 1
mkdir src
head -c 200000 /dev/urandom >src/big.bin # three whole chunks and a final one
printf '机密内容' >"src/合同.txt"
head -c 5000 /dev/urandom >src/torn.bin
head -c 1000 /dev/urandom >src/cut.bin
"$TOOL" init "${CRED[@]}" "${KDF[@]}" vault >/dev/null 2>&1 || fail "init of a protected vault"
B=vault/FileBox
# Each stored file's path on disk: its plain name, or a sealed one where the
# vault hides its names (HiddenNamesTest.sh looks at those).
BIG=$(store_one src/big.bin $B "${CRED[@]}") && CONTRACT=$(store_one "src/合同.txt" $B "${CRED[@]}") &&
    TORN=$(store_one src/torn.bin $B "${CRED[@]}") && CUT=$(store_one src/cut.bin $B "${CRED[@]}") ||
    fail "store into the protected vault"
[ "$BIG" = "$B/big.bin.\$" ] && HIDDEN=0 || HIDDEN=1
# Two slots (their size at offset 12) after a 32-byte header; chunks of
# 65552 stored bytes.
slot() { od -An -tu4 -j12 -N4 "$1" | tr -d ' '; }
flip() { # flip FILE OFFSET: every bit of one byte inverted in place
    local nByte
    nByte=$(od -An -tu1 -j"$2" -N1 "$1" | tr -d ' ')
    printf "\\$(printf '%03o' $((nByte ^ 0xFF)))" | dd of="$1" bs=1 seek="$2" conv=notrunc status=none
}
flip "$BIG" $((32 + 2 * $(slot "$BIG") + 2 * 65552 + 100))
flip "$TORN" $((32 + $(slot "$TORN") + 50))
truncate -s -1 "$CUT"
md5sum "$B"/* >before.md5

"$TOOL" list vault >list.txt 2>err.txt || fail "list without credentials: exit status"
grep -qF "$PWD/src" list.txt && fail "list without credentials shows a source path"
grep -q "summary:\|source:\|stored:" list.txt && fail "list without credentials shows metadata"
"$TOOL" list --json vault >list.json 2>/dev/null || fail "list --json without credentials"
# Hidden names show only counts and sizes without credentials: HiddenNamesTest.sh.
[ $HIDDEN = 0 ] && {
grep -q "format:  protected (source, size, date and summary are encrypted; give --user" list.txt || fail "list: format line"
grep -qF "($(stat -c %s "$B/big.bin.\$") bytes)" list.txt || fail "list: stored length"
json_check list.json "list --json without credentials" <<'PY'
assert sorted(named) == ["big.bin.$", "cut.bin.$", "torn.bin.$", "合同.txt.$"], items
for name, item in named.items():
    assert item["format"] == "protected", item
    assert item["storedSize"] == os.path.getsize(box + name), item
    for key in ("sourcePath", "plainSize", "sizeText", "storageDate", "summary"):
        assert item[key] is None, (name, key, item)
    assert item["damage"] == (["bad-length"] if name == "cut.bin.$" else []), item
PY
}

"$TOOL" list --json "${CRED[@]}" vault >keyed.json 2>err.txt || fail "list with credentials"
json_check keyed.json "list --json with credentials" <<'PY'
big = named["big.bin.$"]
assert big["sourcePath"] == work + "/src/big.bin" and big["plainSize"] == 200000, big
assert big["summary"] == "" and big["storageDate"] and big["damage"] == [], big
assert named["合同.txt.$"]["plainSize"] == len("机密内容".encode()), items
assert named["torn.bin.$"]["warnings"] == ["torn-slot"], items
PY
expect 1 "check of damaged protected files" check "${CRED[@]}" vault >out.txt
grep -qF "big.bin.\$: chunk 2 does not open" out.txt || fail "check: damaged chunk"
grep -qF "torn.bin.\$: warning: one metadata slot does not open" out.txt ||
    fail "check: torn slot"
grep -q "4 stored file(s) read, 2 damaged, 1 with a warning" err.txt || fail "check: count"
"$TOOL" check --json "${CRED[@]}" vault >check.json 2>/dev/null
json_check check.json "check --json" <<'PY'
found = {name: (i["damage"], i.get("chunk"), i["warnings"]) for name, i in named.items()}
assert found == {"big.bin.$": (["chunk"], 2, []), "cut.bin.$": (["chunk"], 0, []),
                 "torn.bin.$": ([], None, ["torn-slot"])}, found
PY
md5sum -c --quiet before.md5 || fail "list or check changed a stored file"

# Two stored files whose names were swapped by hand: check warns of both, a
# restore gives each its own name back, with its source's time; the disk
# shows one fixed time for every stored file.
mkdir swap && printf one >swap/one.txt && printf two >swap/two.txt
touch -d '2021-03-04 05:06:07.123456789' swap/one.txt
ONE=$(store_one swap/one.txt vault/ImageBox "${CRED[@]}") &&
    TWO=$(store_one swap/two.txt vault/ImageBox "${CRED[@]}") || fail "store of the pair"
[ "$(stat -c %Y "$ONE")" = 946684800 ] || fail "stored file's time on disk"
mv "$ONE" x && mv "$TWO" "$ONE" && mv x "$TWO"
expect 0 "check of swapped files" check "${CRED[@]}" vault/ImageBox >out.txt
grep -qF "one.txt.\$: warning: lies away from where it was stored (ImageBox/two.txt)" out.txt ||
    fail "check: a swapped file"
grep -q "2 stored file(s) read, 0 damaged, 2 with a warning" err.txt || fail "check: swap count"
"$TOOL" restore "${CRED[@]}" --to back vault/ImageBox 2>err.txt || fail "restore of the pair"
[ "$(cat back/ImageBox/one.txt)$(cat back/ImageBox/two.txt)" = onetwo ] || fail "swapped names"
grep -q "lies away from where it was stored" err.txt || fail "restore: away report"
[ "$(stat -c %y back/ImageBox/one.txt)" = "$(stat -c %y swap/one.txt)" ] || fail "source's time"

cd "$WORK" || exit 1
mkdir -p "src/文档"
head -c 1000 /dev/urandom >"src/文档/报告.txt"
head -c 300 /dev/urandom >src/a.bin
"$TOOL" init "${CRED[@]}" --format scrambled vault 2>/dev/null || fail "init"
"$TOOL" store "${CRED[@]}" --keep-source src vault/FileBox 2>/dev/null || fail "store"
REPORT="vault/FileBox/src/文档/报告.txt.\$"
# A summary as the properties dialog writes it: GB18030 text and a NUL at 146.
{ printf '季度摘要 "q"\\' | iconv -f UTF-8 -t GB18030 && printf '\0'; } |
    dd of="$REPORT" bs=1 seek=146 conv=notrunc status=none
cp "$REPORT" "vault/FileBox/"$'we"ird\t\xff.$'  # a name that is not UTF-8
printf 'plain' >vault/FileBox/notes.txt        # no ".$": not in the JSON below
printf 'QUOVIX and more' >vault/FileBox/broken.\$

"$TOOL" list vault >list.txt || fail "list exit status"
grep -qF "source:  $WORK/src/文档/报告.txt" list.txt || fail "Chinese source path"
grep -qF 'summary: 季度摘要 "q"\' list.txt || fail "summary"
grep -qF "size:    1000 bytes" list.txt || fail "size in the tool's words"
grep -q "stored:  [0-9]\{4\}-[0-9][0-9]-[0-9][0-9] [0-9][0-9]:[0-9][0-9]$" list.txt || fail "date"

"$TOOL" list --json vault/FileBox >list.json || fail "list --json exit status"
json_check list.json "list --json" <<'PY'
# Folders first, then files, each in name order; a byte not UTF-8 as \udcff.
assert [i["storedPath"] for i in items] == [
    box + "src/文档/报告.txt.$", box + "src/a.bin.$", box + "broken.$",
    box + 'we"ird\t\udcff.$'], items
report = items[0]
assert report["sourcePath"] == work + "/src/文档/报告.txt"
assert report["summary"] == '季度摘要 "q"\\' and report["plainSize"] == 1000
assert report["sizeText"] == "1000 bytes" and not report["damaged"]
assert items[1]["summary"] == "" and items[3]["sourcePath"] == report["sourcePath"]
assert items[2]["damaged"] and items[2]["damage"] == ["no-signature"]
assert items[2]["sourcePath"] is None and items[2]["storageDate"]
PY

# Credentials are optional for list; given, the vault's rule applies.
expect 0 "list with the right credentials" list "${CRED[@]}" vault >/dev/null
printf 'wrong-pw\n' >bad.txt
expect 1 "list with wrong credentials" list --user alice --password-file bad.txt vault
grep -q "wrong user name or password" err.txt || fail "list with wrong credentials: no reason"
expect 2 "a password without a user name" list --password-file pw.txt vault
expect 1 "list of a missing folder" list no-such-folder

# A sound vault passes; then one file broken in each way.
mkdir -p src2
for name in sound short-body partial other-creds no-sig short-header; do
    head -c 1000 /dev/urandom >"src2/$name"
done
"$TOOL" init "${CRED[@]}" --format scrambled v 2>/dev/null || fail "init v"
"$TOOL" store "${CRED[@]}" src2 v/FileBox 2>/dev/null || fail "store src2"
expect 0 "check of a sound vault" check "${CRED[@]}" v >out.txt
grep -q "6 stored file(s) read, 0 damaged" err.txt || fail "check count"
S=v/FileBox/src2
truncate -s -200 "$S/short-body.\$"
printf 'extra' >>"$S/partial.\$"
printf 'X' | dd of="$S/no-sig.\$" conv=notrunc status=none
truncate -s 100 "$S/short-header.\$"
rm "$S/other-creds.\$"
echo other >other-creds
BOB=(--user bob1 --password other-pw)
"$TOOL" init "${BOB[@]}" --format scrambled v2 2>/dev/null && "$TOOL" store "${BOB[@]}" other-creds \
    v2/FileBox 2>/dev/null || fail "store bob"
mv "v2/FileBox/other-creds.\$" "$S/"
cp "prot/$CONTRACT" "$S/合同.txt.\$"  # protected: the credentials open no protected vault

expect 1 "check of a damaged vault" check "${CRED[@]}" v >out.txt
grep -qF "other-creds.\$: other credentials" out.txt || fail "other credentials, text"
"$TOOL" check "${CRED[@]}" --json v >check.json 2>/dev/null
json_check check.json "check --json" <<'PY'
found = {name: i["damage"] for name, i in named.items()}
assert found == {"合同.txt.$": ["needs-key"], "no-sig.$": ["no-signature"],
                 "other-creds.$": ["other-credentials"], "partial.$": ["partial-block"],
                 "short-body.$": ["short-body", "partial-block"],
                 "short-header.$": ["short-header"]}, found
PY
expect 2 "check without --user" check v </dev/null

finish "list and check"
