#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
jobs=$(nproc)

configure() {  # dir, extra args...
  local dir=$1; shift
  cmake -S . -B "$dir" -DTZ_WERROR=ON "$@" >"$dir.configure.log" 2>&1 || { cat "$dir.configure.log"; return 1; }
}

mkdir -p build
# The shipped 32-bit programs, in build/dist.
configure build -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw.cmake -DTZ_ARCH=i686
cmake --build build -j"$jobs"

status=0
if /usr/lib/wine/wine --version >/dev/null 2>&1; then
  ctest --test-dir build -j"$jobs" --output-on-failure || status=1
else
  # This kernel runs no 32-bit code: run the same tests on a 64-bit build.
  echo "32-bit programs cannot run here; running the tests on an x86_64 build."
  configure build/x64 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw.cmake -DTZ_ARCH=x86_64
  cmake --build build/x64 -j"$jobs"
  ctest --test-dir build/x64 -j"$jobs" --output-on-failure || status=1
fi

# The format code on the host, with AddressSanitizer, UBSan and the fuzzers.
configure build/host -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DTZ_FUZZ=ON
cmake --build build/host -j"$jobs"
ctest --test-dir build/host -j"$jobs" --output-on-failure || status=1

exit $status
