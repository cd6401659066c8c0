# Sourced by the scripts: configure and build, and pick the build this
# machine can run under Wine.
jobs=${JOBS:-$(nproc)}

configure() {  # dir, extra cmake args...
  local dir=$1; shift
  mkdir -p "$(dirname "$dir")"
  cmake -S . -B "$dir" -DTZ_WERROR=ON "$@" >"$dir.configure.log" 2>&1 || { cat "$dir.configure.log"; return 1; }
}

# The shipped 32-bit programs, in build/dist, optimised.
build_shipped() {
  configure build -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw.cmake -DTZ_ARCH=i686 -DCMAKE_BUILD_TYPE=Release
  cmake --build build -j"$jobs"
}

can_run_32bit() { /usr/lib/wine/wine --version >/dev/null 2>&1; }

# Prints the build folder whose programs run here: build itself, or an
# x86_64 build of the same sources where the kernel runs no 32-bit code.
runnable_build() {
  if can_run_32bit; then
    echo build
  else
    echo "32-bit programs cannot run here; using an x86_64 build of the same sources." >&2
    # Optimised like the shipped build: some faults show only there.
    configure build/x64 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw.cmake -DTZ_ARCH=x86_64 -DCMAKE_BUILD_TYPE=Release >&2
    cmake --build build/x64 -j"$jobs" >&2
    echo build/x64
  fi
}

# The Wine architecture of a built program: x86_64 or i686.
exe_arch() { if file "$1" | grep -q x86-64; then echo x86_64; else echo i686; fi; }

# For the screenshot scripts: sets `dir` to the build named by $1, or to one
# of their own whose programs run here, and builds the given targets there;
# `out` is the folder for the pictures.
shot_build() {  # [BUILD_DIR] TARGET...
  if [ -n "${1:-}" ]; then
    dir=$1
  else
    local arch
    if can_run_32bit; then dir=build/shot-32; arch=i686; else dir=build/shot-64; arch=x86_64; fi
    configure "$dir" -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw.cmake -DTZ_ARCH=$arch
  fi
  shift || true
  cmake --build "$dir" -j"$jobs" --target "$@" >/dev/null
  out="$PWD/build/screenshot"
  mkdir -p "$out"
}

# A path of this machine as Wine's programs see it.
winpath() { local p=${1//\//\\}; echo "Z:$p"; }

# Writes OUT_DIR/Sample.tpj: the bundled sample project over this checkout's
# samples/project, packing into OUT_DIR.
sample_project() {  # out_dir
  local esc='s/[\\&|]/\\&/g'
  sed -e "s|@SAMPLE@|$(winpath "$PWD/samples/project" | sed "$esc")|g" \
      -e "s|@OUT@|$(winpath "$1" | sed "$esc")|g" samples/Sample.tpj.in >"$1/Sample.tpj"
}

# Readies a Wine prefix with a real display driver, for Xvfb. The caller
# sets WINEPREFIX (never a test prefix) and TZ_WINE_ARCH.
screen_prefix() {
  . cmake/wine-env.sh
  export TZ_WINESERVER
  if [ ! -f "$WINEPREFIX/.tz-ready" ]; then
    ( unset DISPLAY; timeout 180 "$WINELOADER" wineboot -i ) >/dev/null 2>&1
    cp -f /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
    touch "$WINEPREFIX/.tz-ready"
  fi
  tz_map_fonts
  timeout 60 "$WINELOADER" reg delete 'HKCU\Software\Wine\Drivers' /v Graphics /f >/dev/null 2>&1 || true
  timeout 30 "$TZ_WINESERVER" -k >/dev/null 2>&1 || true
}

# shoot OUT.png SECONDS WIDTHxHEIGHT PROGRAM ARGS...: runs the program on a
# Wine desktop under Xvfb, captures the screen after SECONDS, then ends it.
# With SHOT_READY naming a file, the capture comes a second after the
# program makes that file (SECONDS at most).
shoot() {
  local out=$1 wait=$2 size=$3; shift 3
  [ -z "${SHOT_READY:-}" ] || rm -f "$SHOT_READY"
  xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    "$WINELOADER" explorer /desktop=shot,'"$size"' "$@" >/dev/null 2>&1 &
    if [ -n "${SHOT_READY:-}" ]; then
      for _ in $(seq '"$((wait * 5))"'); do [ -e "$SHOT_READY" ] && break; sleep 0.2; done
      sleep 1
    else
      sleep '"$wait"'
    fi
    import -window root "'"$out"'"
    timeout 30 "$TZ_WINESERVER" -k >/dev/null 2>&1 || true
    wait 2>/dev/null || true' _ "$@"
  echo "$out"
}
