#!/bin/sh
# Starts or stops the persistent wineserver of the build tree's prefix.
# usage: wineserver-ctl.sh <wineenv script> start [desktop keeper] | stop
env_sh=$1
case "$2" in
start)
    # Output redirected, so that the caller does not wait for the daemon's pipes.
    "$env_sh" wineserver -p >/dev/null 2>&1 </dev/null
    # The first program starts the prefix's services, which keep the output handles they inherit:
    # start them here, detached from the test runner's pipes.
    "$env_sh" wine cmd.exe /c exit 0 >/dev/null 2>&1 </dev/null
    # Likewise the desktop process, which would otherwise keep the output pipe of whichever test first
    # shows a window open until the run ends.
    if [ -n "$3" ]; then
        "$env_sh" wine "$3" >/dev/null 2>&1 </dev/null &
        sleep 1
    fi
    ;;
stop)
    "$env_sh" wineserver -k >/dev/null 2>&1
    "$env_sh" wineserver -w >/dev/null 2>&1
    ;;
esac
exit 0
