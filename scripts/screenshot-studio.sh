#!/usr/bin/env bash
# Screenshots of the Studio under Xvfb: the main window with the bundled
# sample project, each of its pages, and the About box. Writes
# build/screenshot/*.png.
#   scripts/screenshot-studio.sh [BUILD_DIR]   a build whose programs run here
#                                              (default: one of its own)
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh

shot_build "${1:-}" tz_studio ShowAbout ShowStudio
arch=$(exe_arch "$dir/dist/Studio.exe")

# The bundled sample project, over this checkout's sample folder.
sample_project "$out"

# A prefix of its own with a real display: no null driver.
export WINEPREFIX="$out/wineprefix" TZ_WINE_ARCH=$arch
screen_prefix
project=$(winpath "$out/Sample.tpj")
shoot "$out/studio-main.png" 12 800x600 "$(winpath "$PWD/$dir/dist/Studio.exe")" "$project"
# name page kind tab: kinds 1 to 4 are the kind buttons, 0 the project's.
show=$(winpath "$PWD/$dir/tests/studio/ShowStudio.exe")
while read -r name page kind tab; do
  shoot "$out/studio-$name.png" 10 800x600 "$show" "$project" "$page" "$kind" "$tab" 20
done <<'PAGES'
info 0 0 -1
sources 1 0 -1
help 2 0 -1
compression 3 0 -1
sfx-zip 4 4 1
sfx-dos 4 4 2
sfx-cab 4 2 -1
working 5 0 -1
PAGES
# The File menu open over the first page.
shoot "$out/studio-file-menu.png" 10 800x600 "$show" "$project" 0 0 -1 20 menu
shoot "$out/studio-about.png" 8 800x600 "$(winpath "$PWD/$dir/tests/about/ShowAbout.exe")" 20
