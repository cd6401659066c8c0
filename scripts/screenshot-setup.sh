#!/usr/bin/env bash
# Screenshots of Setup under Xvfb: the background window with each of its
# windows over it: the folder chooser, the eight wizard pages and the install
# window in progress. Writes build/screenshot/setup-*.png.
#   scripts/screenshot-setup.sh [BUILD_DIR]   a build whose programs run here
#                                             (default: one of its own)
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh

shot_build "${1:-}" SetupShot
exe="$PWD/$dir/tests/setup/SetupShot.exe"

# A prefix of its own with a real display: no null driver.
export WINEPREFIX="$out/wineprefix" TZ_WINE_ARCH=$(exe_arch "$exe")
screen_prefix
exe=$(winpath "$exe")
shoot "$out/setup-chooser.png" 12 800x600 "$exe"
for page in 0 1 2 3 4 5 6 7; do
  shoot "$out/setup-page-$page.png" 12 800x600 "$exe" page "$page"
done
shoot "$out/setup-install.png" 12 800x600 "$exe" install
