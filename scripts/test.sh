#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
. scripts/lib.sh

build_shipped
run=$(runnable_build)

status=0
ctest --test-dir "$run" -j"$jobs" --output-on-failure || status=1
# What can be checked of the shipped build without running it.
if [ "$run" != build ]; then
  ctest --test-dir build -L binaries --output-on-failure || status=1
fi

# The format code on the host, with AddressSanitizer, UBSan and the fuzzers.
configure build/host -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DTZ_FUZZ=ON
cmake --build build/host -j"$jobs"
ctest --test-dir build/host -j"$jobs" --output-on-failure || status=1

exit $status
