#!/usr/bin/env bash
# Installs what is missing, builds, and packs the bundled sample into a
# cabinet, then lists it with an independent reader.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
. scripts/lib.sh

build_shipped
run=$(runnable_build)

out="$PWD/build/demo"
rm -rf "$out" && mkdir -p "$out"
WINEPREFIX="$PWD/$run/wineprefix" TZ_WINE_ARCH=$(grep -q x64 <<<"$run" && echo x86_64 || echo i686) \
  cmake/wine-prefix.sh setup
"$run/wine-run.sh" "$run/demo/CabSample.exe" "Z:${out//\//\\}\\Sample.cab" "Z:${PWD//\//\\}\\samples\\project"
cabextract -l "$out/Sample.cab"
