# Sourced by the quovex-tool tests with the tool's path as $1: TOOL, a
# temporary working folder removed on exit (the current folder), and fail.
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
