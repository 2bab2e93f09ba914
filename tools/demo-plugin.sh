#!/bin/sh
# The plug-in in the simulated map host: copied into a host installation's bin\PlugIn folder,
# registered with regsvr32, created by its ProgID and driven through its menu and an area marking.
# The transcript shows every call between host and plug-in; the plug-in's own boxes are answered.
# Expects a build (tools/build.sh).
set -e
cd "$(dirname "$0")/.."
installation=$(mktemp -d)
trap 'rm -rf "$installation"' EXIT
mkdir -p "$installation/bin/PlugIn"
cp dist/quovan.dll "$installation/bin/PlugIn/"
cp tests/plugin/demo/plugin_demo.txt "$installation/"
windows() { echo "Z:$1" | sed 's|/|\\|g'; }
echo "== quovan.dll in the simulated map host"
build/wineenv.sh wine build/tests/tools/boxdriver.exe --utf8 -- build/tests/plugin/hostsim/geohostsim.exe \
    --installation "$(windows "$installation")" --script "$(windows "$installation/plugin_demo.txt")"
