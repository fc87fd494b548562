# Sourced by the quovex-tool tests with the tool's path as $1: TOOL, a
# temporary working folder removed on exit (the current folder), fail,
# expect and expect_says.
set -u
TOOL=$(realpath "$1")
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
cd "$WORK" || exit 1
FAILS=0

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
