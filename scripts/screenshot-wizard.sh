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
names=(welcome archive-type add-files add-folders general-settings advanced-settings project-settings review
       building done)
for page in 0 1 2 3 4 5 6 7 8 9; do
  shoot "$out/wizard-$page-${names[$page]}.png" 12 640x400 "$(winpath "$show")" "$page" 30 "$(winpath "$PWD/samples/project")"
done
shoot "$out/wizard-about.png" 12 640x400 "$(winpath "$show")" about 30
