#!/bin/sh
# The plug-in in the simulated map host: loaded from a host installation's bin\PlugIn folder,
# registered with regsvr32, created by its ProgID and driven through its menu, an area marking and
# two exports to the Quovan Desktop, played by the desktop double (quovan.exe), which the plug-in
# starts from the command line registered below HKCU\Software\telvor\quovan.
# The transcript shows every call between host and plug-in and the window messages the plug-in sends;
# the plug-in's own boxes are answered. At the end the commands the desktop double received are shown;
# the script fails when no export arrived.
#
# usage: tools/demo-plugin.sh [installation folder]
#   Without a folder a sample installation is made with the build's quovan.dll in its bin\PlugIn folder;
#   with one (for example where the installer has put the plug-in) that installation is used.
# Expects a build (tools/build.sh).
set -e
cd "$(dirname "$0")/.."
work=$(mktemp -d)
record="$work/desktop_record.txt"
settings='HKCU\Software\telvor\quovan'
windows() { echo "Z:$1" | sed 's|/|\\|g'; }
wine_quiet() { build/wineenv.sh wine "$@" >/dev/null 2>&1 </dev/null; }
finish() {
    wine_quiet taskkill /f /im quovan.exe || true
    wine_quiet reg delete "$settings" /f || true
    rm -rf "$work"
}
trap finish EXIT

if [ -n "$1" ]; then
    installation=$(cd "$1" && pwd)
else
    installation="$work/geo"
    mkdir -p "$installation/bin/PlugIn"
    cp build/quovan/quovan.dll "$installation/bin/PlugIn/"
fi
cp tests/e2e/plugin/demo/plugin_demo.txt "$work/"

# The desktop program's installation as the host's user has it: its folder and its start command.
desktop="$(windows "$PWD/build/tests/bin/quovan.exe")"
wine_quiet taskkill /f /im quovan.exe || true
wine_quiet reg add "$settings" /v folder /d "$(windows "$work")" /f
wine_quiet reg add "$settings" /v startcommandline \
    /d "\"$desktop\" --record \"$(windows "$record")\" --lifetime 60000" /f

echo "== quovan.dll in the simulated map host"
build/wineenv.sh wine build/tests/bin/boxdriver.exe --utf8 -- build/tests/bin/geohostsim.exe \
    --installation "$(windows "$installation")" --script "$(windows "$work/plugin_demo.txt")"

echo "== what the Quovan Desktop double received"
if [ -f "$record" ]; then
    sed -e 's/^start pid=[0-9]* commandline=\(.*\)$/started as: \1/' \
        -e 's/^pid=[0-9]* window=[0-9]* marker=\([0-9A-F]*\) tag=[0-9]* length=\([0-9]*\) answer=\(-\{0,1\}[0-9]*\) data=\(.*\)\\x00$/\4\n    (marker \1, \2 bytes with the closing zero, answered \3)/' \
        -e 's/\\\\/\\/g' "$record"
else
    echo "nothing: the desktop double was not started"
fi
# The export reached the desktop program: the demo's check.
grep -q 'area=' "$record" 2>/dev/null
