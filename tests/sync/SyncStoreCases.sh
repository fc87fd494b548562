# Sourced by SyncthingTest.sh: the cases of the stored files (1, 5 to 8),
# one function each. Each shares a folder of its own (c1, ...), the vault's
# root.

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

# store_versions SIDE COUNT: doc.txt stored into SIDE's FileBox of c5 COUNT
# times, each time with other bytes ("SIDE-0", "SIDE-1", ...) over the last.
store_versions() {
    local nAt strOverwrite=()
    mkdir -p "src5$1"
    for ((nAt = 0; nAt < $2; ++nAt)); do
        printf '%s-%d' "$1" $nAt >"src5$1/doc.txt"
        expect 0 "store $nAt on $1" "$1" store $(cred c5) --keep-source "${strOverwrite[@]}" \
            "src5$1/doc.txt" "$WORK/$1/c5/FileBox" || return 1
        strOverwrite=(--overwrite yes)
    done
}

# One name stored on both sides while apart, twelve times on each (each
# store after the first replacing that side's own), arrives as two versions,
# the last of each side: no conflict copy to be lost, none damaged.
case_versions_stored_apart() {
    password c5 "fifth-pass-5"
    fresh_vault c5 c5 || return
    make_file src5/other.bin 3000
    expect 0 "store on A" A store $(cred c5) --keep-source src5/other.bin "$WORK/A/c5/FileBox" || return
    st_sync c5 && st_pause || { fail "no sync, or no pause"; return; }
    store_versions A 12 && store_versions B 12 || return
    st_resume && st_sync c5 || { fail "no sync after the resume"; return; }
    same_digest "the vault after the sync" "$WORK/A/c5" "$WORK/B/c5"
    echo "   conflict copies on A and B: $(find A/c5 -name '*sync-conflict*' | wc -l)," \
        "$(find B/c5 -name '*sync-conflict*' | wc -l)"
    local strSide
    for strSide in A B; do
        [ "$(stored_on_disk "$WORK/$strSide/c5")" -eq 3 ] ||
            fail "$(stored_on_disk "$WORK/$strSide/c5") stored files on $strSide's disk, not 3"
        expect 0 "list on $strSide" "$strSide" list $(cred c5) --json "$WORK/$strSide/c5" &&
            { [ "$(jq '[.[] | select(.storedPath | endswith("/FileBox/doc.txt.$")) | .versionCount] | .[0]' out.txt)" = 2 ] ||
                fail "$strSide lists $(jq -c '[.[] | [.storedPath, .versionCount]]' out.txt), not doc.txt of two versions"; }
        expect 0 "check on $strSide" "$strSide" check $(cred c5) "$WORK/$strSide/c5" &&
            says " 0 damaged" "check on $strSide"
    done
    # restore takes the newest, or the version --version names; each one restores.
    expect 0 "restore of the twice stored name on B" B restore $(cred c5) --to "$WORK/out5/n" \
        "$WORK/B/c5/FileBox/doc.txt.\$" && says "2 versions" "restore of the twice stored name"
    local nAt
    for nAt in 1 2; do
        expect 0 "restore of version $nAt" B restore $(cred c5) --version $nAt \
            --to "$WORK/out5/$nAt" "$WORK/B/c5/FileBox/doc.txt.\$" &&
            cat "out5/$nAt/doc.txt" >>versions.txt && echo >>versions.txt
    done
    cmp -s out5/n/doc.txt out5/2/doc.txt || fail "the restore without --version is not the newest"
    [ "$(LC_ALL=C sort versions.txt 2>/dev/null | tr '\n' ' ')" = "A-11 B-11 " ] ||
        fail "the versions restored are $(tr '\n' ' ' <versions.txt 2>/dev/null), not A-11 and B-11"
}

# A summary edited on both sides while apart: an edit moves the stored
# file's time on, so the engine sees both and keeps one as a conflict copy,
# which is a version of the file: both summaries survive, as two versions.
case_summary_edited_apart() {
    password c6 "sixth-pass-6"
    fresh_vault c6 c6 || return
    make_file src6/note.txt 2000
    expect 0 "store on A" A store $(cred c6) --keep-source src6/note.txt "$WORK/A/c6/FileBox" || return
    st_sync c6 || { fail "no sync"; return; }
    expect 0 "a summary on B before the pause" B summary $(cred c6) \
        "$WORK/B/c6/FileBox/note.txt.\$" "edited once" || return
    st_sync c6 && st_pause || { fail "the first edit did not arrive, or no pause"; return; }
    expect 0 "the first edit, listed on A" A list $(cred c6) --json "$WORK/A/c6" &&
        [ "$(jq -r '.[0].summary' out.txt)" = "edited once" ] || fail "A never saw B's edit"
    expect 0 "summary on A" A summary $(cred c6) "$WORK/A/c6/FileBox/note.txt.\$" "edited on A" &&
        expect 0 "summary on B" B summary $(cred c6) "$WORK/B/c6/FileBox/note.txt.\$" \
            "edited on B" || return
    st_resume && st_sync c6 || { fail "no sync after the resume"; return; }
    same_digest "the vault after the sync" "$WORK/A/c6" "$WORK/B/c6"
    local strSide strSummaries
    for strSide in A B; do
        expect 0 "list on $strSide" "$strSide" list $(cred c6) --json "$WORK/$strSide/c6" || continue
        strSummaries=$(jq -c '[.[] | select(.storedPath | endswith("note.txt.$")) |
            (.versions // [.])[] | .summary] | sort' out.txt)
        [ "$strSummaries" = '["edited on A","edited on B"]' ] ||
            fail "the summaries on $strSide are $strSummaries, not both edits as two versions"
        expect 0 "check on $strSide" "$strSide" check $(cred c6) "$WORK/$strSide/c6"
    done
}

# engine_named FILE...: a line of the files names one of the engine's own.
engine_named() { grep -lE 'syncthing|\.stfolder|\.stversions|sync-conflict' "$@"; }

# probe_b_in_transfer FOLDER: list and check on B while the big file comes
# in: nothing damaged, no engine file listed. Returns 0 (ending the poll)
# when the folder is in sync or a probe failed.
IN_FLIGHT=0
probe_b_in_transfer() {
    compgen -G "$WORK/B/$1/FileBox/.syncthing.*.tmp" >/dev/null && IN_FLIGHT=$((IN_FLIGHT + 1))
    expect 0 "list on B in transfer" B list $(cred c7) --json "$WORK/B/$1" || return 0
    mv out.txt list.json
    expect 0 "check on B in transfer" B check $(cred c7) --json "$WORK/B/$1" || return 0
    if [ "$(jq '[.[] | select(.damaged)] | length' list.json)" -ne 0 ] || [ "$(jq length out.txt)" -ne 0 ]; then
        fail "B reports a damaged file in transfer: $(jq -c . list.json out.txt)"
        return 0
    fi
    if engine_named list.json out.txt err.txt >/dev/null || [ "$(jq length list.json)" -gt 2 ]; then
        fail "B lists an engine file in transfer: $(jq -c '[.[].storedPath]' list.json)"
        return 0
    fi
    st_in_sync "$1"
}

# A 200 MiB store on A read on B while it arrives: B's list and check never
# see a damaged file nor the engine's temporary; afterwards it restores.
case_large_store_in_transfer() {
    password c7 "seventh-pass-7"
    fresh_vault c7 c7 || return
    make_file src7/small.bin 5000
    expect 0 "store on A" A store $(cred c7) --keep-source src7/small.bin "$WORK/A/c7/FileBox" &&
        st_sync c7 || { fail "no first sync"; return; }
    make_file src7/big.bin 200M
    expect 0 "200 MiB store on A" A store $(cred c7) --keep-source src7/big.bin "$WORK/A/c7/FileBox" ||
        return
    # Unbounded, the loopback carries it in less time than one probe takes;
    # at 40 MiB/s the transfer lasts about five seconds.
    st_api B PATCH /rest/config/options '{"maxRecvKbps": 40960, "limitBandwidthInLan": true}' >/dev/null
    IN_FLIGHT=0
    st_scan A c7 && st_poll "sync of c7" probe_b_in_transfer c7 || fail "no sync of the 200 MiB file"
    st_api B PATCH /rest/config/options '{"maxRecvKbps": 0, "limitBandwidthInLan": false}' >/dev/null
    echo "   B was probed $IN_FLIGHT time(s) while the engine's temporary was there"
    [ "$IN_FLIGHT" -gt 0 ] || fail "no probe fell in the transfer"
    expect 0 "restore of the 200 MiB file on B" B restore $(cred c7) --to "$WORK/out7" \
        "$WORK/B/c7/FileBox/big.bin.\$" &&
        { [ "$(sha src7/big.bin)" = "$(sha out7/big.bin)" ] || fail "the restored 200 MiB file differs"; }
    rm -rf src7 out7 A/c7/FileBox B/c7/FileBox
}

# b_pulling FOLDER: the engine's temporary of a file in transfer is in B's
# FileBox.
b_pulling() { compgen -G "$WORK/B/$1/FileBox/.syncthing.*.tmp" >/dev/null; }

# The engine's files in B's vault, each made by the engine: .stfolder, a
# version kept in .stversions, a temporary held by a transfer cut off by a
# pause (and a copy under the name the engine gives it on Windows). None is
# ever listed, counted or checked.
case_engine_files_unseen() {
    password c8 "eighth-pass-8"
    fresh_vault c8 c8 || return
    st_api B PATCH /rest/config/folders/c8 '{"versioning": {"type": "simple", "params": {"keep": "5"}}}' \
        >/dev/null || { fail "no versioning on B"; return; }
    make_file src8/a.bin 5000
    make_file src8/b.bin 6000
    expect 0 "store on A" A store $(cred c8) --keep-source src8/a.bin src8/b.bin "$WORK/A/c8/FileBox" &&
        st_sync c8 || { fail "no first sync"; return; }
    make_file src8/a.bin 7000
    expect 0 "store again on A" A store $(cred c8) --keep-source --overwrite yes src8/a.bin \
        "$WORK/A/c8/FileBox" && st_sync c8 || { fail "no second sync"; return; }
    [ -n "$(find B/c8/.stversions -name '*.$' 2>/dev/null)" ] || fail "B kept no version in .stversions"
    # Slowed to 100 KiB/s, the transfer of 3 MiB is still going when B pauses.
    st_api B PATCH /rest/config/options '{"maxRecvKbps": 100, "limitBandwidthInLan": true}' >/dev/null
    make_file src8/c.bin 3M
    expect 0 "store of 3 MiB on A" A store $(cred c8) --keep-source src8/c.bin "$WORK/A/c8/FileBox" &&
        st_scan A c8 && st_poll "a transfer into B's FileBox" b_pulling c8 && st_pause ||
        { fail "no cut-off transfer"; st_api B PATCH /rest/config/options '{"maxRecvKbps": 0}' >/dev/null; return; }
    local strTemp
    strTemp=$(compgen -G "$WORK/B/c8/FileBox/.syncthing.*.tmp" | head -1)
    cp "$strTemp" "$WORK/B/c8/FileBox/~syncthing~${strTemp##*/.syncthing.}"
    echo "   B's engine files: $(cd B/c8 && find . -name '.st*' -o -name '*syncthing*' | tr '\n' ' ')"
    expect 0 "list on B" B list --json "$WORK/B/c8" &&
        { [ "$(jq '.[] | select(.box == "FileBox") | .storedFiles' out.txt)" -eq 2 ] ||
            fail "B counts $(jq -c '.[0]' out.txt) in FileBox, not 2"; }
    engine_named out.txt err.txt >/dev/null && fail "list without credentials names an engine file"
    local strTarget
    for strTarget in "$WORK/B/c8" "$WORK/B/c8/FileBox"; do
        expect 0 "list of $strTarget" B list $(cred c8) --json "$strTarget" &&
            { [ "$(json_count out.txt)" -eq 2 ] || fail "B lists $(jq -c '[.[].storedPath]' out.txt)"; }
        engine_named out.txt err.txt >/dev/null && fail "list of $strTarget names an engine file"
        expect 0 "check of $strTarget" B check $(cred c8) "$strTarget" && says " 2 stored file\(s\) read, 0 damaged" "check"
        engine_named out.txt err.txt >/dev/null && fail "check of $strTarget names an engine file"
    done
    st_api B PATCH /rest/config/options '{"maxRecvKbps": 0, "limitBandwidthInLan": false}' >/dev/null
    rm "$WORK/B/c8/FileBox/~syncthing~${strTemp##*/.syncthing.}"
    st_resume && st_sync c8 || { fail "no sync after the resume"; return; }
    expect 0 "check on B after the sync" B check $(cred c8) "$WORK/B/c8" &&
        says " 3 stored file\(s\) read, 0 damaged" "check after the sync"
}
