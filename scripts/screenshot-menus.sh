#!/usr/bin/env bash
# Screenshot of the animated menus under Xvfb: the menu bar with its File
# menu open, a submenu beside it and the title band. Writes
# build/screenshot/menus.png.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh

# A build whose programs run here.
if can_run_32bit; then dir=build/shot-32; arch=i686; else dir=build/shot-64; arch=x86_64; fi
configure "$dir" -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw.cmake -DTZ_ARCH=$arch
cmake --build "$dir" -j"$jobs" --target MenusDemo >/dev/null

out="$PWD/build/screenshot"
mkdir -p "$out"
winpath() { local p=${1//\//\\}; echo "Z:$p"; }

# A prefix of its own with a real display: no null driver.
export WINEPREFIX="$out/wineprefix" TZ_WINE_ARCH=$arch
screen_prefix
shoot "$out/menus.png" 12 640x420 "$(winpath "$PWD/$dir/tests/widgets/MenusDemo.exe")"
