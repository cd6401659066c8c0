#!/usr/bin/env bash
# Shows the caption bar, the ellipsis label and the bevels on a form under
# Xvfb and saves a PNG for a person to look at.
#   scripts/screenshot.sh BUILD_DIR [OUT.png]     (an x86_64 or i686 build)
#   scripts/screenshot.sh setup BUILD_DIR [OUT.png]   Setup's background window
#                                                    and folder chooser
set -euo pipefail
if [ "${1:-}" = setup ]; then shift; exec "$(dirname "$0")/screenshot-setup.sh" "$@"; fi
cd "$(dirname "$0")/.."
build=${1:?build directory}
out=${2:-$build/caption-demo.png}
demo=$build/tests/widgets/CaptionDemo.exe
[ -f "$demo" ] || { echo "build CaptionDemo first: cmake --build $build --target CaptionDemo" >&2; exit 1; }
if file "$demo" | grep -q x86-64; then arch=x86_64; else arch=i686; fi
export TZ_WINE_ARCH=$arch
export WINEPREFIX=$(realpath "$build")/wineprefix-screen   # a prefix with a real display driver
. cmake/wine-env.sh
if [ ! -f "$WINEPREFIX/.tz-ready" ]; then
  ( unset DISPLAY; timeout 180 "$WINELOADER" wineboot -i ) >/dev/null 2>&1
  cp -f /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
  timeout 30 "$TZ_WINESERVER" -k >/dev/null 2>&1 || true
  touch "$WINEPREFIX/.tz-ready"
fi
xvfb-run -a -s "-screen 0 800x600x24" bash -c '
  "$0" explorer /desktop=shot,640x400 "$1" &
  sleep 4
  import -window root "$2"
  wait
' "$WINELOADER" "$(realpath "$demo")" "$out"
timeout 30 "$TZ_WINESERVER" -k >/dev/null 2>&1 || true
echo "$out"
