#!/bin/sh
# Prints 32 when this machine runs Wine's 32-bit loader, else 64 (only the 64-bit loader starts).
if [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1; then
    echo 32
else
    echo 64
fi
