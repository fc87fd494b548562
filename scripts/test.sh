#!/usr/bin/env bash
# Installs what is missing, builds and runs every test.
# With --sanitize (set by CI) the tests run again in a Release build, under
# AddressSanitizer and UndefinedBehaviorSanitizer, and those of the core and
# the tool under ThreadSanitizer; then the Release build is packaged and the
# Debian package checked (scripts/check-package.sh), and the stored-file
# readers are fuzzed for a minute (scripts/fuzz.sh).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
export QT_QPA_PLATFORM=offscreen

ci=false
[ "${1:-}" = "--sanitize" ] && ci=true
presets=(default)
$ci && presets+=(release sanitize threads)

for preset in "${presets[@]}"; do
    echo "== $preset build =="
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
    # The release build also round-trips a 5 GiB file (10 GiB written).
    if [ "$preset" = release ]; then
        QUOVEX_LARGE_TESTS=1 ctest --preset "$preset"
    else
        ctest --preset "$preset"
    fi
done

if $ci; then
    echo "== package =="
    bash scripts/check-package.sh
    echo "== fuzzing =="
    bash scripts/fuzz.sh
fi
