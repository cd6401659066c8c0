#!/usr/bin/env bash
# Screenshots of the Studio under Xvfb: the main window with the bundled
# sample project, and the About box. Writes build/screenshot/*.png.
#   scripts/screenshot-studio.sh [BUILD_DIR]   a build whose programs run here
#                                              (default: one of its own)
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh

shot_build "${1:-}" tz_studio ShowAbout
arch=$(exe_arch "$dir/dist/Studio.exe")

# The bundled sample project, over this checkout's sample folder.
esc() { printf '%s' "$1" | sed 's/[\\&|]/\\&/g'; }
sed -e "s|@SAMPLE@|$(esc "$(winpath "$PWD/samples/project")")|g" \
    -e "s|@OUT@|$(esc "$(winpath "$out")")|g" samples/Sample.tpj.in >"$out/Sample.tpj"

# A prefix of its own with a real display: no null driver.
export WINEPREFIX="$out/wineprefix" TZ_WINE_ARCH=$arch
screen_prefix
shoot "$out/studio-main.png" 12 800x600 "$(winpath "$PWD/$dir/dist/Studio.exe")" "$(winpath "$out/Sample.tpj")"
shoot "$out/studio-about.png" 8 800x600 "$(winpath "$PWD/$dir/tests/about/ShowAbout.exe")" 20
