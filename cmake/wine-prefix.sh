#!/usr/bin/env bash
# Creates (setup) or stops (stop) the build's own Wine prefix.
# WINEPREFIX and TZ_WINE_ARCH come from the caller.
set -u
: "${WINEPREFIX:?}"
. "$(dirname "$0")/wine-env.sh"
case "${1:-setup}" in
  setup)
    # A prefix made by another version of this script is made again.
    ready="$WINEPREFIX/.tz-ready-$(md5sum <"$0" | cut -c1-12)"
    [ -f "$ready" ] && exit 0
    mkdir -p "$(dirname "$WINEPREFIX")"
    exec 9>"$WINEPREFIX.lock"
    flock 9
    [ -f "$ready" ] && exit 0
    timeout 30 "$TZ_WINESERVER" -k >/dev/null 2>&1 || true
    rm -rf "$WINEPREFIX"
    ( unset DISPLAY; timeout 180 "$WINELOADER" wineboot -i ) >/dev/null 2>&1 || { echo "wineboot failed" >&2; exit 1; }
    # Headless windows: Wine's null display driver.
    timeout 60 "$WINELOADER" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
    # A crashing program ends at once, with its backtrace on standard
    # error: no crash box waits for a click that never comes.
    timeout 60 "$WINELOADER" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
    if [ -d /usr/share/wine/fonts ]; then
      cp -f /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
    fi
    tz_map_fonts
    timeout 60 "$TZ_WINESERVER" -k >/dev/null 2>&1 || true
    touch "$ready"
    ;;
  stop)
    timeout 30 "$TZ_WINESERVER" -k >/dev/null 2>&1 || true
    ;;
esac
exit 0
