#!/usr/bin/env bash
# Brings res/translations/*.ts in line with the texts of the sources: new
# texts arrive unfinished, texts gone from the sources leave. Run after
# changing a text of the window, then translate what is unfinished (Qt
# Linguist, or by hand) and commit both; scripts/check-translations.py,
# which CI runs, fails until every message is translated.
set -euo pipefail
cd "$(dirname "$0")/.."
LUPDATE=${LUPDATE:-/usr/lib/qt6/bin/lupdate}
for ts in res/translations/quovex_*.ts; do
    "$LUPDATE" -locations none -no-obsolete -extensions cpp,h -source-language zh_CN \
        -target-language "$(basename "$ts" .ts | sed 's/^quovex_//')" ui res -ts "$ts"
done
