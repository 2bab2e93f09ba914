#!/bin/sh
# Configures and builds both lanes, and packs the release zip into dist/:
#   build/        the 32-bit build with tests and benchmarks: the programs that ship. The zip is packed
#                 from these very files, and the suite runs on them (tools/run32.sh where the machine
#                 cannot execute 32-bit code).
#   build-win64/  the same sources built for 64-bit Windows with tests and benchmarks: the second lane,
#                 faster under Wine where 32-bit code is emulated, and keeping the sources 64-bit clean.
# QUOVAN_LANES="32" or "64" builds one lane only (default "32 64"). $QUOVAN_CMAKE_ARGS go to CMake.
set -e
cd "$(dirname "$0")/.."
jobs=$(nproc)
for lane in ${QUOVAN_LANES:-32 64}; do
    case $lane in
    32) tree=build toolchain=cmake/toolchain-mingw32.cmake ;;
    64) tree=build-win64 toolchain=cmake/toolchain-mingw64.cmake ;;
    *) echo "build.sh: unknown lane '$lane' (32 or 64)" >&2; exit 2 ;;
    esac
    start=$(date +%s)
    cmake -S . -B $tree -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_TOOLCHAIN_FILE="$PWD/$toolchain" \
        ${QUOVAN_CMAKE_ARGS} >/dev/null
    cmake --build $tree -j"$jobs"
    [ $lane = 32 ] && cmake --build $tree --target package
    echo "build.sh: $lane-bit lane built in $tree/ in $(( $(date +%s) - start )) s"
done
