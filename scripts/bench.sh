#!/usr/bin/env bash
# Measures the zip library, the cabinet writer, the build window and the
# programs' start-up side by side with peers, and prints one table of
# ratios. Not a test: it never fails on a missed target.
#
#   scripts/bench.sh [--only ROWS] [--both] [RUNS]
#     RUNS      each time is the best of RUNS runs (default 3)
#     --only    a comma-separated choice of zip, count, cab, window, setup,
#               start, load (default all)
#     --both    also measures the other build, in a column of its own
#
# Ours run under Wine from the shipped i686 build (build) where the machine
# runs 32-bit code, else from an optimised x86_64 build (build/x64-bench);
# the table names the build. The peers are Info-ZIP zip and gcab on the
# host, and zlib itself under Wine deflating the same bytes in memory. The
# data is a generated tree of 10,000 small files plus about 200 MB of mixed
# data (bench/make_tree.py).
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh
runs=3 only="" both=0
while [ $# -gt 0 ]; do
  case $1 in
    --only) only=$2; shift 2 ;;
    --only=*) only=${1#--only=}; shift ;;
    --both) both=1; shift ;;
    *) runs=$1; shift ;;
  esac
done
wants() { [ -z "$only" ] || [[ ",$only," == *",$1,"* ]]; }

# ---- peers, data

need=()
if wants zip || wants count; then command -v zip >/dev/null || need+=(zip); fi
if wants cab; then command -v gcab >/dev/null || need+=(gcab); fi
if [ ${#need[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO apt-get -o DPkg::Lock::Timeout=900 install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi

data=build/benchdata
stamp=$(sha1sum bench/make_tree.py | cut -c1-12)
if [ ! -f "$data/tree.$stamp" ]; then
  rm -rf "$data" && mkdir -p "$data"
  python3 bench/make_tree.py "$data/tree"
  touch "$data/tree.$stamp"
fi
tree=$PWD/$data/tree
work=$PWD/$data/out
mkdir -p "$work"

win() { local p=$1; echo "Z:${p//\//\\}"; }
W=$(win "$tree")
O=$(win "$work")

# ---- the build measured

# use_build ARCH: builds the benchmarks and the programs of that build and
# starts one wineserver for it, kept up between programs, so that no
# measurement pays for starting the prefix.
use_build() {
  arch=$1
  if [ "$arch" = i686 ]; then
    B=build  # the shipped build itself
    configure $B -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw.cmake -DTZ_ARCH=i686 -DCMAKE_BUILD_TYPE=Release
  else
    B=build/x64-bench
    configure $B -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw.cmake -DTZ_ARCH=x86_64 -DCMAKE_BUILD_TYPE=Release
  fi
  cmake --build $B -j"$jobs" --target bench >/dev/null
  cp -f $B/dist/ZIPDLL.DLL $B/bench-bin/
  export WINEPREFIX=$PWD/$B/wineprefix TZ_WINE_ARCH=$arch
  cmake/wine-prefix.sh setup
  . cmake/wine-env.sh
  "$TZ_WINESERVER" -p 2>/dev/null || true  # one already up serves as well
  bin=$B/bench-bin
  bench=$B/tests/setup
  trivialExe=$(win "$PWD/$bin/TrivialWindow.exe")
  studioExe=$(win "$PWD/$B/dist/Studio.exe")
  run $bin/StartTime.exe Trivial "$trivialExe" >/dev/null  # the prefix's own programs start first
}
stop_build() { [ -z "${TZ_WINESERVER:-}" ] || "$TZ_WINESERVER" -k >/dev/null 2>&1 || true; }
trap stop_build EXIT
run() { "$B/wine-run.sh" "$@"; }
mainWindow="tidy Zaderuzo Studio - "

# ---- measuring

# best CMD...: the least "seconds=" of RUNS runs of a program that prints it.
best() {
  local b="" s
  for _ in $(seq "$runs"); do
    s=$("$@" | sed -n 's/.*seconds=\([0-9.]*\).*/\1/p' | tail -1)
    [ -n "$s" ] || { echo "failed: $*" >&2; echo 0; return; }
    b=$(awk -v a="$b" -v c="$s" 'BEGIN { print (a == "" || c < a) ? c : a }')
  done
  echo "$b"
}
# host CMD...: the best wall time of RUNS runs of a host command.
host() {
  local b="" t0 t1 s
  for _ in $(seq "$runs"); do
    t0=$(date +%s.%N)
    "$@" >/dev/null 2>&1
    t1=$(date +%s.%N)
    s=$(awk -v a="$t0" -v c="$t1" 'BEGIN { printf "%.3f", c - a }')
    b=$(awk -v a="$b" -v c="$s" 'BEGIN { print (a == "" || c < a) ? c : a }')
  done
  echo "$b"
}
field() { sed -n "s/.*$1=\([0-9.]*\).*/\1/p"; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "-" }'; }
# verdict RATIO LIMIT: "yes" when RATIO <= LIMIT.
verdict() { awk -v r="$1" -v l="$2" 'BEGIN { print (r != "-" && r <= l) ? "yes" : "no" }'; }
mb() { awk -v b="$1" 'BEGIN { printf "%.1f MB", b / 1048576 }'; }

# row NAME OURS PEER RATIO TARGET MET: one row of the build measured.
names=() cells=()
declare -A other=()
row() {
  if [ "$pass" = other ]; then
    other[$1]="$2 ($4, $6)"
  else
    names+=("$1")
    cells+=("$(printf '%s | %s | %s | %s | %s' "$2" "$3" "$4" "$5" "$6")")
  fi
}

zipspecs() { echo "$W\\small\\*.*" "$W\\mixed\\*.*"; }

measure() {
  studio=""
  # ---- zip build through our library
  if wants zip; then
    for level in 9 1; do
      ours=$(best run $bin/ZipBench.exe "$O\\ours$level.zip" $level $(zipspecs))
      oursSize=$(stat -c %s "$work/ours$level.zip")
      peer=$(cd "$tree" && host sh -c "rm -f '$work/peer$level.zip'; zip -q -$level -r '$work/peer$level.zip' small mixed")
      peerSize=$(stat -c %s "$work/peer$level.zip")
      zl=$(for _ in $(seq "$runs"); do run $bin/ZlibPeer.exe $level "$W\\small" "$W\\mixed"; done)
      zlib=$(field seconds <<<"$zl" | sort -n | head -1)
      zlibSize=$(field out <<<"$zl" | head -1)
      r=$(ratio "$ours" "$zlib")
      row "zip build, level $level, 10,024 files, 229 MB" "${ours} s, $(mb "$oursSize")" "zlib in memory ${zlib} s, $(mb "$zlibSize")" "$r" "<= 1.10" "$(verdict "$r" 1.10)"
      r=$(ratio "$ours" "$peer")
      row "zip build, level $level" "${ours} s" "zip -$level ${peer} s, $(mb "$peerSize")" "$r" "<= 1.00" "$(verdict "$r" 1.00)"
      # What reading the files costs the peer under Wine: the zlib row leaves it out.
      read=$(field read <<<"$zl" | sort -n | head -1)
      withRead=$(awk -v a="$zlib" -v b="$read" 'BEGIN { printf "%.3f", a + b }')
      row "zip build, level $level, with reading" "${ours} s" "zlib reading ${read} s + deflating ${zlib} s" "$(ratio "$ours" "$withRead")" "(none)" "-"
    done
    # The same on one processor: what the threads hide.
    one=$(best taskset -c 0 "$B/wine-run.sh" $bin/ZipBench.exe "$O\\one.zip" 9 $(zipspecs))
    zlib1=$(for _ in $(seq "$runs"); do taskset -c 0 "$B/wine-run.sh" $bin/ZlibPeer.exe 9 "$W\\small" "$W\\mixed" | field seconds; done | sort -n | head -1)
    r=$(ratio "$one" "$zlib1")
    row "zip build, level 9, one processor" "${one} s" "zlib in memory ${zlib1} s" "$r" "(none)" "-"
  fi

  # ---- time against file count
  if wants count; then
    specsFor() {  # the first N hundred-file folders
      local n=$1 d
      for ((d = 0; d < n / 100; d++)); do printf '%s\\small\\d%03d\\*.* ' "$W" "$d"; done
    }
    declare -A per
    for n in 1000 5000 10000; do
      t=$(best run $bin/ZipBench.exe "$O\\count$n.zip" 9 $(specsFor $n))
      per[$n]=$(awk -v t="$t" -v n="$n" 'BEGIN { printf "%.1f", t * 1e6 / n }')
      pz=$(cd "$tree" && host sh -c "rm -f '$work/pcount$n.zip'; zip -q -9 '$work/pcount$n.zip' $(for ((d = 0; d < n / 100; d++)); do printf 'small/d%03d/* ' $d; done)")
      r=$(ratio "${per[$n]}" "${per[1000]}")
      row "zip build, $n small files: time per file" "${per[$n]} us (${t} s)" "zip -9 ${pz} s" "$r (per file, against 1,000)" "linear: about 1" "$(verdict "$r" 1.25)"
    done
  fi

  # ---- cabinet build with MS-ZIP
  if wants cab; then
    cabw=$(best run $bin/CabBench.exe writer "$O\\ours.cab" "$W")
    cabr=$(best run $bin/CabBench.exe raw "$O\\raw.cab" "$W")
    gcab=$(cd "$tree" && host sh -c "rm -f '$work/peer.cab'; find small mixed -type f -print0 | xargs -0 gcab -c -z '$work/peer.cab'")
    r=$(ratio "$cabw" "$cabr")
    row "cabinet build, MS-ZIP, 10,024 files" "${cabw} s" "library calls alone ${cabr} s; gcab -z ${gcab} s" "$r" "<= 1.05" "$(verdict "$r" 1.05)"
  fi

  # ---- the build window
  if wants window; then
    # Ten folders of small files: the window's cost is per file.
    folders=$(for ((d = 0; d < 10; d++)); do printf '%s\\small\\d%03d ' "$W" $d; done)
    winz=$(best run $bin/BuildBench.exe window "$O\\window.zip" 9 $folders)
    steps=$(best run $bin/BuildBench.exe steps "$O\\steps.zip" 9 $folders)
    r=$(ratio "$winz" "$steps")
    row "build window, Zip Archive, 1,000 small files" "${winz} s" "the build steps with no window ${steps} s" "$r" "<= 1.15" "$(verdict "$r" 1.15)"
  fi

  # ---- Setup's inflate and install
  if wants setup; then
    # One 200 MB file installed from its data file, then zlib alone inflating
    # the same stream to disk.
    si=$(for _ in $(seq "$runs"); do run $bench/SetupBench.exe 200 | grep '^seconds='; done | sort -t= -k2 -n | head -1)
    inst=$(field seconds <<<"$si")
    raw=$(sed -n 's/.* raw=\([0-9.]*\).*/\1/p' <<<"$si")
    peak=$(sed -n 's/.* peak=\([0-9.]*\).*/\1/p' <<<"$si")
    r=$(ratio "$inst" "$raw")
    row "Setup inflate and install, 200 MB file" "${inst} s, peak working set ${peak} MB" "raw zlib inflate to disk ${raw} s" "$r" "<= 1.25" "$(verdict "$r" 1.25)"
  fi

  # ---- start-up under Wine
  if wants start; then
    trivial=$(best run $bin/StartTime.exe Trivial "$trivialExe")
    # startrow PROGRAM SECONDS: its row against the trivial window (0: it failed).
    startrow() {
      if [ "$2" = 0 ]; then
        row "$1 start-up" "failed" "trivial window ${trivial} s" "-" "within 0.2 s" "-"
        return
      fi
      local d
      d=$(awk -v a="$2" -v b="$trivial" 'BEGIN { printf "%.2f", a - b }')
      row "$1 start-up" "$2 s" "trivial window ${trivial} s" "+${d} s" "within 0.2 s" "$(verdict "$d" 0.2)"
    }
    studio=$(best run $bin/StartTime.exe "$mainWindow" "$studioExe")
    startrow Studio "$studio"
    wizardExe=$(win "$PWD/$B/dist/tidyPack.exe")
    wizard=$(best run $bin/StartTime.exe "tidy Zaderuzo Wizard" "$wizardExe")
    startrow Wizard "$wizard"
    # Setup starts from a folder holding it and a small script.
    setupDir=$work/setup
    rm -rf "$setupDir" && mkdir -p "$setupDir"
    cp -f $B/dist/Setup.exe "$setupDir/"
    run $bench/SetupBench.exe script "$(win "$setupDir")"
    setup=$(best run $bin/StartTime.exe "Setup" "$(win "$setupDir/Setup.exe")")
    startrow Setup "$setup"
  fi

  # ---- Studio loading a project of many sources
  if wants load; then
    [ -n "$studio" ] || studio=$(best run $bin/StartTime.exe "$mainWindow" "$studioExe")
    load=()
    for n in 100000 200000; do
      # A zip project, its file list in the file's order (last entry first).
      python3 - "$n" "$work/many$n.tpj" <<'PY'
import sys
n, out = int(sys.argv[1]), sys.argv[2]
head = ["tidy-Zaderuzo Version 1.60 Project File", "Project settings of tidy-Zaderuzo, one value a line",
        "** You are not recommended to modify this file directly **", "", "Many", "C:\\OUT\\MANY.ZIP",
        "Zip Archive", "\x01FILES\x01"]
files = ["C:\\DATA\\D%03d\\F%05d.TXT" % (i // 100, i) for i in range(n, 0, -1)]
tail = ["\x03FILES\x03", "\x01FOLDERS\x01", "\x03FOLDERS\x03", "N", "N", "N", "N", "N", "9", ""]
open(out, "wb").write("".join(line + "\r\n" for line in head + files + tail).encode("latin-1"))
PY
      t=$(best run $bin/StartTime.exe "$mainWindow" "$studioExe" "$(win "$work/many$n.tpj")")
      load[$n]=$(awk -v a="$t" -v b="$studio" 'BEGIN { printf "%.2f", a - b }')
    done
    r=$(ratio "${load[200000]}" "${load[100000]}")
    row "Studio loading 100,000 / 200,000 sources" "${load[100000]} s / ${load[200000]} s" "start-up without a project" "$r (200,000 against 100,000)" "linear: about 2" "$(verdict "$r" 2.5)"
  fi
}


# ---- the table

pass=main
first=i686
can_run_32bit || first=x86_64
use_build $first
measure
stop_build
mainArch=$arch measured="$arch build ($B)"
if [ "$both" = 1 ]; then
  pass=other
  if [ "$first" = i686 ]; then use_build x86_64; else use_build i686; fi
  measure
  stop_build
  otherBuild="$arch build ($B)"
fi

echo
echo "Best of $runs runs; $(nproc) processors, load $(cut -d' ' -f1-3 /proc/loadavg); measured on the $measured."
echo
if [ "$both" = 1 ]; then
  echo "| row | build | ours | peer | ratio | target | met | $otherBuild: ours (ratio, met) |"
  echo "|---|---|---|---|---|---|---|---|"
else
  echo "| row | build | ours | peer | ratio | target | met |"
  echo "|---|---|---|---|---|---|---|"
fi
for i in "${!names[@]}"; do
  line="| ${names[$i]} | $mainArch | ${cells[$i]} |"
  [ "$both" = 1 ] && line+=" ${other[${names[$i]}]:--} |"
  echo "$line"
done
