#!/usr/bin/env bash
# Screenshot of the animated menus under Xvfb: the menu bar with its File
# menu open, a submenu beside it and the title band. Writes
# build/screenshot/menus.png.
#   scripts/screenshot.sh menus [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh
shot_build "${1:-}" MenusDemo

# A prefix of its own with a real display: no null driver.
export WINEPREFIX="$out/wineprefix" TZ_WINE_ARCH=$(exe_arch "$dir/tests/widgets/MenusDemo.exe")
screen_prefix
shoot "$out/menus.png" 12 640x420 "$(winpath "$PWD/$dir/tests/widgets/MenusDemo.exe")"
