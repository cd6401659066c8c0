#!/bin/sh
# Runs a whole-life test with Wine's heap checker on, its standard error in
# a file (programs Wine starts for the shell may outlive the run). The run
# fails if that output shows heap misuse or a crash, of the test program or
# of a program it started.
err=$(mktemp)
WINEDEBUG=fixme-all,warn+heap "$@" 2>"$err"
rc=$?
cat "$err" >&2
if grep -E 'warn:heap|Unhandled exception|Backtrace:' "$err" >/dev/null; then
  echo "life-run: Wine reported heap misuse or a crash (above)" >&2
  rc=1
fi
rm -f "$err"
exit $rc
