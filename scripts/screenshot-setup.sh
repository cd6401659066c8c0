#!/usr/bin/env bash
# Shows Setup's background window with the folder chooser over it under
# Xvfb and saves a PNG for a person to look at.
#   scripts/screenshot-setup.sh BUILD_DIR [OUT.png]     (an x86_64 or i686 build)
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh
build=${1:?build directory}
out=${2:-$build/setup-shot.png}
demo=$build/tests/setup/SetupShot.exe
[ -f "$demo" ] || { echo "build SetupShot first: cmake --build $build --target SetupShot" >&2; exit 1; }
export TZ_WINE_ARCH=$(exe_arch "$demo")
# A prefix of this script's own, with a real display driver: never the tests' one.
export WINEPREFIX=$(realpath "$build")/wineprefix-setup-shot
screen_prefix
shoot "$(realpath -m "$out")" 6 800x600 "$(realpath "$demo")"
