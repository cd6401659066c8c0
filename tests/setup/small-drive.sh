#!/bin/sh
# Runs a command while the test prefix has a drive Q: with little free
# space: a 1 MB tmpfs linked as the drive, removed again afterwards. Where
# tmpfs cannot be mounted, Q: is left out and the test that needs it says so.
#   small-drive.sh WINEPREFIX COMMAND...
set -u
prefix=$1
shift
dir=$prefix.small-drive
link=$prefix/dosdevices/q:
mkdir -p "$dir"
if mountpoint -q "$dir" || mount -t tmpfs -o size=1m tmpfs "$dir" 2>/dev/null; then
  ln -sfn "$dir" "$link"
else
  echo "tmpfs cannot be mounted here: no small drive Q:" >&2
fi
"$@"
status=$?
rm -f "$link"
if mountpoint -q "$dir"; then umount "$dir"; fi
rmdir "$dir" 2>/dev/null
exit $status
