#!/bin/sh
# Fresh machine to demo: install, build, then show the installer at work under Wine.
set -e
cd "$(dirname "$0")/.."
tools/setup.sh
tools/build.sh
build/wineenv.sh wineserver -p >/dev/null 2>&1 </dev/null
trap 'build/wineenv.sh wineserver -k >/dev/null 2>&1 || true' EXIT
build/wineenv.sh wine cmd.exe /c exit 0 >/dev/null 2>&1 </dev/null
echo "== quovan_plugin_dist.exe --version"
build/wineenv.sh wine dist/quovan_plugin_dist.exe --version
tools/demo-plugin.sh
