#!/usr/bin/env bash
# Screenshot of the side bar, the folder tree and the file list under Xvfb,
# showing this checkout's sample folder. Writes build/screenshot/views.png.
#   scripts/screenshot-views.sh [BUILD_DIR]   a build whose programs run here
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh

shot_build "${1:-}" ViewsDemo
arch=$(exe_arch "$dir/tests/widgets/ViewsDemo.exe")

# A prefix of its own with a real display: no null driver.
export WINEPREFIX="$out/wineprefix" TZ_WINE_ARCH=$arch
screen_prefix
shoot "$out/views.png" 12 800x480 "$(winpath "$PWD/$dir/tests/widgets/ViewsDemo.exe")" "$(winpath "$PWD/samples/project")"
