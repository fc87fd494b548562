# Sourced by SyncthingTest.sh: two Syncthing instances, A and B, on this
# machine only, and the polls that wait for them with a deadline.
#
# st_start_pair starts both (each with its own home below $WORK, its GUI and
# REST on a free loopback port, its sync listener on another, no discovery,
# relays, NAT, usage reporting or upgrades), makes each know the other by its
# explicit address and waits until they are connected. Every pid started is
# kept in ST_PIDS; st_stop_all ends them (the caller's EXIT trap runs it).
#
# Every function returns non-zero, after saying why on standard output,
# rather than wait past $ST_TIMEOUT seconds: nothing here can hang.

ST_TIMEOUT=${SYNC_TIMEOUT:-120}
declare -A ST_URL ST_KEY ST_ID ST_LISTEN
ST_PIDS=()

# st_free_ports N: N loopback TCP ports that were free a moment ago, held
# open together so that they differ.
st_free_ports() {
    python3 - "$1" <<'PY'
import socket, sys
held = [socket.socket() for _ in range(int(sys.argv[1]))]
for s in held:
    s.bind(("127.0.0.1", 0))
print(" ".join(str(s.getsockname()[1]) for s in held))
PY
}

# st_configure HOME GUIPORT LISTENPORT: the settings of a generated
# config.xml that keep the instance on the loopback and to itself; prints
# the device ID and the API key.
st_configure() {
    python3 - "$1/config.xml" "$2" "$3" <<'PY'
import sys, xml.etree.ElementTree as ET
path, gui_port, listen_port = sys.argv[1:]
tree = ET.parse(path)
root = tree.getroot()
root.find("gui/address").text = "127.0.0.1:" + gui_port
options = root.find("options")
settings = {
    "listenAddress": "tcp://127.0.0.1:" + listen_port,
    "globalAnnounceEnabled": "false", "localAnnounceEnabled": "false",
    "relaysEnabled": "false", "natEnabled": "false", "urAccepted": "-1",
    "autoUpgradeIntervalH": "0", "startBrowser": "false",
    "crashReportingEnabled": "false", "stunKeepaliveStartS": "0",
    # A resumed device is dialled again within a second, not a minute.
    "reconnectionIntervalS": "1",
}
for name, value in settings.items():
    options.find(name).text = value
tree.write(path)
print(root.find("device").get("id"), root.find("gui/apikey").text)
PY
}

# st_api NAME METHOD PATH [JSON]: one REST call to instance NAME; prints
# the answer, fails on an HTTP error or after $ST_TIMEOUT seconds.
st_api() {
    local strName=$1 strMethod=$2 strPath=$3
    local aArgs=(-sS -f --max-time "$ST_TIMEOUT" -X "$strMethod" -H "X-API-Key: ${ST_KEY[$strName]}")
    [ $# -ge 4 ] && aArgs+=(-H "Content-Type: application/json" --data-binary "$4")
    curl "${aArgs[@]}" "${ST_URL[$strName]}$strPath"
}

# st_poll WHAT COMMAND...: runs COMMAND every fifth of a second until it
# succeeds; after $ST_TIMEOUT seconds says that WHAT never came and fails.
st_poll() {
    local strWhat=$1 nEnd=$((SECONDS + ST_TIMEOUT))
    shift
    until "$@"; do
        if [ $SECONDS -ge $nEnd ]; then
            echo "timeout: $strWhat not within $ST_TIMEOUT s"
            return 1
        fi
        sleep 0.2
    done
}

# st_start NAME GUIPORT LISTENPORT: instance NAME generated and started;
# returns once its REST API answers.
st_start() {
    local strName=$1 strHome="$WORK/st-$1" nGui=$2 nListen=$3 aIdKey
    syncthing generate --home="$strHome" --no-default-folder >"$strHome.log" 2>&1 ||
        { cat "$strHome.log"; return 1; }
    read -r -a aIdKey <<<"$(st_configure "$strHome" "$nGui" "$nListen")"
    ST_ID[$strName]=${aIdKey[0]}
    ST_KEY[$strName]=${aIdKey[1]}
    ST_URL[$strName]="http://127.0.0.1:$nGui"
    ST_LISTEN[$strName]="tcp://127.0.0.1:$nListen"
    STNOUPGRADE=1 syncthing serve --home="$strHome" --no-browser --no-restart --no-upgrade \
        --logflags=3 >>"$strHome.log" 2>&1 &
    ST_PIDS+=($!)
    st_poll "REST of $strName" st_up "$strName" $! && kill -0 $! 2>/dev/null ||
        { echo "Syncthing $strName did not start:"; tail -20 "$strHome.log"; return 1; }
}

# st_up NAME PID: NAME's REST API answers, or its process PID has ended
# (which no wait would change).
st_up() { ST_TIMEOUT=5 st_api "$1" GET /rest/system/ping >/dev/null 2>&1 || ! kill -0 "$2" 2>/dev/null; }

# st_connected NAME PEER: NAME holds a connection to PEER.
st_connected() {
    [ "$(st_api "$1" GET /rest/system/connections |
        jq -r --arg id "${ST_ID[$2]}" '.connections[$id].connected')" = true ]
}

# st_both_connected, st_both_apart: each of A and B holds a connection to
# the other, or neither does.
st_both_connected() { st_connected A B && st_connected B A; }
st_both_apart() { ! st_connected A B && ! st_connected B A; }

# st_introduce NAME PEER: NAME knows PEER, at PEER's listen address only.
st_introduce() {
    local strName=$1 strPeer=$2
    st_api "$strName" POST /rest/config/devices "$(jq -n --arg id "${ST_ID[$strPeer]}" \
        --arg name "$strPeer" --arg addr "${ST_LISTEN[$strPeer]}" \
        '{deviceID: $id, name: $name, addresses: [$addr]}')" >/dev/null
}

# st_start_pair: A and B started on four free ports and connected.
st_start_pair() {
    local aPorts
    read -r -a aPorts <<<"$(st_free_ports 4)"
    st_start A "${aPorts[0]}" "${aPorts[1]}" && st_start B "${aPorts[2]}" "${aPorts[3]}" &&
        st_introduce A B && st_introduce B A &&
        st_poll "connection of A and B" st_both_connected
}

# st_stop_all: ends every instance started here, by its pid; one that does
# not go within ten seconds is killed.
st_stop_all() {
    local nPid nEnd
    for nPid in "${ST_PIDS[@]}"; do kill "$nPid" 2>/dev/null; done
    nEnd=$((SECONDS + 10))
    for nPid in "${ST_PIDS[@]}"; do
        while kill -0 "$nPid" 2>/dev/null && [ $SECONDS -lt $nEnd ]; do sleep 0.1; done
        kill -9 "$nPid" 2>/dev/null
        wait "$nPid" 2>/dev/null
    done
    ST_PIDS=()
}

# st_folder_idle NAME FOLDER: the folder runs on NAME and does nothing.
st_folder_idle() {
    [ "$(st_api "$1" GET "/rest/db/status?folder=$2" | jq -r .state)" = idle ]
}

# st_share FOLDER: the folder FOLDER, at $WORK/A/FOLDER on A and
# $WORK/B/FOLDER on B, shared by both; what is already there (a .stignore,
# say) is taken as it is. The folder takes Syncthing's own defaults: only
# its ID, label, path and devices are given.
st_share() {
    local strFolder=$1 strName
    for strName in A B; do
        st_api "$strName" POST /rest/config/folders "$(jq -n --arg id "$strFolder" \
            --arg path "$WORK/$strName/$strFolder" --arg a "${ST_ID[A]}" --arg b "${ST_ID[B]}" \
            '{id: $id, label: $id, path: $path, devices: [{deviceID: $a}, {deviceID: $b}]}')" \
            >/dev/null || return 1
    done
    st_poll "folder $strFolder running on A" st_folder_idle A "$strFolder" &&
        st_poll "folder $strFolder running on B" st_folder_idle B "$strFolder"
}

# st_scan NAME FOLDER: a rescan of FOLDER on NAME; returns when it is done.
st_scan() { st_api "$1" POST "/rest/db/scan?folder=$2" >/dev/null; }

# st_settled NAME PEER FOLDER: NAME has all it knows of FOLDER, and sees PEER
# holding all of it too.
st_settled() {
    local strStatus strCompletion
    strStatus=$(st_api "$1" GET "/rest/db/status?folder=$3") || return 1
    strCompletion=$(st_api "$1" GET "/rest/db/completion?folder=$3&device=${ST_ID[$2]}") || return 1
    jq -e '.state == "idle" and .needFiles == 0 and .needDirectories == 0 and
        .needSymlinks == 0 and .needDeletes == 0 and .pullErrors == 0 and
        .inSyncFiles == .globalFiles and .localFiles == .globalFiles' <<<"$strStatus" >/dev/null &&
        jq -e '.completion == 100 and .needItems == 0 and .needDeletes == 0' \
            <<<"$strCompletion" >/dev/null
}

# st_same_global FOLDER: A and B count the same files, folders and bytes.
st_same_global() {
    local strA strB
    strA=$(st_api A GET "/rest/db/status?folder=$1" | jq -c '[.globalFiles, .globalDirectories, .globalBytes]')
    strB=$(st_api B GET "/rest/db/status?folder=$1" | jq -c '[.globalFiles, .globalDirectories, .globalBytes]')
    [ -n "$strA" ] && [ "$strA" = "$strB" ]
}

# st_in_sync FOLDER: both sides hold the same whole of FOLDER. Conflict
# copies that the puller made are found only by a scan: while the two
# differ and both are idle, both are rescanned, at most once a second (a
# scan asked for during a pull waits for its end).
ST_NEXT_SCAN=0
st_in_sync() {
    st_settled A B "$1" && st_settled B A "$1" && st_same_global "$1" && return 0
    if [ $SECONDS -ge $ST_NEXT_SCAN ] && st_folder_idle A "$1" && st_folder_idle B "$1"; then
        st_scan A "$1" && st_scan B "$1"
        ST_NEXT_SCAN=$((SECONDS + 1))
    fi
    return 1
}

# st_sync FOLDER: rescans FOLDER on both sides, then waits until both are
# in sync; on a timeout shows how each side sees it.
st_sync() {
    st_scan A "$1" && st_scan B "$1" || { echo "rescan of $1 failed"; return 1; }
    ST_NEXT_SCAN=$((SECONDS + 1))
    st_poll "sync of $1" st_in_sync "$1" && return 0
    local strName
    for strName in A B; do
        echo "$strName: $(st_api "$strName" GET "/rest/db/status?folder=$1" | jq -c .)"
    done
    return 1
}

# st_scan_all: a rescan of every folder on both sides.
st_scan_all() {
    local strName strFolder
    for strName in A B; do
        for strFolder in $(st_api "$strName" GET /rest/config/folders | jq -r '.[].id'); do
            st_scan "$strName" "$strFolder" || return 1
        done
    done
}

# st_pause / st_resume: the two devices apart (each pauses the other) or
# together again, returning once the connection is down or up. Every
# folder is rescanned before the resume, so that what either side changed
# while apart is known before the other's changes come in.
st_pause() {
    st_api A POST "/rest/system/pause?device=${ST_ID[B]}" >/dev/null &&
        st_api B POST "/rest/system/pause?device=${ST_ID[A]}" >/dev/null &&
        st_poll "A and B apart" st_both_apart
}
st_resume() {
    st_scan_all && st_api A POST "/rest/system/resume?device=${ST_ID[B]}" >/dev/null &&
        st_api B POST "/rest/system/resume?device=${ST_ID[A]}" >/dev/null &&
        st_poll "A and B together again" st_both_connected
}
