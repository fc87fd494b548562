#!/usr/bin/env bash
# quovex-tool and the versions of one stored file: the same name stored on
# two machines while apart (a copy of the vault stands for the other
# machine, and its new stored file is brought over as a sync engine would),
# and a Syncthing conflict copy made by hand, in a vault that hides its
# names and in a scrambled one. list shows one item with numbered versions,
# check reports them as a finding, restore takes the newest or --version N
# and refuses a number out of range without writing anything.
# Usage: VersionsTest.sh PATH-TO-quovex-tool
. "$(dirname "$0")/ToolTestSupport.sh"
printf 'secret-pw\n' >pw.txt
CRED=(--user alice --password-file "$WORK/pw.txt")
mkdir -p a b
head -c 3000 /dev/urandom >a/报告.txt
head -c 500 /dev/urandom >b/报告.txt
printf 'other' >a/other.txt
"$TOOL" init "${CRED[@]}" "${KDF[@]}" vault >/dev/null 2>&1 || fail "init"
B="$PWD/vault/FileBox"
store_one a/other.txt vault/FileBox "${CRED[@]}" >/dev/null || fail "store of other.txt"
cp -a vault machine2
FIRST=$(store_one a/报告.txt vault/FileBox "${CRED[@]}") || fail "store on the first machine"
SECOND=$(store_one b/报告.txt machine2/FileBox "${CRED[@]}") || fail "store on the second machine"
cp "$SECOND" vault/FileBox/
[ "$(basename "$FIRST")" != "$(basename "$SECOND")" ] || fail "one sealed name for two stores"

# versions_of JSON PLAIN: "N SOURCE..." of the item PLAIN in list --json, by version.
versions_of() {
    python3 - "$1" "$2" <<'PY'
import json, sys
items = [i for i in json.load(open(sys.argv[1], encoding="utf-8")) if i["storedPath"] == sys.argv[2]]
assert len(items) == 1, items
v = items[0]["versions"]
assert items[0]["versionCount"] == len(v) and [x["version"] for x in v] == list(range(1, len(v) + 1))
times = [x["storedTime"] for x in v]
assert times == sorted(times), times
print(len(v), *[x["sourcePath"] for x in v])
PY
}

expect 0 "list of two versions" list "${CRED[@]}" vault >list.txt
grep -qxF "$B/报告.txt.\$: 2 versions of one stored file (stored on two machines while apart, or kept by a sync engine as a conflict copy)" list.txt ||
    fail "list: no item of two versions: $(cat list.txt)"
grep -qE '^  version 1: stored [0-9-]+ [0-9:]+, ' list.txt && grep -q '^  version 2: ' list.txt ||
    fail "list: the versions by number: $(cat list.txt)"
grep -qxF "$B/other.txt.\$" list.txt || fail "list: the file of one version"
"$TOOL" list --json "${CRED[@]}" vault >list.json 2>/dev/null || fail "list --json"
read -r COUNT OLDEST NEWEST < <(versions_of list.json "$B/报告.txt.\$") || fail "list --json: the versions"
[ "$COUNT" = 2 ] || fail "list --json: $COUNT versions"
[ "$(sort <<<"$OLDEST"$'\n'"$NEWEST")" = "$(printf '%s\n' "$WORK/a/报告.txt" "$WORK/b/报告.txt")" ] ||
    fail "list --json: the sources $OLDEST $NEWEST"

# A conflict copy of the first, as Syncthing names it: a third version, of its device.
COPY="${FIRST%.\$}.sync-conflict-20261209-022408-S3MHZRP.\$"
cp "$FIRST" "$COPY"
"$TOOL" list --json "${CRED[@]}" vault/FileBox >list.json 2>/dev/null || fail "list --json of three"
python3 - list.json "$B" <<'PY' || fail "list --json: the conflict copy is a version"
import json, sys
items = json.load(open(sys.argv[1], encoding="utf-8"))
assert sorted(i["storedPath"] for i in items) == [sys.argv[2] + "/other.txt.$", sys.argv[2] + "/报告.txt.$"], items
v = [i for i in items if "versions" in i][0]["versions"]
assert len(v) == 3 and [x["device"] for x in v].count("S3MHZRP") == 1, v
assert all(x["diskPath"] is None and not x["damaged"] for x in v), v
PY
expect 0 "check of three versions" check "${CRED[@]}" vault >check.txt
grep -qF "$B/报告.txt.\$: 3 versions of one stored file, not resolved yet (not damage)" check.txt ||
    fail "check: no finding: $(cat check.txt)"
grep -q "warning" check.txt && fail "check: a version taken for a file lying away"
grep -q "4 stored file(s) read, 0 damaged, 1 name(s) of several versions$" err.txt ||
    fail "check: the count: $(cat err.txt)"
"$TOOL" check --json "${CRED[@]}" vault >check.json 2>/dev/null || fail "check --json"
python3 - check.json <<'PY' || fail "check --json: the finding"
import json, sys
items = json.load(open(sys.argv[1], encoding="utf-8"))
assert [(i["warnings"], i["versionCount"], i["damaged"]) for i in items] == [(["versions"], 3, False)], items
PY

# restore: the newest unless --version N; a number out of range writes nothing.
read -r COUNT V1 V2 V3 < <(versions_of list.json "$B/报告.txt.\$")
expect_says 0 "restore of the newest" "names 3 versions of one stored file; restoring the newest, version 3" \
    restore "${CRED[@]}" --to out3 "vault/FileBox/报告.txt.\$"
grep -q "^  version 3: stored " err.txt || fail "restore: the versions are not told: $(cat err.txt)"
cmp -s out3/报告.txt "$V3" || fail "restore: not the newest"
grep -q "lies away" err.txt && fail "restore: a version taken for a file lying away"
expect 0 "restore of version 1" restore "${CRED[@]}" --version 1 --to out1 "vault/FileBox/报告.txt.\$"
cmp -s out1/报告.txt "$V1" || fail "restore --version 1: not the oldest"
expect_says 1 "restore of version 4 of 3" "--version 4 is out of range: .* has 3 versions (1 to 3); nothing restored" \
    restore "${CRED[@]}" --version 4 --to out4 "vault/FileBox/报告.txt.\$"
[ -e out4 ] && fail "restore --version 4 wrote something"
expect_says 1 "restore --version 2 of one file" "only --version 1 names it" \
    restore "${CRED[@]}" --version 2 --to out5 "vault/FileBox/other.txt.\$"
[ -e out5 ] && fail "restore --version 2 of one file wrote something"
expect_says 2 "--version 0" "--version takes a whole number from 1" \
    restore "${CRED[@]}" --version 0 "vault/FileBox/报告.txt.\$"

# summary sets a stored file's summary; of several versions only the one
# --version names, never one picked for the user.
expect 0 "summary of one file" summary "${CRED[@]}" "vault/FileBox/other.txt.\$" "体检 2026"
"$TOOL" list --json "${CRED[@]}" "vault/FileBox/other.txt.\$" 2>/dev/null | grep -q '"summary": *"体检 2026"' ||
    fail "summary: not in the listing"
expect_says 1 "summary of three versions" "has 3 versions: give --version N" \
    summary "${CRED[@]}" "vault/FileBox/报告.txt.\$" "x"
expect 0 "summary of version 1" summary "${CRED[@]}" --version 1 "vault/FileBox/报告.txt.\$" "旧的"
"$TOOL" list --json "${CRED[@]}" vault/FileBox 2>/dev/null | grep -c '"summary": *"旧的"' | grep -qx 1 ||
    fail "summary: version 1 did not get it, or more did"
expect 2 "summary without a text" summary "${CRED[@]}" "vault/FileBox/other.txt.\$"

# A scrambled vault, whose names are visible: the copy is shown by the name
# it copies, and restore by the plain path (the original's own) takes the newest.
"$TOOL" init "${CRED[@]}" --format scrambled svault >/dev/null 2>&1 || fail "init scrambled"
S="$PWD/svault/FileBox"
store_one a/报告.txt svault/FileBox "${CRED[@]}" >/dev/null || fail "scrambled store"
cp "$S/报告.txt.\$" "$S/报告.txt (LAPTOP's conflicted copy 2026-12-09).\$"
"$TOOL" list --json "${CRED[@]}" svault >slist.json 2>/dev/null || fail "scrambled list --json"
python3 - slist.json "$S" <<'PY' || fail "scrambled list --json: one item, two versions"
import json, sys
items = json.load(open(sys.argv[1], encoding="utf-8"))
s = sys.argv[2]
assert [i["storedPath"] for i in items] == [s + "/报告.txt.$"], items
v = items[0]["versions"]
assert sorted(x["diskPath"] for x in v) == sorted([s + "/报告.txt.$", s + "/报告.txt (LAPTOP's conflicted copy 2026-12-09).$"]), v
assert [x["device"] for x in v].count("LAPTOP") == 1, v
PY
expect_says 0 "scrambled restore by the plain path" "names 2 versions" \
    restore "${CRED[@]}" --to sout "svault/FileBox/报告.txt.\$"
cmp -s sout/报告.txt a/报告.txt || fail "scrambled restore differs"

finish "versions"
