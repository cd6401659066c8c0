#!/bin/sh
# Runs a test program with its standard error in a file, shown when it ends.
# Programs that Wine starts for the shell during the test (a desktop or
# folder window) keep the error output they inherit and outlive the test;
# on ctest's pipe they would keep ctest waiting.
err=$(mktemp)
"$@" 2>"$err"
rc=$?
cat "$err" >&2
rm -f "$err"
exit $rc
