#!/usr/bin/env bash
# Installs what is missing and builds; packs the bundled sample into a
# cabinet through the engine's cabinet writer and lists it with an
# independent reader; then starts the Studio under Xvfb with the bundled
# sample project and saves screenshots of it.
#   scripts/demo.sh          screenshots that fail are reported, not fatal
#   scripts/demo.sh --ci     everything must work; only the screenshots are
#                            skipped, and only when no X server can start
set -euo pipefail
cd "$(dirname "$0")/.."
ci=0
[ "${1:-}" = --ci ] && ci=1
./scripts/install-deps.sh
. scripts/lib.sh

build_shipped
run=$(runnable_build)

# No build writes here.
out="$PWD/demo-output"
rm -rf "$out" && mkdir -p "$out"
package="$out/Sample.cab"
sample="$run/demo/CabSample.exe"
[ -f "$sample" ] || { echo "demo: $sample was not built" >&2; exit 1; }
if [ "$run" = build ]; then echo "demo: running the shipped i686 build"; else echo "demo: running the x86_64 build"; fi

WINEPREFIX="$PWD/$run/wineprefix" TZ_WINE_ARCH=$(exe_arch "$sample") cmake/wine-prefix.sh setup
"$run/wine-run.sh" "$sample" "Z:${package//\//\\}" "Z:${PWD//\//\\}\\samples\\project" >"$out/pack.log"

# The package must be there and read back whole by a reader of its own.
[ -s "$package" ] || { echo "demo: no package was made at $package" >&2; exit 1; }
cabextract -t "$package" >/dev/null || { echo "demo: $package does not read back" >&2; exit 1; }
cabextract -l "$package" >"$out/listing.txt" || { echo "demo: $package cannot be listed" >&2; exit 1; }
expected=$(cd samples/project && find . -type f | wc -l)
listed=$(grep -c ' | ' "$out/listing.txt" || true)
listed=$((listed - 1))   # the heading row
[ "$listed" -eq "$expected" ] || { echo "demo: $package holds $listed files, not $expected" >&2; exit 1; }

shots="screenshots skipped: no X server could be started"
if xvfb-run -a true >/dev/null 2>&1; then
  if ./scripts/screenshot-studio.sh "$run" >"$out/screenshots.log" 2>&1; then
    shots="screenshots: $(grep '\.png$' "$out/screenshots.log" | tr '\n' ' ')"
  elif [ $ci = 1 ]; then
    cat "$out/screenshots.log" >&2
    echo "demo: the screenshots failed" >&2
    exit 1
  else
    shots="screenshots failed (see $out/screenshots.log)"
  fi
elif [ $ci = 1 ]; then
  echo "demo: no X server can be started here; the screenshots are skipped" >&2
fi

echo
echo "The demo packed samples/project into $package"
echo "cabextract lists it ($out/listing.txt):"
sed 's/^/  /' "$out/listing.txt"
echo "$shots"
