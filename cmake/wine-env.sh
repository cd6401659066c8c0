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

# Maps Arial, Times New Roman and Courier New to the Liberation fonts, which
# have their widths, so that texts fit as they do on Windows. Once per
# prefix (WINEPREFIX); Wine finds the Liberation fonts through fontconfig.
tz_map_fonts() {
  [ -f "$WINEPREFIX/.tz-fonts" ] && return 0
  local key='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' pair
  for pair in 'Arial=Liberation Sans' 'Times New Roman=Liberation Serif' 'Courier New=Liberation Mono'; do
    timeout 60 "$WINELOADER" reg add "$key" /v "${pair%%=*}" /d "${pair#*=}" /f >/dev/null 2>&1 || return 1
  done
  touch "$WINEPREFIX/.tz-fonts"
}
