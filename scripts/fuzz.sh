#!/usr/bin/env bash
# Runs every fuzz target for as long as told, one after the other, and
# prints the inputs run and the findings of each.
#
#   scripts/fuzz.sh [SECONDS [TARGET...]]     (default 60 seconds, every target)
#
# TZ_FUZZ_JOBS (default 1) is the number of processes each target runs in.
# A process that stops at a finding is started again for the time left.
# AddressSanitizer keeps 32 MB of freed memory in quarantine rather than
# 256 MB: memory stays warm and runs go about twice as fast (ASAN_OPTIONS
# set by the caller wins).
# Every finding (and every input slower than 10 s) is kept, with the command
# that repeats it, in build/host/fuzz/<target>/findings/; the last output of
# each process is in run-<n>.log beside it. What a target learnt stays in its
# corpus/ folder.
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

# One process: runs the target until the time is up, starting it again after
# each finding. Prints the inputs it ran.
run_one() {  # exe max_len dir seeds seconds log
  local exe=$1 max_len=$2 dir=$3 seeds=$4 end=$((SECONDS + $5)) log=$6 runs=0 left n rc
  while left=$((end - SECONDS)); [ "$left" -gt 0 ]; do
    rc=0
    "$exe" -max_total_time="$left" -max_len="$max_len" -rss_limit_mb=2048 -timeout=20 -print_final_stats=1 \
      -artifact_prefix="$dir/findings/" "$dir/corpus" "$seeds" >"$log" 2>&1 || rc=$?
    n=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    runs=$((runs + ${n:-0}))
    [ "$rc" -eq 0 ] && break
  done
  echo "$runs"
}

summary=()
total_findings=0
for t in "${targets[@]}"; do
  dir=build/host/fuzz/$t
  if [ ! -f "$dir/target" ]; then echo "no fuzz target $t" >&2; exit 2; fi
  { read -r exe; read -r max_len; read -r seeds; } <"$dir/target"
  mkdir -p "$dir/corpus" "$dir/findings"
  before=$(find "$dir/findings" -type f | sort)
  echo "== $t: ${seconds}s in $fuzz_jobs process(es)"
  # The processes share the corpus folder and pick up each other's inputs.
  for j in $(seq "$fuzz_jobs"); do
    run_one "$exe" "$max_len" "$dir" "$seeds" "$seconds" "$dir/run-$j.log" >"$dir/run-$j.count" &
  done
  wait
  runs=$(cat "$dir"/run-*.count | paste -sd+ | bc)
  rm -f "$dir"/run-*.count
  new=$(comm -13 <(echo "$before") <(find "$dir/findings" -type f | sort) | grep -v '\.txt$' || true)
  count=0 slow=0
  for f in $new; do
    echo "$exe -runs=1 $f" >"$f.txt"
    # An input slower than 10 s but within the timeout is kept, not counted.
    case $(basename "$f") in
      slow-unit-*) slow=$((slow + 1)); echo "   slow input: $f";;
      *) count=$((count + 1)); echo "   finding: $f";;
    esac
  done
  total_findings=$((total_findings + count))
  summary+=("$(printf '%-18s %14s inputs  %3d findings  %3d slow inputs' "$t" "$runs" "$count" "$slow")")
done

echo
printf '%s\n' "${summary[@]}"
[ "$total_findings" -eq 0 ]
