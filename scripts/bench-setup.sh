#!/usr/bin/env bash
# Memory benchmark of Setup's install: installs one large file (200 MB by
# default) from a data file and prints the process's peak memory before and
# after; the peak must stay flat, whatever the file's size. Also prints the
# peak resident size of the whole Wine process.
#   scripts/bench-setup.sh [MEGABYTES]
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh
megabytes=${1:-200}
run=$(runnable_build)
cmake --build "$run" -j"$jobs" --target SetupBench >/dev/null
bench=$run/tests/setup/SetupBench.exe
if [ -x /usr/bin/time ]; then
  /usr/bin/time -f "peak resident size of the Wine process: %M KB" "$run/wine-run.sh" "$bench" "$megabytes"
else
  "$run/wine-run.sh" "$bench" "$megabytes"
fi
