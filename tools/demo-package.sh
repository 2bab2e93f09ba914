#!/bin/sh
# Prints the path of the release package that Wine can run here: the 32-bit zip in dist/, or on a
# machine that cannot execute 32-bit code the same package of the 64-bit build (see tools/build.sh).
cd "$(dirname "$0")/.."
if grep -q '^CMAKE_TOOLCHAIN_FILE:.*mingw32' build/CMakeCache.txt; then
    ls "$PWD"/dist/quovan_plugin_dist-*-win32.zip
else
    ls "$PWD"/build/quovan_plugin_dist-*-win64.zip
fi
