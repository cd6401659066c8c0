#!/usr/bin/env bash
# Screenshots of the wizard under Xvfb: each of its ten pages with a sample
# project, and its About box. Writes build/screenshot/wizard-*.png.
#   scripts/screenshot-wizard.sh [BUILD_DIR]   a build whose programs run here
#                                              (default: one of its own)
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh

shot_build "${1:-}" tz_wizard ShowWizard
show="$PWD/$dir/tests/wizard/ShowWizard.exe"
arch=$(exe_arch "$show")

# A prefix of its own with a real display: no null driver.
export WINEPREFIX="$out/wineprefix" TZ_WINE_ARCH=$arch
screen_prefix
# Each picture is taken once the window has been painted.
export SHOT_READY="$out/wizard-ready"
shot() {  # out.png what
  shoot "$1" 90 640x400 "$(winpath "$show")" "$2" 120 "$(winpath "$PWD/samples/project")" "$(winpath "$SHOT_READY")"
}
names=(welcome archive-type add-files add-folders general-settings advanced-settings project-settings review
       building done)
for page in 0 1 2 3 4 5 6 7 8 9; do
  shot "$out/wizard-$page-${names[$page]}.png" "$page"
done
shot "$out/wizard-about.png" about
