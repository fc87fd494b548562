#!/usr/bin/env bash
# quovex-tool in a protected vault whose names are hidden: a tree of Chinese
# names stored, listed and checked under plain names only, counted without
# credentials, restored by plain paths byte for byte; stored files moved by
# hand reported as away and restored under their sealed names; two files of
# one plain name listed as its versions, the newest restored by that name
# and either one by its path on disk.
# Skipped (77) where init still makes vaults whose names are visible.
# Usage: HiddenNamesTest.sh PATH-TO-quovex-tool
. "$(dirname "$0")/ToolTestSupport.sh"
printf 'secret-pw\n' >pw.txt
CRED=(--user alice --password-file "$WORK/pw.txt")
LONG=$(printf '档%.0s' {1..50}).txt # 154 bytes: a short form on disk
mkdir -p "drop/资料/深层"
head -c 70000 /dev/urandom >"drop/资料/报告.doc"
head -c 300 /dev/urandom >"drop/资料/深层/笔记.txt"
head -c 20 /dev/urandom >"drop/资料/$LONG"
printf 'top' >drop/a.txt
cp -r drop orig
"$TOOL" init "${CRED[@]}" "${KDF[@]}" vault >/dev/null 2>&1 || fail "init"
expect 0 "store of the tree" store "${CRED[@]}" drop vault/FileBox
[ -e drop ] && fail "the sources were kept"
if [ -d vault/FileBox/drop ]; then
    echo "skipped: new protected vaults keep their names visible"
    exit 77
fi
B="$PWD/vault/FileBox"
find vault/FileBox | grep -E '资料|深层|报告|笔记|档|a\.txt|drop' && fail "a plain name on disk"
# The names on disk, which nothing below may show.
mapfile -t SEALED < <(find vault/FileBox -mindepth 1 -printf '%f\n')
[ "${#SEALED[@]}" -eq 7 ] || fail "not 7 names on disk: ${SEALED[*]}"
no_sealed() { # no_sealed FILE WHAT
    local strName
    for strName in "${SEALED[@]}"; do grep -qF "${strName%.\$}" "$1" && fail "$2 shows $strName"; done
}

expect 0 "list" list "${CRED[@]}" vault >list.txt
grep -qxF "$B/drop/资料/报告.doc.\$" list.txt && grep -qxF "$B/drop/资料/$LONG.\$" list.txt ||
    fail "list: plain paths"
no_sealed list.txt "list"
"$TOOL" list --json "${CRED[@]}" vault/FileBox/drop >list.json 2>/dev/null || fail "list --json"
no_sealed list.json "list --json"
python3 - list.json "$B" "$WORK" <<'PY' || fail "list --json: plain paths in the tree's order"
import json, sys
items = json.load(open(sys.argv[1], encoding="utf-8"))
box, work = sys.argv[2], sys.argv[3]
rel = ["资料/深层/笔记.txt", "资料/报告.doc", "资料/" + "档" * 50 + ".txt", "a.txt"]
assert [i["storedPath"] for i in items] == [box + "/drop/" + r + ".$" for r in rel], items
assert [i["sourcePath"] for i in items] == [work + "/drop/" + r for r in rel], items
assert all(not i["unreadableName"] and not i["warnings"] and not i["damage"] for i in items)
assert items[1]["plainSize"] == 70000, items[1]
PY
expect 0 "check" check "${CRED[@]}" vault >check.txt
grep -q "4 stored file(s) read, 0 damaged$" err.txt || fail "check: count"
[ -s check.txt ] && fail "check of a sound vault reports: $(cat check.txt)"

# Without credentials: how many stored files, and their size, per box.
expect 0 "list without credentials" list vault >count.txt
grep -q "^  FileBox:  4 stored file(s), .* stored$" count.txt &&
    grep -q "^  ImageBox: 0 stored file(s), 0 bytes stored$" count.txt || fail "counts: $(cat count.txt)"
grep -qE '资料|报告|drop' count.txt && fail "counts show a plain name"
no_sealed count.txt "the counts"
"$TOOL" list --json vault/FileBox >count.json 2>/dev/null || fail "list --json without credentials"
SIZE=$(find vault/FileBox -type f -name '*.$' -printf '%s\n' | awk '{ n += $1 } END { print n }')
python3 - count.json "$SIZE" <<'PY' || fail "list --json without credentials: counts"
import json, sys
items = json.load(open(sys.argv[1], encoding="utf-8"))
assert items == [{"box": "FileBox", "storedFiles": 4, "storedSize": int(sys.argv[2]),
                  "sizeText": items[0]["sizeText"]}], items
PY
expect_says 1 "a plain path without credentials" "give --user" list vault/FileBox/drop

# Restores by plain paths: a file, a folder, a file to its recorded place.
expect 0 "restore of a file by its plain path" restore "${CRED[@]}" --to out1 \
    "vault/FileBox/drop/资料/报告.doc.\$"
cmp -s out1/报告.doc "orig/资料/报告.doc" || fail "the file restored differs"
expect 0 "restore of a folder by its plain path" restore "${CRED[@]}" --to out2 vault/FileBox/drop/资料
diff -r out2/资料 orig/资料 >/dev/null || fail "the folder restored differs"
expect 0 "restore to the recorded place" restore "${CRED[@]}" "vault/FileBox/drop/a.txt.\$"
cmp -s drop/a.txt orig/a.txt || fail "the file restored to its place differs"
expect_says 1 "restore of a plain path that names nothing" "no stored file or folder: $B/drop/无.txt" \
    restore "${CRED[@]}" --to out1 "vault/FileBox/drop/无.txt.\$"

# Stores: the question names the plain path; nothing goes below a box.
expect_says 1 "a declined replace" "$B/drop/a.txt.\$ is in the vault already; replace it? no" \
    store "${CRED[@]}" --keep-source drop vault/FileBox
no_sealed err.txt "the store's question"
expect_says 1 "a store below a box" "hides its names: store only into one of its box folders" \
    store "${CRED[@]}" --keep-source drop/a.txt vault/FileBox/drop

# a.txt moved by hand into 资料: away from its place where it lies, and
# restored under the name it was stored with.
DROP=$(find vault/FileBox -mindepth 1 -maxdepth 1 -type d)
ZL=$(find "$DROP" -mindepth 1 -maxdepth 1 -type d)
mv "$(find "$DROP" -maxdepth 1 -type f)" "$ZL/"
expect 0 "check of a file moved by hand" check "${CRED[@]}" vault >check.txt
grep -qF "$B/drop/资料/a.txt.\$: warning: lies away from where it was stored (FileBox/drop/a.txt)" \
    check.txt || fail "check: the file moved by hand: $(cat check.txt)"
expect 0 "restore of the folder it was moved into" restore "${CRED[@]}" --to out3 \
    vault/FileBox/drop/资料
cmp -s out3/资料/a.txt orig/a.txt || fail "the file moved by hand restored differs"
grep -qF "$B/drop/资料/a.txt.\$ lies away from where it was stored (FileBox/drop/a.txt)" err.txt ||
    fail "restore: no away report"
expect 0 "restore of it by where it lies" restore "${CRED[@]}" --to out4 "vault/FileBox/drop/资料/a.txt.\$"
cmp -s out4/a.txt orig/a.txt || fail "the file moved by hand, restored alone, differs"

# 报告.doc and the long-named file swapped by hand: two files by the name
# 报告.doc (one by its own sealed name, one by its sealed place), which a
# restore by that name takes the newest of, and one by a path on disk takes.
REPORT=$(find "$ZL" -maxdepth 1 -type f -size +60k)
SHORT=$(find "$ZL" -maxdepth 1 -type f -name '1*')
mv "$REPORT" x && mv "$SHORT" "$REPORT" && mv x "$SHORT"
expect_says 0 "restore of a name of two files" \
    "drop/资料/报告.doc.\$ names 2 versions of one stored file; restoring the newest, version 2" \
    restore "${CRED[@]}" --to out6 "vault/FileBox/drop/资料/报告.doc.\$"
# (The one that lies away goes by the name it was stored with.)
[ "$(find out6 -type f | wc -l)" -eq 1 ] || fail "the newest version was not restored"
expect 0 "restore of one version by its path on disk" restore "${CRED[@]}" --to out5 "$SHORT"
cmp -s out5/报告.doc "orig/资料/报告.doc" || fail "the version restored differs"
"$TOOL" list --json "${CRED[@]}" "vault/FileBox/drop/资料/报告.doc.\$" >versions.json 2>/dev/null ||
    fail "list of both versions"
python3 - versions.json <<'PY' || fail "list: not one item of both versions"
import json, sys
items = json.load(open(sys.argv[1], encoding="utf-8"))
assert len(items) == 1 and items[0]["versionCount"] == 2, items
PY

# A folder moved by hand: its name does not open where it lies, so it is
# shown by its path on disk, and nothing below it is taken for another's.
DEEP=$(find "$ZL" -mindepth 1 -maxdepth 1 -type d)
mv "$DEEP" "$DROP/"
expect 1 "check of a folder moved by hand" check "${CRED[@]}" --json vault >check.json
python3 - check.json "$PWD/$DROP/$(basename "$DEEP")" <<'PY' || fail "check: the unreadable folder"
import json, sys
found = [i for i in json.load(open(sys.argv[1], encoding="utf-8")) if i["unreadableName"]]
assert [(i["storedPath"], i["damage"]) for i in found] == [(sys.argv[2], ["unreadable-name"])], found
PY
expect_says 1 "list of a folder moved by hand" "$DROP/$(basename "$DEEP"): a folder whose name does not open" \
    list "${CRED[@]}" vault >/dev/null

finish "hidden names"
