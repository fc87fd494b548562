#!/usr/bin/env bash
# Builds the fuzz preset (clang, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs the stored-file fuzz target for a
# bounded time, 60 seconds unless a number of seconds is given. It starts
# from a copy of tests/fuzz/corpus, so the tree never gains entries. Exits
# non-zero on a finding (a crash, a hang, a sanitizer report, or a check of
# the target failing); the input is kept in build/fuzz/findings/.
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
mkdir "$work/corpus" "$work/sandbox"
cp tests/fuzz/corpus/* "$work/corpus/"
findings="$PWD/build/fuzz/findings"
mkdir -p "$findings"

echo "== fuzzing the stored-file readers for $seconds s =="
status=0
TMPDIR="$work/sandbox" \
ASAN_OPTIONS="detect_leaks=1:abort_on_error=1" \
UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
    ./build/fuzz/tests/fuzz/quovex_stored_file_fuzz "$work/corpus" \
    -dict=tests/fuzz/stored-file.dict -max_total_time="$seconds" -timeout=10 \
    -rss_limit_mb=2048 -artifact_prefix="$findings/" -print_final_stats=1 || status=$?
if [ "$status" -ne 0 ]; then
    echo "fuzzing found a defect; the input is in $findings" >&2
    echo "reproduce: ./build/fuzz/tests/fuzz/quovex_stored_file_fuzz <input>" >&2
fi
exit "$status"
