#!/usr/bin/env bash
# Creates (setup) or stops (stop) the build's own Wine prefix.
# WINEPREFIX and TZ_WINE_ARCH come from the caller.
set -u
: "${WINEPREFIX:?}"
. "$(dirname "$0")/wine-env.sh"
case "${1:-setup}" in
  setup)
    [ -f "$WINEPREFIX/.tz-ready" ] && exit 0
    mkdir -p "$(dirname "$WINEPREFIX")"
    exec 9>"$WINEPREFIX.lock"
    flock 9
    [ -f "$WINEPREFIX/.tz-ready" ] && exit 0
    rm -rf "$WINEPREFIX"
    ( unset DISPLAY; timeout 180 "$WINELOADER" wineboot -i ) >/dev/null 2>&1 || { echo "wineboot failed" >&2; exit 1; }
    # Headless windows: Wine's null display driver.
    timeout 60 "$WINELOADER" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
    if [ -d /usr/share/wine/fonts ]; then
      cp -f /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
    fi
    timeout 60 "$TZ_WINESERVER" -k >/dev/null 2>&1 || true
    touch "$WINEPREFIX/.tz-ready"
    ;;
  stop)
    timeout 30 "$TZ_WINESERVER" -k >/dev/null 2>&1 || true
    ;;
esac
exit 0
