#!/usr/bin/env bash
# Shows the caption bar, the ellipsis label and the bevels on a form under
# Xvfb and saves a PNG for a person to look at.
#   scripts/screenshot.sh BUILD_DIR [OUT.png]     (an x86_64 or i686 build)
#   scripts/screenshot.sh setup      Setup's background window with the folder
#                                    chooser, each wizard page and the install window
#   scripts/screenshot.sh studio     the Studio's main window and About box
#   scripts/screenshot.sh wizard     every page of the wizard and its About box
#   scripts/screenshot.sh views      a side bar of three pages beside the
#                                    folder tree and the file list
#   scripts/screenshot.sh sfx        the Windows zip extractors' window
#   scripts/screenshot.sh kit        every kit control in its states, and the
#                                    folder browser driven by its callback
#   scripts/screenshot.sh docks      toolbars docked on two edges and one floating
#   scripts/screenshot.sh menus      the menu bar with a menu, its submenu and title band
#   scripts/screenshot.sh help       the help file in the viewer: contents, each topic
#                                    the programs open, and the programs' Help commands
set -euo pipefail
case "${1:-}" in
  setup) shift; exec "$(dirname "$0")/screenshot-setup.sh" "$@" ;;
  studio) shift; exec "$(dirname "$0")/screenshot-studio.sh" "$@" ;;
  wizard) shift; exec "$(dirname "$0")/screenshot-wizard.sh" "$@" ;;
  views) shift; exec "$(dirname "$0")/screenshot-views.sh" "$@" ;;
  sfx) shift; exec "$(dirname "$0")/screenshot-sfx.sh" "$@" ;;
  kit) shift; exec "$(dirname "$0")/screenshot-kit.sh" "$@" ;;
  docks) shift; exec "$(dirname "$0")/screenshot-docks.sh" "$@" ;;
  menus) shift; exec "$(dirname "$0")/screenshot-menus.sh" "$@" ;;
  help) shift; exec "$(dirname "$0")/screenshot-help.sh" "$@" ;;
esac
cd "$(dirname "$0")/.."
. scripts/lib.sh
build=${1:?build directory}
out=${2:-$build/caption-demo.png}
demo=$build/tests/widgets/CaptionDemo.exe
[ -f "$demo" ] || { echo "build CaptionDemo first: cmake --build $build --target CaptionDemo" >&2; exit 1; }
export TZ_WINE_ARCH=$(exe_arch "$demo")
export WINEPREFIX=$(realpath "$build")/wineprefix-screen   # a prefix with a real display driver
screen_prefix
shoot "$(realpath -m "$out")" 4 640x400 "$(realpath "$demo")"
