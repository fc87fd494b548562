#!/usr/bin/env bash
# Installs what is missing, builds and runs every test.
# With --sanitize (set by CI) the tests run again in a Release build, under
# AddressSanitizer and UndefinedBehaviorSanitizer, and those of the core and
# the tool under ThreadSanitizer; then the stored-file readers are fuzzed for
# a minute (scripts/fuzz.sh).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
export QT_QPA_PLATFORM=offscreen

presets=(default)
[ "${1:-}" = "--sanitize" ] && presets+=(release sanitize threads)

for preset in "${presets[@]}"; do
    echo "== $preset build =="
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
    ctest --preset "$preset"
done

if [ "${1:-}" = "--sanitize" ]; then
    bash scripts/fuzz.sh
fi
