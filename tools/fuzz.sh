#!/bin/sh
# Builds the native sanitizer tree (build-native/) with clang, runs the sanitizer unit tests, then every
# libFuzzer target for the given seconds each (default 60), one after the other. Prints executions,
# edges and findings per target; exits non-zero on a failed unit test or any finding.
#   tools/fuzz.sh [seconds]
# FUZZ_TARGETS="ini frame" limits the run to some targets; FUZZ_RUNS=10000000 also ends each target after
# that many executions, whichever comes first. A finding lands in build-native/findings/.
set -e
cd "$(dirname "$0")/.."
seconds=${1:-60}
root=$PWD

# clang with libFuzzer and the sanitizer runtimes (cmake and the GoogleTest sources come with the rest).
tools/setup.sh clang libclang-rt-dev

# A tree configured from tests/native alone (before it was part of the main build) is configured anew;
# its corpus stays.
if [ -f build-native/CMakeCache.txt ] && ! grep -qx "CMAKE_HOME_DIRECTORY:INTERNAL=$root" build-native/CMakeCache.txt; then
    rm -rf build-native/CMakeCache.txt build-native/CMakeFiles
fi
cmake -S . -B build-native -DQUOVAN_NATIVE=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_C_COMPILER=clang >/dev/null
cmake --build build-native -j"$(nproc)" >/dev/null
(cd build-native && ctest --output-on-failure)

# Every target of tests/fuzz/targets.txt unless FUZZ_TARGETS names some.
targets=${FUZZ_TARGETS:-$(grep -E '^[a-z0-9_]+$' tests/fuzz/targets.txt | tr '\n' ' ')}
mkdir -p build-native/findings
failed=0
printf '%-14s %12s %8s %9s\n' target executions edges findings
for target in $targets; do
    work="$root/build-native/corpus/$target"
    mkdir -p "$work"
    rm -f build-native/findings/"$target"-*
    log="build-native/$target.fuzz.log"
    dict=""
    [ -f "tests/fuzz/$target.dict" ] && dict="-dict=$root/tests/fuzz/$target.dict"
    runs_limit=""
    [ -n "$FUZZ_RUNS" ] && runs_limit="-runs=$FUZZ_RUNS"
    # New inputs go to the work corpus; the committed seeds are only read.
    set +e
    "build-native/${target}_fuzz" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 $runs_limit \
        -artifact_prefix="$root/build-native/findings/$target-" $dict "$work" "$root/tests/fuzz/corpus/$target" >"$log" 2>&1
    status=$?
    set -e
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    edges=$(sed -n 's/.* cov: \([0-9]*\) .*/\1/p' "$log" | tail -1)
    findings=$(ls build-native/findings 2>/dev/null | grep -c "^$target-" || true)
    [ "$status" -ne 0 ] && [ "$findings" -eq 0 ] && findings=1
    printf '%-14s %12s %8s %9s\n' "$target" "${runs:-?}" "${edges:-?}" "$findings"
    if [ "$findings" -ne 0 ]; then
        failed=1
        grep -E "ERROR|property broken|SUMMARY" "$log" | head -5
    fi
done
exit $failed
