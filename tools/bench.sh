#!/bin/sh
# Builds and runs the benchmarks under Wine and prints their figures:
#   tools/bench.sh [--short] [--lane wow64|32|64] [name ...]
# --lane wow64 (the default) runs them in build/ on the 32-bit programs as shipped in the 64-bit prefix,
# --lane 32 the same in the 32-bit prefix; where the machine cannot execute 32-bit code they run emulated
# (tools/run32.sh), and their times are not those of a PC. --lane 64 runs them in build-win64/ at native
# speed under Wine.
# --short runs each once with one round and few repetitions, as CI does: a broken benchmark fails, and
# its figures mean nothing.
set -e
cd "$(dirname "$0")/.."
. tools/lanes.sh
lane=wow64
while [ $# -gt 0 ]; do
    case $1 in
    --short) export QUOVAN_BENCH_SHORT=1; shift ;;
    --lane) lane=$2; shift 2 ;;
    *) break ;;
    esac
done
lane_select $lane
export QUOVAN_WOW64=$lane_wow64
tree=$lane_tree
tools/setup.sh
QUOVAN_LANES=$lane tools/build.sh >/dev/null
# The prefix's services and desktop process start detached, so that a benchmark's output, piped
# somewhere, ends with the benchmark.
tools/wineserver-ctl.sh $tree/wineenv.sh start $tree/tests/bin/desktop_keeper.exe
trap 'tools/wineserver-ctl.sh $tree/wineenv.sh stop' EXIT
if [ $# -eq 0 ]; then
    set -- $(cd $tree/bench && ls *_bench.exe | sed 's/\.exe$//')
fi
failed=""
for name in "$@"; do
    echo "== $name ($lane lane)"
    (cd $tree/bench && ../wineenv.sh wine "./$name.exe") || failed="$failed $name"
done
if [ -n "$failed" ]; then
    echo "bench.sh: failed:$failed" >&2
    exit 1
fi
