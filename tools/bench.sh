#!/bin/sh
# Builds and runs the benchmarks under Wine and prints their figures: tools/bench.sh [name ...]
set -e
cd "$(dirname "$0")/.."
tools/setup.sh
tools/build.sh >/dev/null
build/wineenv.sh wineserver -p >/dev/null 2>&1 </dev/null
trap 'build/wineenv.sh wineserver -k >/dev/null 2>&1 || true' EXIT
build/wineenv.sh wine cmd.exe /c exit 0 >/dev/null 2>&1 </dev/null
if [ $# -eq 0 ]; then
    set -- $(cd build/bench && ls *_bench.exe | sed 's/\.exe$//')
fi
for name in "$@"; do
    echo "== $name"
    (cd build/bench && ../wineenv.sh wine "./$name.exe")
done
