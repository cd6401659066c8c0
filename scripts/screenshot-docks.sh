#!/usr/bin/env bash
# Screenshot of the dockable toolbars under Xvfb: a form with bars docked on
# its top and left edges and one floating bar. Writes build/screenshot/docks.png.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh

# A build whose programs run here.
if can_run_32bit; then dir=build/shot-32; arch=i686; else dir=build/shot-64; arch=x86_64; fi
configure "$dir" -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw.cmake -DTZ_ARCH=$arch
cmake --build "$dir" -j"$jobs" --target DocksDemo >/dev/null

out="$PWD/build/screenshot"
mkdir -p "$out"
winpath() { local p=${1//\//\\}; echo "Z:$p"; }

# A prefix of its own with a real display: no null driver.
export WINEPREFIX="$out/wineprefix" TZ_WINE_ARCH=$arch
screen_prefix
shoot "$out/docks.png" 12 640x420 "$(winpath "$PWD/$dir/tests/widgets/DocksDemo.exe")"
