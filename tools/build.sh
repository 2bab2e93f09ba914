#!/bin/sh
# Configures and builds, and packs the release zip into dist/ (tools/lanes.sh maps lanes to trees):
#   build/        the 32-bit build with tests and benchmarks: the programs that ship. The zip is packed
#                 from these very files; the wow64 and 32 lanes run their suites on them.
#   build-win64/  the same sources built for 64-bit Windows with tests and benchmarks: the 64 lane,
#                 faster under Wine where 32-bit code is emulated, and keeping the sources 64-bit clean.
# QUOVAN_LANES names the lanes to build for (default all: both trees). $QUOVAN_CMAKE_ARGS go to CMake.
set -e
cd "$(dirname "$0")/.."
. tools/lanes.sh
if [ -n "$QUOVAN_CI_PREPARED" ]; then
    echo "build.sh: built once already by this CI run"
    exit 0
fi
builds=$(lane_builds ${QUOVAN_LANES:-$all_lanes})
jobs=$(nproc)
for build in $builds; do
    build_select $build
    start=$(date +%s)
    cmake -S . -B $build_tree -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_TOOLCHAIN_FILE="$PWD/$build_toolchain" \
        ${QUOVAN_CMAKE_ARGS} >/dev/null
    cmake --build $build_tree -j"$jobs"
    [ $build = 32 ] && cmake --build $build_tree --target package
    echo "build.sh: $build-bit build made in $build_tree/ in $(( $(date +%s) - start )) s"
done
