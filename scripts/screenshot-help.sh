#!/usr/bin/env bash
# Screenshots of Mainhelp.hlp in Wine's help viewer under Xvfb: its contents,
# each topic the programs open by name, the kind buttons' context numbers
# as F1 asks for them, the Studio's Help > Contents and F1 on its kind
# buttons, and the Wizard's Help button. Writes build/screenshot/help-*.png.
#   scripts/screenshot-help.sh [BUILD_DIR]   a build whose programs run here
#                                            (default: one of its own)
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh

shot_build "${1:-}" tz_helpfile HelpShot ShowStudio ShowWizard
arch=$(exe_arch "$dir/tests/help/HelpShot.exe")
help="$PWD/$dir/dist/Mainhelp.hlp"

# A prefix of its own with a real display: no null driver.
export WINEPREFIX="$out/wineprefix" TZ_WINE_ARCH=$arch
screen_prefix
shoot "$out/help-contents.png" 8 640x480 winhlp32 "$(winpath "$help")"
# The topic names: the Studio's two and the Wizard's pages.
for name in BigWelcome About WizardWelcome ArchiveType AddFiles Add_Folders General_Archive_Settnigs \
            Advanced_Archive_Settnigs Project_Information Reviiew_Summary Add_Progress Package_Built; do
  shoot "$out/help-name-$name.png" 8 640x480 winhlp32 -i "$name" "$(winpath "$help")"
done
# F1 on the kind buttons: HELP_CONTEXT with each button's number.
helpshot=$(winpath "$PWD/$dir/tests/help/HelpShot.exe")
for context in 1001 1002 1003 1004; do
  shoot "$out/help-context-$context.png" 8 640x480 "$helpshot" "$(winpath "$help")" context "$context"
done
# The Studio's Help > Contents, with the help file beside the program.
sample_project "$out"
cp -f "$help" "$dir/tests/studio/Mainhelp.hlp"
shoot "$out/help-studio-contents.png" 14 800x600 "$(winpath "$PWD/$dir/tests/studio/ShowStudio.exe")" \
  "$(winpath "$out/Sample.tpj")" 0 0 -1 20 help
# F1 on each of the Studio's kind buttons.
for kind in 1 2 3 4; do
  shoot "$out/help-studio-f1-$kind.png" 14 800x600 "$(winpath "$PWD/$dir/tests/studio/ShowStudio.exe")" \
    "$(winpath "$out/Sample.tpj")" 0 "$kind" -1 20 f1
done
# The Wizard's Help button on its Add Folders page.
export SHOT_READY="$out/help-wizard-ready"
shoot "$out/help-wizard-page.png" 90 640x480 "$(winpath "$PWD/$dir/tests/wizard/ShowWizard.exe")" 3 120 \
  "$(winpath "$PWD/samples/project")" "$(winpath "$SHOT_READY")" "$(winpath "$help")"
