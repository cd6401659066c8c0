#!/usr/bin/env bash
# Shows Setup's background window with the folder chooser over it under
# Xvfb and saves a PNG for a person to look at.
#   scripts/screenshot-setup.sh BUILD_DIR [OUT.png]     (an x86_64 or i686 build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:?build directory}
out=${2:-$build/setup-shot.png}
demo=$build/tests/setup/SetupShot.exe
[ -f "$demo" ] || { echo "build SetupShot first: cmake --build $build --target SetupShot" >&2; exit 1; }
if file "$demo" | grep -q x86-64; then arch=x86_64; else arch=i686; fi
export TZ_WINE_ARCH=$arch
# A prefix of this script's own, with a real display driver: never the tests' one.
export WINEPREFIX=$(realpath "$build")/wineprefix-setup-shot
. cmake/wine-env.sh
if [ ! -f "$WINEPREFIX/.tz-ready" ]; then
  ( unset DISPLAY; timeout 180 "$WINELOADER" wineboot -i ) >/dev/null 2>&1
  cp -f /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
  timeout 30 "$TZ_WINESERVER" -k >/dev/null 2>&1 || true
  touch "$WINEPREFIX/.tz-ready"
fi
# No null driver here, whatever made the prefix.
timeout 60 "$WINELOADER" reg delete 'HKCU\Software\Wine\Drivers' /v Graphics /f >/dev/null 2>&1 || true
timeout 30 "$TZ_WINESERVER" -k >/dev/null 2>&1 || true
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  "$0" explorer /desktop=setup,800x600 "$1" &
  sleep 6
  import -window root "$2"
  kill %1 2>/dev/null || true
  wait 2>/dev/null || true
' "$WINELOADER" "$(realpath "$demo")" "$out"
timeout 30 "$TZ_WINESERVER" -k >/dev/null 2>&1 || true
echo "$out"
