#!/usr/bin/env bash
# quovex-tool list and check on protected stored files: without credentials
# their names and lengths alone; with them their sealed metadata, every
# chunk authenticated, the damaged chunk named, a torn slot a warning and
# nothing written. In a temporary folder.
# Usage: ProtectedListCheckTest.sh PATH-TO-quovex-tool
. "$(dirname "$0")/ToolTestSupport.sh"
printf 'secret-pw\n' >pw.txt
CRED=(--user alice --password-file pw.txt)

mkdir src
head -c 200000 /dev/urandom >src/big.bin # three whole chunks and a final one
printf '机密内容' >"src/合同.txt"
head -c 5000 /dev/urandom >src/torn.bin
head -c 1000 /dev/urandom >src/cut.bin
"$TOOL" store "${CRED[@]}" "${KDF[@]}" --keep-source src/big.bin "src/合同.txt" src/torn.bin \
    src/cut.bin vault/FileBox >/dev/null 2>&1 || fail "store into a new protected vault"
B=vault/FileBox
# Slots of 1024 bytes after a 32-byte header; chunks of 65552 stored bytes.
HEAD=$((32 + 2 * 1024))
flip() { # flip FILE OFFSET: one byte changed in place
    printf '\xA5' | dd of="$1" bs=1 seek="$2" conv=notrunc status=none
}
flip "$B/big.bin.\$" $((HEAD + 2 * 65552 + 100))
flip "$B/torn.bin.\$" $((32 + 1024 + 50))
truncate -s -1 "$B/cut.bin.\$"
md5sum "$B"/* >before.md5

"$TOOL" list vault >list.txt 2>err.txt || fail "list without credentials: exit status"
grep -q "format:  protected, sealed without the key" list.txt || fail "list: format line"
grep -qF "($(stat -c %s "$B/big.bin.\$") bytes)" list.txt || fail "list: stored length"
grep -qF "$WORK/src" list.txt && fail "list without credentials shows a source path"
grep -q "summary:\|source:\|stored:" list.txt && fail "list without credentials shows metadata"
"$TOOL" list --json vault >list.json 2>/dev/null || fail "list --json without credentials"
python3 - "$WORK" <<'PY' || fail "list --json without credentials"
import json, os, sys
box = sys.argv[1] + "/vault/FileBox/"
items = {i["storedPath"][len(box):]: i for i in json.load(open("list.json", encoding="utf-8"))}
assert sorted(items) == ["big.bin.$", "cut.bin.$", "torn.bin.$", "合同.txt.$"], items
for name, item in items.items():
    assert item["format"] == "protected", item
    assert item["storedSize"] == os.path.getsize(box + name), item
    for key in ("sourcePath", "plainSize", "sizeText", "storageDate", "summary"):
        assert item[key] is None, (name, key, item)
    assert item["damage"] == (["bad-length"] if name == "cut.bin.$" else []), item
PY

# A protected file among a scrambled vault's files is not vouched for by
# credentials that open no protected vault.
"$TOOL" store "${CRED[@]}" --format scrambled --keep-source src/cut.bin sv/FileBox 2>/dev/null ||
    fail "store into a scrambled vault"
cp "$B/合同.txt.\$" sv/FileBox/
expect 1 "check of a scrambled vault holding a protected file" check "${CRED[@]}" sv >out.txt
grep -qF "合同.txt.\$: protected, and the credentials open no protected vault" out.txt ||
    fail "needs-key not reported"

"$TOOL" list --json "${CRED[@]}" vault >keyed.json 2>err.txt || fail "list with credentials"
python3 - "$WORK" <<'PY' || fail "list --json with credentials"
import json, sys
work = sys.argv[1]
box = work + "/vault/FileBox/"
items = {i["storedPath"][len(box):]: i for i in json.load(open("keyed.json", encoding="utf-8"))}
big = items["big.bin.$"]
assert big["sourcePath"] == work + "/src/big.bin" and big["plainSize"] == 200000, big
assert big["summary"] == "" and big["storageDate"] and big["damage"] == [], big
assert items["合同.txt.$"]["plainSize"] == len("机密内容".encode()), items
assert items["torn.bin.$"]["warnings"] == ["torn-slot"], items
PY
expect 1 "check of damaged protected files" check "${CRED[@]}" vault >out.txt
grep -qF "big.bin.\$: chunk 2 does not open" out.txt || fail "check: damaged chunk"
grep -qF "cut.bin.\$: chunk 0 does not open" out.txt || fail "check: cut file"
grep -qF "torn.bin.\$: warning: one metadata slot does not open" out.txt ||
    fail "check: torn slot"
grep -q "4 stored file(s) read, 2 damaged, 1 with a warning" err.txt || fail "check: count"
"$TOOL" check --json "${CRED[@]}" vault >check.json 2>/dev/null
python3 - <<'PY' || fail "check --json"
import json
found = {i["storedPath"].rsplit("/", 1)[1]: (i["damage"], i.get("chunk"), i["warnings"])
         for i in json.load(open("check.json", encoding="utf-8"))}
assert found == {"big.bin.$": (["chunk"], 2, []), "cut.bin.$": (["chunk"], 0, []),
                 "torn.bin.$": ([], None, ["torn-slot"])}, found
PY
md5sum -c --quiet before.md5 || fail "list or check changed a stored file"

finish "protected list and check"
