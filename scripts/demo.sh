#!/usr/bin/env bash
# Installs what is missing and builds; runs the shipped tidyPack on the
# bundled sample project with "/B" (build at once) and lists the package it
# made with an independent reader (Python's zipfile); then starts the Studio
# and the wizard under Xvfb and saves screenshots of them.
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
package="$out/Sample.zip"
wizard="$run/dist/tidyPack.exe"
done_helper="$run/demo/WizardDone.exe"
for f in "$wizard" "$done_helper"; do [ -f "$f" ] || { echo "demo: $f was not built" >&2; exit 1; }; done
if [ "$run" = build ]; then echo "demo: running the shipped i686 build"; else echo "demo: running the x86_64 build"; fi

# The bundled sample project, over this checkout's sample folder, packing into $out.
sample_project "$out"

# tidyPack Sample.tpj /B builds at once and then waits on its done page;
# the helper closes it there, or names the message it shows instead.
WINEPREFIX="$PWD/$run/wineprefix" TZ_WINE_ARCH=$(exe_arch "$wizard") cmake/wine-prefix.sh setup
"$run/wine-run.sh" "$(winpath "$PWD/$wizard")" "$(winpath "$out/Sample.tpj")" /B >"$out/pack.log" 2>&1 &
pid=$!
if ! "$run/wine-run.sh" "$done_helper" 180 >>"$out/pack.log" 2>&1; then
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  cat "$out/pack.log" >&2
  echo "demo: tidyPack did not build $package" >&2
  exit 1
fi
wait "$pid" || { cat "$out/pack.log" >&2; echo "demo: tidyPack did not end cleanly" >&2; exit 1; }

# The package must be there and read back whole by a reader of its own.
[ -s "$package" ] || { echo "demo: no package was made at $package" >&2; exit 1; }
python3 - "$package" "$PWD/samples/project" >"$out/listing.txt" <<'PY' || { echo "demo: $package does not read back" >&2; exit 1; }
import pathlib, sys, zipfile
sample = pathlib.Path(sys.argv[2])
with zipfile.ZipFile(sys.argv[1]) as z:
    bad = z.testzip()
    if bad:
        sys.exit(f"{bad} does not read back")
    for info in z.infolist():
        # Stored with its folder names: the part below the sample folder
        # must hold the same bytes as the file packed.
        rel = info.filename.partition("samples/project/")[2]
        if not rel or z.read(info) != (sample / rel).read_bytes():
            sys.exit(f"{info.filename} is not the sample's file")
        print(f"{info.file_size:8d}  {info.filename}")
PY
expected=$(cd samples/project && find . -type f | wc -l)
listed=$(wc -l <"$out/listing.txt")
[ "$listed" -eq "$expected" ] || { echo "demo: $package holds $listed files, not $expected" >&2; exit 1; }

shots="screenshots skipped: no X server could be started"
if xvfb-run -a true >/dev/null 2>&1; then
  if ./scripts/screenshot-studio.sh "$run" >"$out/screenshots.log" 2>&1 &&
     ./scripts/screenshot-wizard.sh "$run" >>"$out/screenshots.log" 2>&1; then
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
echo "The demo ran tidyPack Sample.tpj /B, which packed samples/project into $package"
echo "Python's zipfile reads it back and lists it ($out/listing.txt):"
sed 's/^/  /' "$out/listing.txt"
echo "$shots"
