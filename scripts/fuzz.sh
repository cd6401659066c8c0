#!/usr/bin/env bash
# Runs every fuzz target for as long as told, one after the other, and
# prints the inputs run and the findings of each.
#
#   scripts/fuzz.sh [SECONDS [TARGET...]]     (default 60 seconds, every target)
#
# TZ_FUZZ_JOBS (default 1) is the number of processes each target runs in.
# AddressSanitizer keeps 32 MB of freed memory in quarantine rather than
# 256 MB: memory stays warm and runs go about twice as fast (ASAN_OPTIONS
# set by the caller wins).
# A run goes on past a finding; every finding is kept, with the command that
# repeats it, in build/host/fuzz/<target>/findings/. What a target learnt
# stays in its corpus/ folder for the next run.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
fuzz_jobs=${TZ_FUZZ_JOBS:-1}
export ASAN_OPTIONS=${ASAN_OPTIONS:-quarantine_size_mb=32}
case $seconds in ''|*[!0-9]*) echo "usage: scripts/fuzz.sh [SECONDS [TARGET...]]" >&2; exit 2;; esac

./scripts/install-deps.sh
. scripts/lib.sh
configure build/host -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DTZ_FUZZ=ON
cmake --build build/host -j"$jobs" >/dev/null

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for f in build/host/fuzz/*/target; do targets+=("$(basename "$(dirname "$f")")"); done
fi

summary=()
total_findings=0
for t in "${targets[@]}"; do
  dir=build/host/fuzz/$t
  if [ ! -f "$dir/target" ]; then echo "no fuzz target $t" >&2; exit 2; fi
  { read -r exe; read -r max_len; read -r seeds; } <"$dir/target"
  mkdir -p "$dir/corpus" "$dir/findings"
  before=$(find "$dir/findings" -type f | sort)
  log=$dir/last-run.log
  echo "== $t: ${seconds}s in $fuzz_jobs process(es)"
  # Fork mode keeps going after a crash, a timeout or running out of memory.
  "$exe" -fork="$fuzz_jobs" -ignore_crashes=1 -ignore_timeouts=1 -ignore_ooms=1 \
    -max_total_time="$seconds" -max_len="$max_len" -rss_limit_mb=2048 -timeout=20 \
    -artifact_prefix="$dir/findings/" "$dir/corpus" "$seeds" >"$log" 2>&1 || true
  runs=$(grep -oE '^#[0-9]+' "$log" | tail -1 | tr -d '#')
  new=$(comm -13 <(echo "$before") <(find "$dir/findings" -type f | sort) | grep -v '\.txt$' || true)
  count=0
  for f in $new; do
    count=$((count + 1))
    echo "$exe -runs=1 $f" >"$f.txt"
    echo "   finding: $f"
  done
  total_findings=$((total_findings + count))
  summary+=("$(printf '%-18s %14s inputs  %3d findings' "$t" "${runs:-0}" "$count")")
done

echo
printf '%s\n' "${summary[@]}"
[ "$total_findings" -eq 0 ]
