#!/bin/sh
# Prints the path of the release package that the demo and the screenshots unpack: the 32-bit zip in
# dist/ of the version build/ builds, packed from the programs there. Fails when it is not packed.
cd "$(dirname "$0")/.."
[ -f build/package-zip.txt ] || { echo "demo-package.sh: build/ is not configured (tools/build.sh)" >&2; exit 1; }
zip=$(cat build/package-zip.txt)
[ -f "$zip" ] || { echo "demo-package.sh: $zip is not packed (tools/build.sh packs it)" >&2; exit 1; }
echo "$zip"
