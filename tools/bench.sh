#!/bin/sh
# Builds and runs the benchmarks under Wine and prints their figures: tools/bench.sh [name ...]
set -e
cd "$(dirname "$0")/.."
tools/setup.sh
tools/build.sh >/dev/null
# The prefix's services and desktop process start detached, so that a benchmark's output, piped
# somewhere, ends with the benchmark.
tools/wineserver-ctl.sh build/wineenv.sh start build/tests/bin/desktop_keeper.exe
trap 'tools/wineserver-ctl.sh build/wineenv.sh stop' EXIT
if [ $# -eq 0 ]; then
    set -- $(cd build/bench && ls *_bench.exe | sed 's/\.exe$//')
fi
for name in "$@"; do
    echo "== $name"
    (cd build/bench && ../wineenv.sh wine "./$name.exe")
done
