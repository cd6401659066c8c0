#!/bin/sh
# Gives a test prefix a drive Q: with little free space: a 1 MB tmpfs
# linked as the drive. Where tmpfs cannot be mounted, Q: is left out and
# the test that needs it says so.
#   small-drive.sh setup|stop WINEPREFIX
set -u
prefix=$2
dir=$prefix.small-drive
case $1 in
  setup)
    mkdir -p "$dir"
    if ! mountpoint -q "$dir" && ! mount -t tmpfs -o size=1m tmpfs "$dir" 2>/dev/null; then
      echo "tmpfs cannot be mounted here: no small drive Q:" >&2
      exit 0
    fi
    ln -sfn "$dir" "$prefix/dosdevices/q:"
    ;;
  stop)
    rm -f "$prefix/dosdevices/q:"
    if mountpoint -q "$dir"; then umount "$dir"; fi
    rmdir "$dir" 2>/dev/null
    ;;
esac
exit 0
