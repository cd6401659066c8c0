# Sourced by the scripts: configure and build, and pick the build this
# machine can run under Wine.
jobs=$(nproc)

configure() {  # dir, extra cmake args...
  local dir=$1; shift
  mkdir -p "$(dirname "$dir")"
  cmake -S . -B "$dir" -DTZ_WERROR=ON "$@" >"$dir.configure.log" 2>&1 || { cat "$dir.configure.log"; return 1; }
}

# The shipped 32-bit programs, in build/dist.
build_shipped() {
  configure build -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw.cmake -DTZ_ARCH=i686
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
    configure build/x64 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw.cmake -DTZ_ARCH=x86_64 >&2
    cmake --build build/x64 -j"$jobs" >&2
    echo build/x64
  fi
}
