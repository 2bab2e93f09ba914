#!/bin/sh
# Real file systems that refuse writes, for the installer's tests: a read-only view of a writable folder
# and a file system that is nearly full. Mounting needs root; where it is refused the folders stay plain
# and the tests that need them say that they were skipped.
# usage: hostile-mounts.sh <folder> mount|unmount
dir=$1
case $2 in
mount)
    "$0" "$dir" unmount
    mkdir -p "$dir/writable" "$dir/readonly" "$dir/full"
    if mount --bind "$dir/writable" "$dir/readonly" 2>/dev/null; then
        mount -o remount,bind,ro "$dir/readonly" || umount "$dir/readonly"
    fi
    mount -t tmpfs -o size=64k quovan-full "$dir/full" 2>/dev/null || true
    exit 0
    ;;
unmount)
    for mounted in "$dir/readonly" "$dir/full"; do
        if mountpoint -q "$mounted" 2>/dev/null; then
            umount "$mounted"
        fi
    done
    rm -rf "$dir/writable"
    exit 0
    ;;
esac
echo "usage: $0 <folder> mount|unmount" >&2
exit 2
