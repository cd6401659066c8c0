#!/usr/bin/env bash
# Screenshots of the kit controls under Xvfb: a form holding every control
# in its states, and the folder browser, which its own callback closes with
# OK; the folder it returned is checked. Writes build/screenshot/kit*.png.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh

shot_build "" KitDemo
arch=$(exe_arch "$dir/tests/widgets/KitDemo.exe")
demo=$(winpath "$PWD/$dir/tests/widgets/KitDemo.exe")

# A prefix of its own with a real display: no null driver.
export WINEPREFIX="$out/wineprefix" TZ_WINE_ARCH=$arch
screen_prefix
shoot "$out/kit.png" 10 640x420 "$demo"

# The folder browser: captured while open, then left to its callback.
result="$out/kit-browse.txt"
rm -f "$result" "$result.open"
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  "$WINELOADER" explorer /desktop=shot,800x600 "$1" browse "$2" >/dev/null 2>&1 &
  for _ in $(seq 1 60); do [ -e "$4.open" ] && break; sleep 0.5; done
  sleep 2
  import -window root "$3"
  for _ in $(seq 1 30); do [ -s "$4" ] && break; sleep 1; done
  timeout 30 "$TZ_WINESERVER" -k >/dev/null 2>&1 || true
  wait 2>/dev/null || true' _ "$demo" "$(winpath "$result")" "$out/kit-browse.png" "$result"
echo "$out/kit-browse.png"
tr -d '\r' <"$result" | grep -qi '^OK|C:\\windows\\system32\\$' || { echo "folder browser returned: $(cat "$result" 2>/dev/null)" >&2; exit 1; }
echo "folder browser returned $(cat "$result")"
