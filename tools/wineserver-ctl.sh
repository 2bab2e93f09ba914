#!/bin/sh
# Starts or stops the persistent wineserver of the build tree's prefix.
# usage: wineserver-ctl.sh <wineenv script> start [desktop keeper] | stop
# start returns once the server answers and the keeper holds the desktop; when either is not so it
# says which and fails, rather than leaving the tests to fail in odd ways.
env_sh=$1
fail() { echo "wineserver-ctl.sh: $*" >&2; exit 1; }
case "$2" in
start)
    # Output redirected, so that the caller does not wait for the daemon's pipes. The server is
    # listening once this returns; it fails as well when a server of the prefix runs already.
    server=0
    "$env_sh" wineserver -p >/dev/null 2>&1 </dev/null || server=$?
    # The first program starts the prefix's services, which keep the output handles they inherit:
    # start them here, detached from the test runner's pipes. It runs only where a server answers.
    "$env_sh" wine cmd.exe /c exit 0 >/dev/null 2>&1 </dev/null ||
        fail "no program runs in the prefix of $env_sh (wineserver -p exited with $server)"
    # Likewise the desktop process, which would otherwise keep the output pipe of whichever test first
    # shows a window open until the run ends. The keeper says through a file that it holds the desktop.
    if [ -n "$3" ]; then
        ready=$(mktemp -u "${TMPDIR:-/tmp}/quovan-keeper.XXXXXX")
        "$env_sh" wine "$3" "Z:$(echo "$ready" | tr / '\\')" >/dev/null 2>&1 </dev/null &
        keeper=$!
        waited=0
        until [ -e "$ready" ]; do
            kill -0 $keeper 2>/dev/null || fail "the desktop keeper $3 ended before it held the desktop"
            # 60 s: a first desktop start where 32-bit code is emulated takes several.
            [ $waited -ge 600 ] && fail "the desktop keeper $3 did not hold the desktop within 60 s"
            sleep 0.1
            waited=$((waited + 1))
        done
        rm -f "$ready"
    fi
    ;;
stop)
    "$env_sh" wineserver -k >/dev/null 2>&1
    "$env_sh" wineserver -w >/dev/null 2>&1
    ;;
*)
    echo "usage: $0 <wineenv script> start [desktop keeper] | stop" >&2
    exit 2
    ;;
esac
exit 0
