#!/usr/bin/env bash
# Runs the interface tests (which save pictures of the dialogs with real
# content under build/default/screenshots) and copies the pictures that the
# README shows into docs/screenshots.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset default >/dev/null
cmake --build --preset default
(cd build/default && QT_QPA_PLATFORM=offscreen ctest -R '^ui\.' >/dev/null)
mkdir -p docs/screenshots
for name in login main-window progress properties-file properties-folder settings help; do
    cp "build/default/screenshots/$name.png" docs/screenshots/
done
