#!/usr/bin/env bash
# Installs what is missing and builds; packs the bundled sample into a
# cabinet and lists it with an independent reader; then starts the Studio
# under Xvfb with the bundled sample project and saves screenshots of it.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
. scripts/lib.sh

build_shipped
run=$(runnable_build)

out="$PWD/build/demo"
rm -rf "$out" && mkdir -p "$out"
arch=$(grep -q x64 <<<"$run" && echo x86_64 || echo i686)
WINEPREFIX="$PWD/$run/wineprefix" TZ_WINE_ARCH=$arch cmake/wine-prefix.sh setup
"$run/wine-run.sh" "$run/demo/CabSample.exe" "Z:${out//\//\\}\\Sample.cab" "Z:${PWD//\//\\}\\samples\\project"
cabextract -l "$out/Sample.cab"

./scripts/screenshot-studio.sh
