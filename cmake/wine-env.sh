# Sourced: the Wine environment for TZ_WINE_ARCH (i686 or x86_64).
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d"
if [ "${TZ_WINE_ARCH:-i686}" = x86_64 ]; then
  export WINEARCH=win64 WINELOADER=/usr/lib/wine/wine64
  TZ_WINESERVER=/usr/lib/wine/wineserver64
else
  export WINEARCH=win32 WINELOADER=/usr/lib/wine/wine
  TZ_WINESERVER=/usr/lib/wine/wineserver32
fi
[ -x "$TZ_WINESERVER" ] || TZ_WINESERVER=wineserver
