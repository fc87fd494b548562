#!/usr/bin/env bash
# Builds the Release preset and the Debian package from it, and prints the
# package's path, alone on standard output (build output goes to standard
# error), so that `deb=$(bash scripts/package.sh)` works. Install it with
#   sudo apt-get install ./build/release/package/quovex_<version>_amd64.deb
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh >&2
cmake --preset release >&2
# The package holds only the two programs and the icons this build draws;
# the tests need not be built for it.
cmake --build --preset release --target quovex quovex-tool quovex_icons >&2

# An emptied folder holds exactly the package just built.
rm -rf build/release/package
cpack --preset release >&2

debs=(build/release/package/quovex_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || {
    echo "package.sh: expected one quovex_*.deb in build/release/package" >&2
    exit 1
}
realpath "${debs[0]}"
