#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it. Only the two
# programs are built (the window and quovex-tool); scripts/test.sh builds the
# tests and benchmarks.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
cmake --preset default >/dev/null
cmake --build --preset default --target quovex quovex-tool
exec ./build/default/ui/quovex
