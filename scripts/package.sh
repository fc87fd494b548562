#!/usr/bin/env bash
# Builds the two programs and the icons in a build folder and the Debian
# package from them, and prints the package's path, alone on standard
# output (build output goes to standard error), so that
# `deb=$(bash scripts/package.sh)` works.
#
#   bash scripts/package.sh [BUILD_DIR]
#
# BUILD_DIR is build/release unless given, configured with the release
# preset; another folder must be configured already (CI packages
# build/default, the build its tests ran in, so that what ships is what was
# tested). Only an optimised build without sanitizers and with the window
# is packaged. The package lands in BUILD_DIR/package; install it with
#   sudo apt-get install ./build/release/package/quovex_<version>_amd64.deb
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
build="$repo/build/release"
[ $# -gt 0 ] && build=$(realpath -m "$1")
cd "$repo"

fail() {
    echo "package.sh: $*" >&2
    exit 1
}

bash scripts/setup.sh >&2
if [ "$build" = "$repo/build/release" ]; then
    cmake --preset release >&2
elif [ "$build" = "$repo/build/default" ] && [ ! -f "$build/CMakeCache.txt" ]; then
    cmake --preset default >&2
fi
[ -f "$build/CMakeCache.txt" ] || fail "$build is not a configured build folder"
setting() { sed -n "s/^$1:[A-Z]*=//p" "$build/CMakeCache.txt"; }
for option in QUOVEX_SANITIZE QUOVEX_SANITIZE_THREADS QUOVEX_FUZZ; do
    [ "$(setting "$option")" != ON ] || fail "$build is built with $option: not a build to ship"
done
[ "$(setting QUOVEX_BUILD_UI)" = ON ] || fail "$build is built without the window"
case "$(setting CMAKE_BUILD_TYPE)" in
    Release | RelWithDebInfo | MinSizeRel) ;;
    *) fail "$build is a '$(setting CMAKE_BUILD_TYPE)' build, not an optimised one" ;;
esac

# The package holds only the two programs and the icons this build draws;
# the tests need not be built for it.
cmake --build "$build" --target quovex quovex-tool quovex_icons >&2

# An emptied folder holds exactly the package just built.
rm -rf "$build/package"
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$build/package" >&2

debs=("$build"/package/quovex_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "expected one quovex_*.deb in $build/package"
realpath "${debs[0]}"
