#!/usr/bin/env bash
# Builds the fuzz preset (clang, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs the fuzz targets one after the other
# for a bounded time in all, 60 seconds unless a number of seconds is
# given, split evenly: the scrambled stored-file target, the protected vault
# target (key records, recovery keys, protected stored files), then the
# hidden names target. Each starts from a copy of its seed corpus, so the
# tree never gains entries.
# Exits non-zero on a finding (a crash, a hang, a sanitizer report, or a
# check of a target failing); the input is kept in build/fuzz/findings/.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-60}"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

# Memory-backed when possible: every input is written and restored on disk,
# several times faster there.
parent="${TMPDIR:-/tmp}"
[ -d /dev/shm ] && [ -w /dev/shm ] && parent=/dev/shm
work="$(mktemp -d "$parent/quovex-fuzz-run-XXXXXX")"
trap 'rm -rf "$work"' EXIT
findings="$PWD/build/fuzz/findings"
mkdir -p "$findings"

# The protected target's seeds: its own corpus, and the reference key record
# and protected stored files of tests/data, each behind the mode byte that
# says what it is (tests/fuzz/ProtectedFuzz.h).
protected_seeds() {
    local out="$1" record stored
    cp tests/fuzz/protected-corpus/* "$out/"
    for record in tests/data/protected/key-record tests/data/protected/key-record-3; do
        for mode in 00 04 03 0b 13 23 33 27; do   # record alone, forged; as copies on disk
            { printf "\\x$mode"; cat "$record"; } >"$out/$(basename "$record")-$mode"
        done
    done
    for stored in tests/data/protected/*.\$; do
        { printf '\x02'; cat "$stored"; } >"$out/stored-$(basename "$stored" .\$)"
    done
}

# The names target's seeds: the reference names of tests/data, each behind
# the byte that says what it is (tests/fuzz/NameFuzz.cpp): the on-disk names
# and the record as they lie, the plain names to be sealed as either kind.
names_seeds() {
    local out="$1" i=0 kind parent name disk
    while IFS=$'\t' read -r kind parent name disk; do
        case "$kind" in folder | file | record) ;; *) continue ;; esac
        i=$((i + 1))
        case "$kind" in
            folder) { printf '\x00'; printf '%s' "$disk"; } >"$out/disk-$i" ;;
            file) { printf '\x01'; printf '%s' "$disk"; } >"$out/disk-$i" ;;
            record) { printf '\x02'; xxd -r -p <<<"$disk"; } >"$out/record-$i" ;;
        esac
        { printf '\x03'; printf '%s' "$name"; } >"$out/plain-folder-$i"
        { printf '\x07'; printf '%s' "$name"; } >"$out/plain-file-$i"
    done <tests/data/protected/names.txt
}

# run NAME SECONDS DICTIONARY: fuzzes build/fuzz/tests/fuzz/NAME from the
# corpus in $work/NAME; the status is added to $status.
status=0
run() {
    local name="$1" time="$2" dict="$3" result=0
    mkdir -p "$work/$name-sandbox"
    echo "== fuzzing $name for $time s =="
    TMPDIR="$work/$name-sandbox" \
    ASAN_OPTIONS="detect_leaks=1:abort_on_error=1" \
    UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
        "./build/fuzz/tests/fuzz/$name" "$work/$name" \
        -dict="$dict" -max_total_time="$time" -timeout=10 \
        -rss_limit_mb=2048 -artifact_prefix="$findings/" -print_final_stats=1 || result=$?
    if [ "$result" -ne 0 ]; then
        echo "fuzzing $name found a defect; the input is in $findings" >&2
        echo "reproduce: ./build/fuzz/tests/fuzz/$name <input>" >&2
        status=$result
    fi
}

mkdir "$work/quovex_stored_file_fuzz" "$work/quovex_protected_fuzz" "$work/quovex_names_fuzz"
cp tests/fuzz/corpus/* "$work/quovex_stored_file_fuzz/"
protected_seeds "$work/quovex_protected_fuzz"
names_seeds "$work/quovex_names_fuzz"

# At least a second each: libFuzzer takes 0 for no limit.
third=$((seconds / 3 > 0 ? seconds / 3 : 1))
last=$((seconds - 2 * third > 0 ? seconds - 2 * third : 1))
run quovex_stored_file_fuzz "$third" tests/fuzz/stored-file.dict
run quovex_protected_fuzz "$third" tests/fuzz/protected.dict
run quovex_names_fuzz "$last" tests/fuzz/names.dict
exit "$status"
