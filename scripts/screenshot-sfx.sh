#!/usr/bin/env bash
# Screenshots of the Windows zip extractors' window under Xvfb: the standard
# one as most packages show it, the standard one whose files may be
# unticked, and the advanced one. Writes build/screenshot/sfx-*.png.
#   scripts/screenshot-sfx.sh [BUILD_DIR]   a build whose programs run here
#                                           (default: one of its own)
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh

shot_build "${1:-}" tz_stub1 tz_stub2
arch=$(exe_arch "$dir/dist/Stub1.Bin")

# stub, settings block ("MPU", flags, three lengths, the texts), then a zip
# of the sample project.
make_sfx() {  # stub flags caption folder output
  python3 - "$@" "$PWD/samples/project" <<'PY'
import io, os, sys, zipfile
stub, flags, caption, folder, output, sample = sys.argv[1:7]
texts = [caption.encode(), folder.encode(), b""]
block = b"MPU" + bytes([int(flags)] + [len(t) for t in texts]) + b"".join(texts)
block += bytes(256 - len(block))
data = io.BytesIO()
with zipfile.ZipFile(data, "w", zipfile.ZIP_DEFLATED) as z:
    for root, _, files in os.walk(sample):
        for f in sorted(files):
            path = os.path.join(root, f)
            z.write(path, os.path.relpath(path, sample))
with open(stub, "rb") as s, open(output, "wb") as o:
    o.write(s.read() + block + data.getvalue())
PY
}
make_sfx "$dir/dist/Stub1.Bin" 0 "Sample Package" 'C:\Sample Package' "$out/sfx-standard.exe"
make_sfx "$dir/dist/Stub1.Bin" 2 "Sample Package" 'C:\Sample Package' "$out/sfx-standard-files.exe"
make_sfx "$dir/dist/Stub2.Bin" 2 "Sample Package" 'C:\Sample Package' "$out/sfx-advanced.exe"

# A prefix of its own with a real display: no null driver.
export WINEPREFIX="$out/wineprefix" TZ_WINE_ARCH=$arch
screen_prefix
shoot "$out/sfx-standard.png" 12 640x480 "$(winpath "$out/sfx-standard.exe")"
shoot "$out/sfx-standard-files.png" 12 640x480 "$(winpath "$out/sfx-standard-files.exe")"
shoot "$out/sfx-advanced.png" 12 640x480 "$(winpath "$out/sfx-advanced.exe")"
