#!/bin/sh
# Fresh machine to test results: install, build, run every test under Wine in each lane (tools/lanes.sh):
#   wow64  the 32-bit programs as shipped in a 64-bit prefix, as on 64-bit Windows (the lane of record)
#   32     the same files in a 32-bit prefix, as on 32-bit Windows
#   64     the 64-bit build of the same sources
# QUOVAN_LANES="wow64", "32 64" and so on runs those lanes only; arguments go to ctest (e.g. -R installer).
set -e
cd "$(dirname "$0")/.."
. tools/lanes.sh
lanes=${QUOVAN_LANES:-$all_lanes}
for lane in $lanes; do lane_select $lane; done
tools/setup.sh
QUOVAN_LANES=$lanes tools/build.sh
failed=""
for lane in $lanes; do
    lane_select $lane
    # The lanes of build/ under one emulator registration for the whole run, since the prefix's services
    # outlive the test that started them.
    # Emulated, the suites mostly wait on each other's processes rather than on the two cores, so
    # those lanes run one more at a time (318 s with two, 225 s with three, 213 s with four).
    jobs=2
    [ $lane_build = 32 ] && jobs=3
    start=$(date +%s)
    QUOVAN_WOW64=$lane_wow64 $lane_run ctest --test-dir $lane_tree -j$jobs --output-on-failure "$@" ||
        failed="$failed $lane"
    echo "test.sh: the $lane lane's suite ran in $(( $(date +%s) - start )) s"
done
if [ -n "$failed" ]; then
    echo "test.sh: tests failed in the lane(s):$failed" >&2
    exit 1
fi
