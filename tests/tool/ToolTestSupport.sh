# Sourced by the quovex-tool tests with the tool's path as $1: TOOL, a
# temporary working folder removed on exit (the current folder), fail,
# expect, expect_says, store_one and finish; KDF, the fastest derivation, and
# KEY_PATTERN, a recovery key as printed.
set -u
TOOL=$(realpath "$1")
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
cd "$WORK" || exit 1
# The tool remembers protected vaults in the user's configuration folder:
# the test's own, never the real one.
export HOME="$WORK/home" XDG_CONFIG_HOME="$WORK/config"
FAILS=0
KDF=(--kdf-passes 1 --kdf-memory 1)
KEY_PATTERN='[0-9A-Z]{4}(-[0-9A-Z]{4}){12}'

fail() {
    echo "FAIL: $*"
    FAILS=$((FAILS + 1))
}

# expect STATUS WHAT ARGS...: runs the tool with its standard error in
# err.txt and compares its exit status; err.txt is shown when that differs.
expect() {
    local nWant=$1 strWhat=$2
    shift 2
    "$TOOL" "$@" 2>err.txt
    local nGot=$?
    [ "$nGot" -eq "$nWant" ] || { fail "$strWhat: exit $nGot, expected $nWant"; cat err.txt; }
}

# expect_says STATUS WHAT TEXT ARGS...: expect, and err.txt must hold TEXT
# (a basic regular expression).
expect_says() {
    local nWant=$1 strWhat=$2 strText=$3
    shift 3
    expect "$nWant" "$strWhat" "$@"
    grep -q -- "$strText" err.txt || { fail "$strWhat: no \"$strText\""; cat err.txt; }
}

# store_one FILE BOX CREDENTIALS...: stores FILE, kept, alone into BOX and
# prints the path on disk of the stored file it made there, its plain name
# with ".$" or, where the vault hides names, a sealed one.
store_one() {
    local strFile=$1 strBox=$2 strBefore
    shift 2
    strBefore=$(LC_ALL=C ls -A "$strBox" | LC_ALL=C sort)
    "$TOOL" store "$@" --keep-source "$strFile" "$strBox" 2>/dev/null || return 1
    LC_ALL=C comm -13 <(echo "$strBefore") <(LC_ALL=C ls -A "$strBox" | LC_ALL=C sort) |
        sed "s|^|$strBox/|"
}

# finish WHAT: the script's verdict as its exit status.
finish() {
    [ "$FAILS" -eq 0 ] && echo "all $1 checks passed"
    exit $((FAILS > 0))
}
