#!/usr/bin/env bash
# Installs what is missing, builds and runs every test (the default preset,
# two tests at a time: each works in temporary folders of its own).
#
# With --sanitize (set by CI) first the source rules are checked
# (scripts/check-rules.sh: formatting, the calls that belong to one place,
# the core's layers); the default build's tests also round-trip a 5 GiB
# file (10 GiB written); every test runs again under AddressSanitizer and
# UndefinedBehaviorSanitizer, and those that start threads of the core
# (label "threads", tests/vault/CMakeLists.txt) under ThreadSanitizer, both
# at -O1; then the default build, the one just tested, is packaged and the
# Debian package checked (scripts/check-package.sh build/default), and the
# stored-file readers are fuzzed for a minute (scripts/fuzz.sh). A broken
# rule does not stop the run: it is told again at the end, and the run
# fails.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
export QT_QPA_PLATFORM=offscreen

ci=false
[ "${1:-}" = "--sanitize" ] && ci=true

# stage NAME COMMAND...: runs COMMAND under a heading and says how long it took.
stage() {
    local name="$1" start=$SECONDS status=0
    shift
    echo "== $name =="
    "$@" || status=$?
    echo "== $name: $((SECONDS - start)) s =="
    return "$status"
}

rules_broken=false
if $ci; then
    stage "source rules" bash scripts/check-rules.sh || rules_broken=true
fi

presets=(default)
$ci && presets+=(sanitize threads)
for preset in "${presets[@]}"; do
    stage "$preset build" bash -c "cmake --preset $preset >/dev/null && cmake --build --preset $preset"
    if $ci && [ "$preset" = default ]; then
        stage "$preset tests" env QUOVEX_LARGE_TESTS=1 ctest --preset "$preset"
    else
        stage "$preset tests" ctest --preset "$preset"
    fi
done

if $ci; then
    stage "package" bash scripts/check-package.sh build/default
    stage "fuzzing" bash scripts/fuzz.sh
    if $rules_broken; then
        echo "test.sh: the source rules are broken (see 'source rules' above)" >&2
        exit 1
    fi
fi
