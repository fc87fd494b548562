#!/usr/bin/env bash
# How to run: bash bench/run.sh [--as-user NAME] [--protected-only] [BUILD_DIR]
#   (default build/default, configured with the default preset when missing;
#   needs ~9 GiB and 2 million inodes free in /tmp)
#
# Measures quovex-tool side by side with cp on this machine, in one run:
# storing and restoring a 512 MiB file, peak memory for 512 MiB and 64 MiB,
# storing a folder of 10,000 files of 1 KiB with and without --keep-source,
# the 512 MiB file and the 10,000 files again in a protected vault,
# and storing and restoring 100,000 files of 1 KiB in 100 folders; then the
# time and peak memory of one password derivation of a protected vault
# (bench/kdf, not counted in the store times: a login pays it once), and a
# folder of 20,000 hidden names listed with every name opened beside the
# bare listing (bench/names). Every
# timing includes the flush of what was written (`sync -f`, a syncfs of the
# volume), for the tool and cp alike: without it the page cache makes cp look
# ten times faster one round than the next. The page cache is otherwise left
# alone: every command runs once to warm up, then the best of five runs
# counts (100,000 files: the best of two, warmed by reading them; without
# --keep-source: the best of two, see there). A `sync` before each timed run
# keeps earlier writes from being flushed on its clock. Takes about ten
# minutes, then deletes the 1.1 million files it made (on a VM with online
# discard that alone can take as long again).
#
# --as-user NAME: run from root, measures as the ordinary user NAME, which
# is how people run it (no privileges: unnamed files are linked through
# /proc, the blocks root keeps in reserve do not count as free). The build
# is made first as root; the user only needs to read it. A throwaway user
# with a temporary home will do:
#   H=$(mktemp -d); useradd --home-dir "$H" --shell /usr/sbin/nologin quovex-bench
#   bash bench/run.sh --as-user quovex-bench; userdel quovex-bench; rm -rf "$H"
#
# --protected-only: the protected vault's cases alone (512 MiB stored and
# restored, 10,000 files, peak memory) and the key derivation, in about two
# minutes: what a change to the protected format needs measured.
#
# When the build has the interface, the main window follows (bench/window,
# offscreen, in temporary folders): drops through the window beside
# quovex-tool, opening a 100 MiB stored file beside cp, the contents tree
# with 20,000 entries, and finding in a box of 100,000 files key by key,
# each with visible names and with hidden ones (every name opened).
# About ten more minutes, most of it waiting
# before each run that deletes sources.
set -euo pipefail

REPO=$(cd "$(dirname "$0")/.." && pwd)
SELF=$(realpath "$0")
AS_USER=""
PROTECTED_ONLY=${QUOVEX_BENCH_PROTECTED_ONLY:-0}
while [ $# -gt 0 ]; do
    case $1 in
        --as-user)
            AS_USER=${2:?--as-user needs a user name}
            shift 2
            ;;
        --protected-only)
            PROTECTED_ONLY=1
            shift
            ;;
        *) break ;;
    esac
done
BUILD=$(realpath -m "${1:-${QUOVEX_BUILD_DIR:-$REPO/build/default}}")
WITH_UI=0
grep -qs '^QUOVEX_BUILD_UI:BOOL=ON' "$BUILD/CMakeCache.txt" && WITH_UI=1
# Set when this script runs itself as the user of --as-user: built already.
if [ -z "${QUOVEX_BENCH_BUILT:-}" ]; then
    if [ "$BUILD" = "$REPO/build/default" ] && [ ! -f "$BUILD/build.ninja" ]; then
        (cd "$REPO" && cmake --preset default >/dev/null)
        grep -q '^QUOVEX_BUILD_UI:BOOL=ON' "$BUILD/CMakeCache.txt" && WITH_UI=1
    fi
    if grep -qs '^QUOVEX_BUILD_BENCH:BOOL=OFF' "$BUILD/CMakeCache.txt"; then
        echo "$BUILD is configured without the benchmarks (QUOVEX_BUILD_BENCH=OFF)" >&2
        exit 2
    fi
    cmake --build "$BUILD" --target quovex-tool quovex-bench-kdf quovex-bench-names -j 2 >/dev/null
    if [ "$WITH_UI" -eq 1 ] && [ "$PROTECTED_ONLY" -eq 0 ]; then
        cmake --build "$BUILD" --target quovex-bench-drop quovex-bench-tree quovex-bench-find quovex-bench-open -j 2 >/dev/null
    fi
fi
if [ -n "$AS_USER" ]; then
    [ "$(id -u)" -eq 0 ] || { echo "--as-user runs the benchmarks through runuser, as root" >&2; exit 2; }
    id -u "$AS_USER" >/dev/null || exit 2
    [ "$(id -u "$AS_USER")" -ne 0 ] || { echo "$AS_USER is root, not an ordinary user" >&2; exit 2; }
    cd /  # wherever root was may be closed to the user
    exec runuser -u "$AS_USER" -- env QUOVEX_BENCH_BUILT=1 \
        QUOVEX_BENCH_PROTECTED_ONLY="$PROTECTED_ONLY" bash "$SELF" "$BUILD"
fi
TOOL="$BUILD/tool/quovex-tool"
CRED=(--user bench --password bench-pw)

WORK=$(mktemp -d /tmp/quovex-bench.XXXXXX)
trap 'echo "Deleting $WORK ..." >&2; rm -rf "$WORK"' EXIT
cd "$WORK"
mkdir data out restored vault src2 home
export HOME="$WORK/home"  # nothing of the user's is read or written
# The scrambled cases store into vault/, made scrambled: a store makes no vault.
"$TOOL" init "${CRED[@]}" --format scrambled vault 2>/dev/null

echo "Preparing random data in $WORK ..." >&2
head -c 512M /dev/urandom >data/big.bin
head -c 64M data/big.bin >data/mid.bin
mkdir data/folder
head -c $((10000 * 1024)) data/big.bin | (cd data/folder && split -b 1024 -a 5 -d - f)

# timed COMMAND...: runs COMMAND and the flush of what it wrote (a failure
# ends the benchmark); NANOS receives the time taken in nanoseconds.
timed() {
    local t0 t1
    sync
    t0=$(date +%s%N)
    if ! "$@" >/dev/null 2>>"$WORK/stderr.log"; then
        echo "failed: $*" >&2
        cat "$WORK/stderr.log" >&2
        exit 1
    fi
    sync -f .
    t1=$(date +%s%N)
    NANOS=$((t1 - t0))
}

seconds() { awk -v n="$1" 'BEGIN { printf "%.3f", n / 1e9 }'; }

# best_of PREP COMMAND...: PREP, then COMMAND and the flush of what it
# wrote, once to warm up and $RUNS times timed (a virtual machine's disk
# makes single runs vary by half); BEST receives the shortest time in seconds.
RUNS=5
WARM_UP=1  # 0: the caller warmed the page cache itself, and no run is spent on it
best_of() {
    local strPrep=$1 nBest="" i
    shift
    for ((i = 1 - WARM_UP; i <= RUNS; i++)); do
        $strPrep
        timed "$@"
        [ "$i" -eq 0 ] && continue
        if [ -z "$nBest" ] || [ "$NANOS" -lt "$nBest" ]; then nBest=$NANOS; fi
    done
    BEST=$(seconds "$nBest")
}

# side_by_side A B [PREP_A PREP_B]: the commands A and B (no arguments) run
# in turns, each after its PREP (untimed) and timed with the flush of what
# it wrote, once each to warm up and $RUNS times each timed; BEST_A and
# BEST_B receive their shortest times. Taking turns keeps both under the
# same weather: the disk here swings threefold within minutes, and a block
# of five cp runs followed by five tool runs measured the swing as often as
# the tool.
side_by_side() {
    local strCmd i nBestA="" nBestB=""
    for ((i = 1 - WARM_UP; i <= RUNS; i++)); do
        for strCmd in "$1" "$2"; do
            if [ "$strCmd" = "$1" ]; then ${3:-prep_none}; else ${4:-prep_none}; fi
            timed $strCmd
            [ "$i" -eq 0 ] && continue
            if [ "$strCmd" = "$1" ]; then
                if [ -z "$nBestA" ] || [ "$NANOS" -lt "$nBestA" ]; then nBestA=$NANOS; fi
            elif [ -z "$nBestB" ] || [ "$NANOS" -lt "$nBestB" ]; then
                nBestB=$NANOS
            fi
        done
    done
    BEST_A=$(seconds "$nBestA")
    BEST_B=$(seconds "$nBestB")
}

# peak_mib PREP COMMAND...: PEAK receives the maximum resident size in MiB.
peak_mib() {
    local strPrep=$1
    shift
    $strPrep
    /usr/bin/time -f %M -o "$WORK/rss" "$@" >/dev/null 2>>"$WORK/stderr.log"
    PEAK=$(awk '{ printf "%.1f", $1 / 1024 }' "$WORK/rss")
}

prep_none() { :; }
prep_out() { rm -rf out/*; }
prep_vault() { rm -rf vault/FileBox; }
prep_restored() { rm -rf restored/*; }

STORED_BIG="vault/FileBox/big.bin.\$"
STORED_MID="vault/FileBox/mid.bin.\$"

if [ "$PROTECTED_ONLY" -eq 0 ]; then
    echo "512 MiB file ..." >&2
    best_of prep_out cp data/big.bin out/big.bin
    CP_STORE=$BEST
    best_of prep_out dd if=data/big.bin of=out/big.bin bs=1M status=none
    DD_BIG=$BEST
    best_of prep_vault "$TOOL" store "${CRED[@]}" --keep-source data/big.bin vault/FileBox
    TOOL_STORE=$BEST
    best_of prep_out cp "$STORED_BIG" out/big.bin
    CP_RESTORE=$BEST
    best_of prep_restored "$TOOL" restore "${CRED[@]}" --to restored "$STORED_BIG"
    TOOL_RESTORE=$BEST
    cmp -s data/big.bin restored/big.bin || { echo "restored file differs" >&2; exit 1; }

    echo "Peak memory ..." >&2
    peak_mib prep_vault "$TOOL" store "${CRED[@]}" --keep-source data/big.bin vault/FileBox
    RSS_STORE_BIG=$PEAK
    peak_mib prep_restored "$TOOL" restore "${CRED[@]}" --to restored "$STORED_BIG"
    RSS_RESTORE_BIG=$PEAK
    peak_mib prep_vault "$TOOL" store "${CRED[@]}" --keep-source data/mid.bin vault/FileBox
    RSS_STORE_MID=$PEAK
    peak_mib prep_restored "$TOOL" restore "${CRED[@]}" --to restored "$STORED_MID"
    RSS_RESTORE_MID=$PEAK
    rm -rf out/* restored/* vault/*
fi

# The same in a protected vault, made with the cheapest derivation: the one
# derivation a login pays is timed on its own below, and each tool run here
# pays one more. Tool and cp take turns, as the folder cases below.
echo "Protected vault: 512 MiB file ..." >&2
"$TOOL" init "${CRED[@]}" --kdf-passes 1 --kdf-memory 1 pvault >/dev/null
# Its names are hidden: the stored file's name on disk is new at every store.
stored_pbig() { find pvault/FileBox -maxdepth 1 -type f -name '*.$' | head -1; }
prep_pvault() { rm -rf pvault/FileBox; }
cp_pbig() { cp data/big.bin out/big.bin; }
tool_pstore() { "$TOOL" store "${CRED[@]}" --keep-source data/big.bin pvault/FileBox; }
side_by_side cp_pbig tool_pstore prep_out prep_pvault
CP_PSTORE=$BEST_A
TOOL_PSTORE=$BEST_B
STORED_PBIG=$(stored_pbig)
cp_pstored() { cp "$STORED_PBIG" out/big.bin; }
tool_prestore() { "$TOOL" restore "${CRED[@]}" --to restored "$STORED_PBIG"; }
side_by_side cp_pstored tool_prestore prep_out prep_restored
CP_PRESTORE=$BEST_A
TOOL_PRESTORE=$BEST_B
cmp -s data/big.bin restored/big.bin || { echo "restored file differs" >&2; exit 1; }
peak_mib prep_pvault "$TOOL" store "${CRED[@]}" --keep-source data/big.bin pvault/FileBox
RSS_PSTORE_BIG=$PEAK
STORED_PBIG=$(stored_pbig)
peak_mib prep_restored "$TOOL" restore "${CRED[@]}" --to restored "$STORED_PBIG"
RSS_PRESTORE_BIG=$PEAK
rm -rf out/* restored/* pvault/FileBox

# Folder cases write every run into a fresh folder and delete nothing until
# the end: on ext4 without a journal (as on many VMs) each new inode is
# checked against inodes deleted in the last 30 seconds, so deleting 10,000
# files slows the next 10,000 creations by whatever deleted them, and the
# comparison would measure the order of the runs.
RUN=0
cp_folder() { RUN=$((RUN + 1)); cp -r data/folder "out/folder.$RUN"; }
if [ "$PROTECTED_ONLY" -eq 0 ]; then
    echo "10,000 files of 1 KiB ..." >&2
    tool_folder() {
        RUN=$((RUN + 1))
        "$TOOL" store "${CRED[@]}" --keep-source data/folder "vault/FileBox/run.$RUN"
    }
    side_by_side cp_folder tool_folder
    CP_FOLDER=$BEST_A
    TOOL_FOLDER=$BEST_B
fi
echo "Protected vault: 10,000 files of 1 KiB ..." >&2
# A vault that hides its names takes stores into its boxes alone: each run
# stores the folder under a name of its own (two renames, not a copy).
tool_pfolder() {
    RUN=$((RUN + 1))
    mv data/folder "data/folder.$RUN"
    "$TOOL" store "${CRED[@]}" --keep-source "data/folder.$RUN" pvault/FileBox
    mv "data/folder.$RUN" data/folder
}
side_by_side cp_folder tool_pfolder
CP_PFOLDER=$BEST_A
TOOL_PFOLDER=$BEST_B
# Restored by its plain path beside cp -r of its stored folder, each run
# into a fresh folder (as above, nothing is deleted until the end).
STORED_PFOLDER=$(find pvault/FileBox -mindepth 1 -maxdepth 1 -type d | head -1)
PLAIN_PFOLDER=pvault/FileBox/folder.$RUN
cp_pstored_folder() { RUN=$((RUN + 1)); cp -r "$STORED_PFOLDER" "out/folder.$RUN"; }
tool_prestore_folder() {
    RUN=$((RUN + 1))
    "$TOOL" restore "${CRED[@]}" --to "restored/run.$RUN" "$PLAIN_PFOLDER"
}
side_by_side cp_pstored_folder tool_prestore_folder
CP_PRESTORE_FOLDER=$BEST_A
TOOL_PRESTORE_FOLDER=$BEST_B
diff -r data/folder "restored/run.$RUN/folder.${PLAIN_PFOLDER##*.}" >/dev/null ||
    { echo "restored folder differs" >&2; exit 1; }

if [ "$PROTECTED_ONLY" -eq 0 ]; then
    # 100,000 files in 100 folders, each folder from its own part of the data,
    # stored and restored into fresh folders as above. The restores read one
    # stored copy from a box of its vault, so that the vault is kept out of them
    # as in real use; to the recorded places, data/large first moves aside, and
    # each restored tree before the next run.
    echo "100,000 files of 1 KiB in 100 folders ..." >&2
    mkdir data/large
    for ((d = 0; d < 100; d++)); do
        mkdir "data/large/d$d"
        dd if=data/big.bin bs=1024000 skip="$d" count=1 status=none |
            (cd "data/large/d$d" && split -b 1024 -a 3 -d - f)
    done
    # Warmed by reading: a warm-up run would add 100,000 files to delete at the end.
    find data/large -type f -exec cat {} + >/dev/null
    RUNS=2
    WARM_UP=0
    cp_large() { RUN=$((RUN + 1)); cp -r data/large "out/large.$RUN"; }
    tool_large() {
        RUN=$((RUN + 1))
        "$TOOL" store "${CRED[@]}" --keep-source data/large "vault/VideoBox/large.$RUN"
    }
    side_by_side cp_large tool_large
    CP_LARGE=$BEST_A
    TOOL_LARGE=$BEST_B
    STORED_LARGE="vault/VideoBox/large.$RUN/large"
    cp_stored_large() { RUN=$((RUN + 1)); cp -r "$STORED_LARGE" "out/large.$RUN"; }
    tool_restore_large() {
        RUN=$((RUN + 1))
        "$TOOL" restore "${CRED[@]}" --to "restored/large.$RUN" "$STORED_LARGE"
    }
    side_by_side cp_stored_large tool_restore_large
    CP_RESTORE_LARGE=$BEST_A
    TOOL_RESTORE_LARGE=$BEST_B
    diff -r data/large "restored/large.$RUN/large" >/dev/null || { echo "restored tree differs" >&2; exit 1; }
    mv data/large data/large.kept
    prep_plain() {
        [ -e data/large ] || return 0
        RUN=$((RUN + 1))
        mv data/large "restored/large.$RUN"
    }
    best_of prep_plain "$TOOL" restore "${CRED[@]}" "$STORED_LARGE"
    TOOL_PLAIN_LARGE=$BEST
    diff -r data/large.kept data/large >/dev/null || { echo "restored tree differs" >&2; exit 1; }
    RUNS=5
    WARM_UP=1

    # Without --keep-source the sources go; each run waits until the previous
    # run's deletions are older than ext4's 30 seconds (see above).
    echo "10,000 files of 1 KiB without --keep-source (waits 36 s between runs) ..." >&2
    nBestDelete=""
    for i in 1 2; do
        cp -r data/folder "src2/folder.$i"
        sleep 36
        timed "$TOOL" store "${CRED[@]}" "src2/folder.$i" "vault/OtherBox/run.$i"
        [ ! -e "src2/folder.$i" ] || { echo "sources were not deleted" >&2; exit 1; }
        if [ -z "$nBestDelete" ] || [ "$NANOS" -lt "$nBestDelete" ]; then nBestDelete=$NANOS; fi
    done
    TOOL_FOLDER_DELETE=$(seconds "$nBestDelete")

    # The flushes by themselves: the time spent in syncfs during one more run.
    FLUSH_ONLY="n/a (no strace)"
    if command -v strace >/dev/null; then
        cp -r data/folder src2/folder.s
        sleep 36
        sync
        strace -f -e trace=syncfs -T -o "$WORK/syncfs.log" \
            "$TOOL" store "${CRED[@]}" src2/folder.s vault/OtherBox/run.s >/dev/null 2>>"$WORK/stderr.log"
        FLUSH_ONLY=$(awk -F'<' '/syncfs/ { n++; s += $NF + 0 } END { printf "%.3f s in %d syncfs calls", s, n }' \
            "$WORK/syncfs.log")
    fi

    cp -r data/folder src2/folder.rm
    sleep 36
    timed rm -rf src2/folder.rm
    RM_FOLDER=$(seconds "$NANOS")
fi

echo "Key derivation ..." >&2
read -r KDF_BEST KDF_WORST KDF_PEAK KDF_OPS KDF_MIB < <("$BUILD/bench/kdf/quovex-bench-kdf")
echo "Hidden names: a folder of 20,000 listed with every name opened ..." >&2
NAMES_REPORT=$("$BUILD/bench/names/quovex-bench-names" 20000)

# The main window: drops first, as the tree benchmark's 40,000 deletions at
# its end would slow the creations of the drops that came after it.
WINDOW_REPORT=""
if [ "$WITH_UI" -eq 1 ] && [ "$PROTECTED_ONLY" -eq 0 ]; then
    echo "Main window: drops through the window beside quovex-tool ..." >&2
    WINDOW_REPORT=$(QT_QPA_PLATFORM=offscreen "$BUILD/bench/window/quovex-bench-drop" --tool "$TOOL")
    echo "Main window: opening a 100 MiB stored file beside cp ..." >&2
    WINDOW_REPORT+=$'\n\n'$(QT_QPA_PLATFORM=offscreen "$BUILD/bench/window/quovex-bench-open")
    echo "Main window: contents tree ..." >&2
    WINDOW_REPORT+=$'\n\n'$(QT_QPA_PLATFORM=offscreen "$BUILD/bench/window/quovex-bench-tree")
    WINDOW_REPORT+=$'\n\n'$(QT_QPA_PLATFORM=offscreen "$BUILD/bench/window/quovex-bench-tree" --hidden)
    echo "Main window: finding in a box of 100,000 files ..." >&2
    WINDOW_REPORT+=$'\n\n'$(QT_QPA_PLATFORM=offscreen "$BUILD/bench/window/quovex-bench-find")
    WINDOW_REPORT+=$'\n\n'$(QT_QPA_PLATFORM=offscreen "$BUILD/bench/window/quovex-bench-find" --hidden)
fi

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2fx", a / b }'; }
verdict() { awk -v v="$1" -v t="$2" 'BEGIN { print (v <= t ? "met" : "MISSED") }'; }
row() { printf "%-44s %10s %10s %8s %10s  %s\n" "$@"; }
# A case timed against cp: CASE TOOL-SECONDS CP-SECONDS LIMIT (the ratio
# allowed; empty: no target).
ratio_row() {
    local r
    r=$(ratio "$2" "$3")
    if [ -z "$4" ]; then
        row "$1" "$2" "$3" "$r" "-" ""
    else
        row "$1" "$2" "$3" "$r" "<= $4x" "$(verdict "${r%x}" "$4")"
    fi
}
# A peak memory: CASE MIB, below 32 MiB.
rss_row() { row "$1" "$2" "" "" "< 32 MiB" "$(verdict "$2" 31.999)"; }

echo
echo "Quovex benchmarks on $(hostname) as $(id -un) (uid $(id -u)), $(date -u '+%Y-%m-%d %H:%M UTC')"
echo "every time includes the flush; best of 5 after a warm-up (100,000 files, sources deleted: best of 2)"
if [ "$PROTECTED_ONLY" -eq 0 ]; then
    row "case" "tool (s)" "cp (s)" "ratio" "target" ""
    ratio_row "store 512 MiB file (--keep-source)" "$TOOL_STORE" "$CP_STORE" 1.1
    ratio_row "restore 512 MiB file (--to)" "$TOOL_RESTORE" "$CP_RESTORE" 1.1
    ratio_row "store 10,000 x 1 KiB (--keep-source)" "$TOOL_FOLDER" "$CP_FOLDER" 1.5
    ratio_row "store 100,000 x 1 KiB in 100 folders" "$TOOL_LARGE" "$CP_LARGE" 1.5
    ratio_row "restore 100,000 x 1 KiB (--to)" "$TOOL_RESTORE_LARGE" "$CP_RESTORE_LARGE" 1.5
    ratio_row "restore 100,000 x 1 KiB (recorded places)" "$TOOL_PLAIN_LARGE" "$CP_RESTORE_LARGE" 1.5
    ratio_row "store 10,000 x 1 KiB, sources deleted" "$TOOL_FOLDER_DELETE" "$CP_FOLDER" ""
    FLUSH=$(awk -v a="$TOOL_FOLDER_DELETE" -v b="$TOOL_FOLDER" 'BEGIN { printf "%+.3f s (%.2fx)", a - b, a / b }')
    echo "  flush and deletion of the sources cost $FLUSH over --keep-source;"
    echo "  of that the flushes before deleting: $FLUSH_ONLY"
    echo "cp of a restore: the stored file or folder copied as it lies in the vault"
    echo "reference: dd bs=1M of the 512 MiB file $DD_BIG s (read/write floor of any user-space copy);"
    echo "           rm -rf of the 10,000 sources $RM_FOLDER s (what deleting them costs by itself)"
fi
echo
echo "protected vault (authenticated encryption), same runs"
row "case" "tool (s)" "cp (s)" "ratio" "target" ""
ratio_row "store 512 MiB file (--keep-source)" "$TOOL_PSTORE" "$CP_PSTORE" 1.2
ratio_row "restore 512 MiB file (--to)" "$TOOL_PRESTORE" "$CP_PRESTORE" 1.2
ratio_row "store 10,000 x 1 KiB (--keep-source)" "$TOOL_PFOLDER" "$CP_PFOLDER" 1.5
ratio_row "restore 10,000 x 1 KiB (--to)" "$TOOL_PRESTORE_FOLDER" "$CP_PRESTORE_FOLDER" 1.5
echo
row "peak memory (max RSS)" "MiB" "" "" "target" ""
if [ "$PROTECTED_ONLY" -eq 0 ]; then
    rss_row "store 512 MiB file" "$RSS_STORE_BIG"
    rss_row "restore 512 MiB file" "$RSS_RESTORE_BIG"
    rss_row "store 64 MiB file" "$RSS_STORE_MID"
    rss_row "restore 64 MiB file" "$RSS_RESTORE_MID"
fi
rss_row "protected: store 512 MiB file" "$RSS_PSTORE_BIG"
rss_row "protected: restore 512 MiB file" "$RSS_PRESTORE_BIG"
echo
row "key derivation (Argon2id, one login)" "s" "" "" "target" ""
row "opslimit $KDF_OPS, $KDF_MIB MiB, best of 3" "$KDF_BEST" "" "" "0.3-1.5 s" \
    "$(awk -v t="$KDF_BEST" 'BEGIN { print (t >= 0.3 && t <= 1.5 ? "met" : "MISSED") }')"
row "worst of 3" "$KDF_WORST" "" "" "" ""
row "peak memory (MiB)" "$KDF_PEAK" "" "" ">= 64 MiB" "$(verdict 64 "$KDF_PEAK")"
echo
echo "$NAMES_REPORT"
if [ -n "$WINDOW_REPORT" ]; then
    echo
    echo "$WINDOW_REPORT"
fi
