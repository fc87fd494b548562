# Sourced by SyncthingTest.sh: the cases, one function each, numbered there.
# Each shares a folder of its own (c1, c2, ...) whose root is the vault.

# A vault made and filled on A is read and restored on B byte for byte.
case_made_on_a_read_on_b() {
    password c1 "first-pass-1"
    fresh_vault c1 c1 || return
    make_file src1/report.txt 5000
    make_file src1/photos/beach.jpg 300000
    make_file src1/photos/raw/night.jpg 70000
    expect 0 "store on A" A store $(cred c1) --keep-source src1/report.txt "$WORK/A/c1/FileBox" &&
        expect 0 "store of a folder on A" A store $(cred c1) --keep-source src1/photos \
            "$WORK/A/c1/ImageBox" || return
    st_sync c1 || { fail "no sync"; return; }
    same_digest "the vault after the sync" "$WORK/A/c1" "$WORK/B/c1"
    expect 0 "list on A" A list $(cred c1) --json "$WORK/A/c1" && mv out.txt list-a.json
    expect 0 "list on B" B list $(cred c1) --json "$WORK/B/c1" && mv out.txt list-b.json
    local strPick='[.[] | {p: (.storedPath | sub("^.*/c1/"; "")), plainSize, damaged}] | sort_by(.p)'
    [ "$(jq -c "$strPick" list-a.json)" = "$(jq -c "$strPick" list-b.json)" ] ||
        fail "list differs: A $(jq -c "$strPick" list-a.json), B $(jq -c "$strPick" list-b.json)"
    [ "$(json_count list-b.json)" -eq 3 ] || fail "B lists $(json_count list-b.json) files, not 3"
    expect 0 "restore of a file on B" B restore $(cred c1) --to "$WORK/out1" \
        "$WORK/B/c1/FileBox/report.txt.\$" &&
        expect 0 "restore of a folder on B" B restore $(cred c1) --to "$WORK/out1" \
            "$WORK/B/c1/ImageBox/photos" || return
    cmp src1/report.txt out1/report.txt || fail "restored report.txt differs"
    diff -r src1/photos out1/photos >/dev/null || fail "restored photos differ"
    echo "   delete: not tried, quovex-tool has no command that deletes a stored file"
}
