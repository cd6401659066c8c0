#!/usr/bin/env bash
# Screenshots of the Studio under Xvfb: the main window with the bundled
# sample project, and the About box. Writes build/screenshot/*.png.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh

# A build whose programs run here.
if can_run_32bit; then dir=build/shot-32; arch=i686; else dir=build/shot-64; arch=x86_64; fi
configure "$dir" -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw.cmake -DTZ_ARCH=$arch
cmake --build "$dir" -j"$jobs" --target tz_studio ShowAbout >/dev/null

out="$PWD/build/screenshot"
mkdir -p "$out"
winpath() { local p=${1//\//\\}; echo "Z:$p"; }

# The bundled sample project, over this checkout's sample folder.
esc() { printf '%s' "$1" | sed 's/[\\&|]/\\&/g'; }
sed -e "s|@SAMPLE@|$(esc "$(winpath "$PWD/samples/project")")|g" \
    -e "s|@OUT@|$(esc "$(winpath "$out")")|g" samples/Sample.tpj.in >"$out/Sample.tpj"

# A prefix of its own with a real display: no null driver.
export WINEPREFIX="$out/wineprefix" TZ_WINE_ARCH=$arch
cmake/wine-prefix.sh setup
. cmake/wine-env.sh
export TZ_WINESERVER
"$WINELOADER" reg delete 'HKCU\Software\Wine\Drivers' /v Graphics /f >/dev/null 2>&1 || true

shoot() {  # name, seconds, program, args...
  local name=$1 wait=$2; shift 2
  xvfb-run -a -s "-screen 0 800x600x24" bash -c '
    "$WINELOADER" explorer /desktop=shot,800x600 "$@" >/dev/null 2>&1 &
    sleep '"$wait"'
    import -window root "'"$out/$name"'.png"
    "$TZ_WINESERVER" -k >/dev/null 2>&1 || true' _ "$@"
}
shoot studio-main 12 "$(winpath "$PWD/$dir/dist/Studio.exe")" "$(winpath "$out/Sample.tpj")"
shoot studio-about 8 "$(winpath "$PWD/$dir/tests/studio/ShowAbout.exe")" 20
ls -l "$out"/*.png
