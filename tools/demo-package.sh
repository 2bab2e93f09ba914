#!/bin/sh
# Prints the path of the release package that the demo and the screenshots unpack: the 32-bit zip in
# dist/, packed from the programs in build/.
cd "$(dirname "$0")/.."
ls "$PWD"/dist/quovan_plugin_dist-*-win32.zip
