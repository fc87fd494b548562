# Sourced by SyncthingTest.sh: the cases of the key record (2, 3, 4), one
# function each. Each shares a folder of its own (c2, ...), the vault's root.

# b_holds FOLDER N: B has the four boxes and N stored files of FOLDER and
# needs nothing more that it does not ignore.
b_holds() {
    local strBox
    for strBox in FileBox ImageBox VideoBox OtherBox; do [ -d "$WORK/B/$1/$strBox" ] || return 1; done
    [ "$(stored_on_disk "$WORK/B/$1")" -eq "$2" ] && st_api B GET "/rest/db/status?folder=$1" |
        jq -e '.state == "idle" and .needFiles == 0 and .needDeletes == 0' >/dev/null
}

# Stored files that arrive on B before the key record are never taken for a
# new vault: store and init there are refused, and make nothing.
case_key_record_late() {
    password c2 "second-pass-2"
    mkdir -p B/c2 && printf '.quovex-key*\n' >B/c2/.stignore
    fresh_vault c2 c2 || return
    make_file src2/a.bin 6000
    make_file src2/b.bin 9000
    expect 0 "store on A" A store $(cred c2) --keep-source src2/a.bin src2/b.bin "$WORK/A/c2/FileBox" ||
        return
    digest A/c2 >a-before.txt
    st_scan A c2 && st_poll "the stored files on B" b_holds c2 2 || { fail "B never got them"; return; }
    [ -e B/c2/.quovex-key ] && { fail "B's .stignore did not keep the key record back"; return; }
    digest B/c2 >b-before.txt
    make_file src2/c.bin 100
    expect 1 "store on B before the key record" B store $(cred c2) --keep-source src2/c.bin \
        "$WORK/B/c2/FileBox" && says "has not arrived" "store on B"
    expect 1 "init on B before the key record" B init $(cred c2) "${KDF[@]}" "$WORK/B/c2" &&
        says "has not arrived" "init on B"
    diff b-before.txt <(digest B/c2) >/dev/null || fail "the refused store or init wrote to B"
    rm B/c2/.stignore
    st_sync c2 || { fail "no sync after the key record was let through"; return; }
    diff a-before.txt <(digest A/c2) >/dev/null || fail "A's vault changed"
    same_digest "the vault after the sync" "$WORK/A/c2" "$WORK/B/c2"
    expect 0 "list on B once the key record is there" B list $(cred c2) --json "$WORK/B/c2" &&
        { [ "$(json_count out.txt)" -eq 2 ] || fail "B lists $(json_count out.txt) files, not 2"; }
}

# b_has_record FOLDER: B's .quovex-key is A's, and B has nothing left to pull.
b_has_record() {
    [ "$(sha "$WORK/B/$1/.quovex-key")" = "$(sha "$WORK/A/$1/.quovex-key")" ] &&
        st_api B GET "/rest/db/status?folder=$1" | jq -e '.state == "idle" and .needFiles == 0' >/dev/null
}

# A password changed on A while B still has the old second copy: the old
# password on B never writes the old record back, and after the sync only
# the new password opens the vault, on both sides.
case_password_change_kept() {
    password c3old "old-pass-3"
    password c3new "new-pass-3"
    fresh_vault c3 c3old || return
    make_file src3/a.bin 4000
    expect 0 "store on A" A store $(cred c3old) --keep-source src3/a.bin "$WORK/A/c3/FileBox" || return
    st_sync c3 || { fail "no first sync"; return; }
    local strOld
    strOld=$(sha A/c3/.quovex-key.2)
    printf '.quovex-key.2\n' >B/c3/.stignore
    st_scan B c3
    expect 0 "passwd on A" A passwd $(cred c3old) --new-password-file "$WORK/pw/c3new" "${KDF[@]}" \
        "$WORK/A/c3" || return
    st_scan A c3 && st_poll "the new key record on B" b_has_record c3 || { fail "no new record on B"; return; }
    [ "$(sha B/c3/.quovex-key.2)" = "$strOld" ] || { fail "B's second copy did not stay old"; return; }
    local strNew
    strNew=$(sha B/c3/.quovex-key)
    on B list $(cred c3old) "$WORK/B/c3" >out.txt 2>err.txt
    echo "   list on B with the old password: exit $?; $(tr '\n' ' ' <err.txt)"
    [ "$(sha B/c3/.quovex-key)" = "$strNew" ] || fail "the old password wrote the old record back on B"
    # Let through, B's old second copy counts as a change made on B beside
    # A's: Syncthing keeps it as a conflict copy of .quovex-key.2, on both
    # sides. Its old password must stay refused all the same.
    rm B/c3/.stignore
    st_sync c3 || { fail "no sync after the second copy was let through"; return; }
    same_digest "the vault after the sync" "$WORK/A/c3" "$WORK/B/c3"
    echo "   key records after the sync: $(cd B/c3 && shopt -s nullglob && echo .quovex-key* .sync-conflict-*)"
    local strSide
    for strSide in A B; do
        expect 1 "the old password on $strSide" "$strSide" list $(cred c3old) "$WORK/$strSide/c3"
        expect 0 "the new password on $strSide" "$strSide" list $(cred c3new) "$WORK/$strSide/c3"
    done
}

# Each side gives the vault a password of its own while the two are apart;
# after the sync both passwords open it on both sides, the one not in force
# with the word that the password was changed.
case_passwords_changed_apart() {
    password c4 "start-pass-4"
    password c4a "pass-of-a-4"
    password c4b "pass-of-b-4"
    fresh_vault c4 c4 || return
    make_file src4/a.bin 4000
    expect 0 "store on A" A store $(cred c4) --keep-source src4/a.bin "$WORK/A/c4/FileBox" || return
    st_sync c4 && st_pause || { fail "no sync, or no pause"; return; }
    expect 0 "passwd on A" A passwd $(cred c4) --new-password-file "$WORK/pw/c4a" "${KDF[@]}" "$WORK/A/c4"
    expect 0 "passwd on B" B passwd $(cred c4) --new-password-file "$WORK/pw/c4b" "${KDF[@]}" "$WORK/B/c4"
    st_resume && st_sync c4 || { fail "no sync after the resume"; return; }
    same_digest "the vault after the sync" "$WORK/A/c4" "$WORK/B/c4"
    # The conflict copy of .quovex-key is named .sync-conflict-…-DEVICE.quovex-key
    # (the whole name counts as its extension), that of .quovex-key.2
    # .quovex-key.sync-conflict-…-DEVICE.2.
    echo "   key records after the sync: $(cd B/c4 && shopt -s nullglob && echo .quovex-key* .sync-conflict-*)"
    local strSide strPass nWarned
    for strSide in A B; do
        nWarned=0
        for strPass in c4a c4b; do
            expect 0 "password $strPass on $strSide" "$strSide" list $(cred $strPass) "$WORK/$strSide/c4" &&
                grep -q "was changed" err.txt && nWarned=$((nWarned + 1))
        done
        [ $nWarned -eq 1 ] || fail "$nWarned of the two passwords on $strSide said that it was changed, not 1"
    done
}
