#!/bin/sh
# Configures and builds everything into build/ and packs the release zip into dist/.
#
# The tests run the build under Wine. Some machines (virtual machines whose host runs 64-bit user code
# only) cannot execute 32-bit x86 code at all, so only Wine's 64-bit loader starts there. On those the
# test build in build/ is the 64-bit build of the same sources, run in a win64 prefix, and the 32-bit
# deliverables for dist/ come from a second tree, build-win32/, without tests.
set -e
cd "$(dirname "$0")/.."
jobs=$(nproc)
if [ "$(tools/wine-bitness.sh)" = 32 ]; then
    cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/toolchain-mingw32.cmake" ${QUOVAN_CMAKE_ARGS} >/dev/null
    cmake --build build -j"$jobs"
    cmake --build build --target package
else
    cmake -S . -B build-win32 -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF \
        -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/toolchain-mingw32.cmake" ${QUOVAN_CMAKE_ARGS} >/dev/null
    cmake --build build-win32 -j"$jobs"
    cmake --build build-win32 --target package
    cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/toolchain-mingw64.cmake" ${QUOVAN_CMAKE_ARGS} >/dev/null
    cmake --build build -j"$jobs"
    # The same package from the 64-bit build, which is what Wine can run here (the demo's).
    cmake --build build --target package
fi
