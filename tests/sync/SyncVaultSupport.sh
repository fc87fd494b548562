# Sourced by SyncthingTest.sh after SyncthingSupport.sh: quovex-tool as run
# on machine A or B, the checks the cases make, and the verdict of a case.
# Works in $WORK; a vault is the whole shared folder, $WORK/A/ID on A and
# $WORK/B/ID on B.

KDF=(--kdf-passes 1 --kdf-memory 1)

# password NAME TEXT: a password file $WORK/pw/NAME holding TEXT.
password() {
    mkdir -p "$WORK/pw"
    printf '%s\n' "$2" >"$WORK/pw/$1"
}

# cred NAME: the options that give alice's password from $WORK/pw/NAME.
cred() { echo "--user alice --password-file $WORK/pw/$1"; }

# on MACHINE ARGS...: quovex-tool as run on MACHINE, with that machine's own
# home and settings: the list of known vaults of one is not the other's.
on() {
    local strName=$1
    shift
    HOME="$WORK/home-$strName" XDG_CONFIG_HOME="$WORK/config-$strName" \
        XDG_DATA_HOME="$WORK/data-$strName" XDG_CACHE_HOME="$WORK/cache-$strName" \
        XDG_STATE_HOME="$WORK/state-$strName" "$TOOL" "$@"
}

CASE_FAILS=0
fail() {
    echo "FAIL: $CASE_NAME: $*"
    CASE_FAILS=$((CASE_FAILS + 1))
}

# expect STATUS WHAT MACHINE ARGS...: the tool on MACHINE, its standard
# output in out.txt and its standard error in err.txt, must end with
# STATUS; both are shown when it does not.
expect() {
    local nWant=$1 strWhat=$2
    shift 2
    on "$@" >out.txt 2>err.txt
    local nGot=$?
    [ "$nGot" -eq "$nWant" ] && return 0
    fail "$strWhat: exit $nGot, expected $nWant"
    sed 's/^/    out: /' out.txt
    sed 's/^/    err: /' err.txt
    return 1
}

# says TEXT WHAT: err.txt of the last call holds TEXT (an extended regular
# expression).
says() {
    grep -qE -- "$1" err.txt && return 0
    fail "$2: no \"$1\" in what the tool said"
    sed 's/^/    err: /' err.txt
    return 1
}

# digest FOLDER: every folder and file below FOLDER with its SHA-256, one a
# line, leaving out the engine's own files: .stfolder, .stversions,
# .stignore, and the temporaries that a failed pull leaves behind for the
# next try (kept for a day, though the folder is in sync).
digest() {
    (cd "$1" && find . \( -name .stfolder -o -name .stversions -o -name .stignore \
        -o -name '.syncthing.*.tmp' -o -name '~syncthing~*' \) -prune -o \
        \( -type d -printf 'folder %p\n' \) -o \( -type f -exec sha256sum {} + \) | LC_ALL=C sort)
}

# same_digest WHAT FOLDER FOLDER: both hold the same folders and bytes.
same_digest() {
    diff <(digest "$2") <(digest "$3") >diff.txt && return 0
    fail "$1: $2 and $3 differ"
    sed 's/^/    /' diff.txt
    return 1
}

# stored_on_disk FOLDER: how many stored files (*.$) lie below FOLDER.
stored_on_disk() { find "$1" -type f -name '*.$' ! -name '.syncthing.*' ! -name '~syncthing~*' | wc -l; }

# sha FILE: the SHA-256 of FILE.
sha() { sha256sum <"$1" | cut -c1-64; }

# json_count FILE: the items of the JSON array in FILE.
json_count() { jq length "$1"; }

# make_file PATH SIZE: a file of SIZE random bytes (head -c sizes: 5000, 3M).
make_file() {
    mkdir -p "$(dirname "$1")"
    head -c "$2" /dev/urandom >"$1"
}

# fresh_vault ID PASSWORD: the folder ID shared, and a protected vault made
# in it on A with the password file PASSWORD; a failure is told.
fresh_vault() {
    st_share "$1" || { fail "folder $1 not shared"; return 1; }
    expect 0 "init on A" A init $(cred "$2") "${KDF[@]}" "$WORK/A/$1"
}

# run_case N FUNCTION: runs the case, which returns 77 when it is skipped,
# and says PASS, FAIL or SKIP with its name.
run_case() {
    CASE_NAME="$1${2:+ ${2#case_}}"
    CASE_FAILS=0
    if [ -z "$2" ]; then
        fail "no such case"
    else
        echo "== $CASE_NAME"
        local nStart=$SECONDS
        "$2"
        if [ $? -eq 77 ]; then
            echo "SKIP: $CASE_NAME"
            SKIPPED=$((SKIPPED + 1))
            return
        fi
        echo "   ($((SECONDS - nStart)) s)"
    fi
    if [ "$CASE_FAILS" -eq 0 ]; then
        echo "PASS: $CASE_NAME"
        PASSED=$((PASSED + 1))
    else
        echo "FAIL: $CASE_NAME ($CASE_FAILS checks failed)"
        FAILED=$((FAILED + 1))
    fi
}
