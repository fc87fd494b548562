#!/usr/bin/env bash
# A vault in a folder that two real Syncthing instances, A and B, share on
# this machine: each case makes its situation through the engine (B's
# .stignore holds files back, paused devices stand for two machines apart)
# and checks what quovex-tool on either side then does.
# Usage: SyncthingTest.sh PATH-TO-quovex-tool
#   SYNC_CASES="1 3"  runs only those cases (all by default)
#   SYNC_TIMEOUT=S    the bound of every wait on the engine (120 s)
#   SYNC_KEEP=1       leaves the work folder to look at (the engines stop)
# Exit status: 0 every case run passed (or was skipped), 1 one failed, 77
# Syncthing (or curl, jq) is missing and cannot be installed.
set -u
TOOL=$(realpath "$1")
HERE=$(dirname "$(realpath "$0")")
CASES=${SYNC_CASES:-1 2 3 4 5 6 7 8}

for strCommand in syncthing curl jq python3; do
    command -v "$strCommand" >/dev/null && continue
    [ "$(id -u)" -eq 0 ] && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq \
        --no-install-recommends "$strCommand" >/dev/null 2>&1
    command -v "$strCommand" >/dev/null || { echo "SKIP: $strCommand missing, cannot be installed"; exit 77; }
done

WORK=$(mktemp -d)
. "$HERE/SyncthingSupport.sh"
trap 'st_stop_all; [ "${SYNC_KEEP:-}" = 1 ] && echo "kept: $WORK" || rm -rf "$WORK"' EXIT
# Stopped from outside (a CTest timeout, say), it still ends the engines.
trap 'exit 1' INT TERM HUP
cd "$WORK" || exit 1
# Syncthing and every tool call keep their settings in the test's folders,
# never the user's real ones.
export HOME="$WORK/home" XDG_CONFIG_HOME="$WORK/config" XDG_DATA_HOME="$WORK/data" \
    XDG_CACHE_HOME="$WORK/cache" XDG_STATE_HOME="$WORK/state"
. "$HERE/SyncVaultSupport.sh"
. "$HERE/SyncKeyCases.sh"
. "$HERE/SyncStoreCases.sh"

st_start_pair || { echo "FAIL: the two Syncthing instances did not start"; tail -20 "$WORK"/st-*.log; exit 1; }
NAMES=([1]=case_made_on_a_read_on_b [2]=case_key_record_late [3]=case_password_change_kept
    [4]=case_passwords_changed_apart [5]=case_versions_stored_apart
    [6]=case_summary_edited_apart [7]=case_large_store_in_transfer [8]=case_engine_files_unseen)
PASSED=0 FAILED=0 SKIPPED=0
for nCase in $CASES; do
    run_case "$nCase" "${NAMES[$nCase]:-}"
done
echo "sync: $PASSED passed, $FAILED failed, $SKIPPED skipped"
[ "$FAILED" -eq 0 ]
