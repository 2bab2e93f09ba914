#!/bin/sh
# Fresh machine to test results: install, build both lanes, run every test under Wine in each.
#   build/        the 32-bit programs as shipped (through tools/run32.sh where 32-bit code is emulated)
#   build-win64/  the 64-bit build of the same sources
# QUOVAN_LANES="32" or "64" runs one lane only; arguments go to ctest (e.g. -R installer).
set -e
cd "$(dirname "$0")/.."
tools/setup.sh
tools/build.sh
failed=""
for lane in ${QUOVAN_LANES:-32 64}; do
    # The 32-bit lane under one emulator registration for the whole run, since the prefix's services
    # outlive the test that started them.
    # Emulated, the suites mostly wait on each other's processes rather than on the two cores, so
    # that lane runs one more at a time (318 s with two, 225 s with three, 213 s with four).
    case $lane in 32) tree=build run=tools/run32.sh jobs=3 ;; 64) tree=build-win64 run= jobs=2 ;; esac
    start=$(date +%s)
    $run ctest --test-dir $tree -j$jobs --output-on-failure "$@" || failed="$failed $lane"
    echo "test.sh: $lane-bit lane's suite ran in $(( $(date +%s) - start )) s"
done
if [ -n "$failed" ]; then
    echo "test.sh: tests failed in the lane(s):$failed" >&2
    exit 1
fi
