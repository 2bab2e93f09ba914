#!/bin/sh
# Fresh machine to demo: install, build, then play what a customer sees, under Wine:
# the installer finds the map products in the registry, installs the plug-in, removes it again, fails
# without its plug-in file and mails its log; then the map host loads the plug-in and exports an area.
# It plays in the wow64 lane, as on a 64-bit PC; QUOVAN_DEMO_LANE=32 plays it as on 32-bit Windows.
set -e
cd "$(dirname "$0")/.."
. tools/lanes.sh
lane_select ${QUOVAN_DEMO_LANE:-wow64}
[ $lane_build = 32 ] || { echo "demo.sh: the demo plays the 32-bit programs as shipped (wow64 or 32)" >&2; exit 2; }
export QUOVAN_WOW64=$lane_wow64
tools/setup.sh
QUOVAN_LANES=32 tools/build.sh >/dev/null
echo "Built: $(ls dist | tr '\n' ' ')"
# The release package, whose programs are the very files the suite runs in build/.
package=$(tools/demo-package.sh)

wine_() { build/wineenv.sh wine "$@"; }
drive_c=$lane_prefix/drive_c
# The installer loads the mail system's MAPI32.DLL from its system folder only: a 32-bit program's on
# 64-bit Windows is SysWOW64.
system_folder=$drive_c/windows/system32
[ -d "$drive_c/windows/syswow64" ] && system_folder=$drive_c/windows/syswow64
mail_library=$system_folder/mapi32.dll
base='HKLM\SOFTWARE\EADS Deutschland GmbH'

cleanup() {
    wine_ reg delete "$base" /f >/dev/null 2>&1 || true
    rm -rf "$drive_c/Maps" "$drive_c/QuovanDemo" "$drive_c/boxes.txt"
    # Wine's own mail library comes back in place of the stand-in.
    if [ -e "$mail_library.demo" ]; then mv -f "$mail_library.demo" "$mail_library"; fi
}
build/wineenv.sh wineserver -p >/dev/null 2>&1 </dev/null
trap 'cleanup; build/wineenv.sh wineserver -k >/dev/null 2>&1 || true' EXIT
wine_ cmd.exe /c exit 0 >/dev/null 2>&1 </dev/null
cleanup

# The demo checks what it shows, so that a package that no longer installs or loads fails it.
failed=""
fail() { echo "  DEMO CHECK FAILED: $*"; failed="$failed
  $*"; }

say() { printf '\n\033[1m%s\033[0m\n' "$*"; }
explain() { printf '%s\n' "$*" | fold -s -w 100; }
# The library's singleton notices on standard output mean nothing to a user.
without_notices() { grep -v -E '^::(init|create) singleton' || true; }
# The installer with its message boxes printed as they appear and answered as a user would.
installer() {
    answers=$1; shift
    status=0
    wine_ build/tests/bin/boxdriver.exe --utf8 --answers "$answers" --cd 'C:\QuovanDemo' -- \
        'C:\QuovanDemo\quovan_plugin_dist.exe' "$@" >"$drive_c/boxes.txt" || status=$?
    without_notices <"$drive_c/boxes.txt" | tr -d '\r'
    rm -f "$drive_c/boxes.txt"
    echo "  (exit code $status)"
}
show_plugin_folders() {
    for folder in Top50/bin/PlugIn Top50-2005 AustrianMap/bin/PlugIn; do
        printf '  C:\\Maps\\%s: ' "$(echo $folder | tr / '\\')"
        ls "$drive_c/Maps/$folder" 2>/dev/null | tr '\n' ' '
        echo
    done
}
show_log() {
    sed 's/^/  | /' "$drive_c/QuovanDemo/quovan.log" | iconv -f CP1252 -t UTF-8
}

say "1. The sample PC"
explain "Two map products are registered below $base: Top50 with two installations (one of them an old one without a bin\\PlugIn folder), named after their folders, and Austrian Map with one installation whose folder is in its DestDir value. The customer has unpacked $(basename "$package") into C:\\QuovanDemo."
mkdir -p "$drive_c/Maps/Top50/bin/PlugIn" "$drive_c/Maps/Top50-2005" "$drive_c/Maps/AustrianMap/bin/PlugIn" "$drive_c/QuovanDemo"
(cd "$drive_c/QuovanDemo" && cmake -E tar xf "$package")
ls "$drive_c/QuovanDemo" | sed 's/^/  C:\\QuovanDemo\\/'
wine_ reg add "$base\\Top50\\C:/Maps/Top50" /f >/dev/null
wine_ reg add "$base\\Top50\\C:/Maps/Top50-2005" /f >/dev/null
wine_ reg add "$base\\Austrian Map\\Installation 1" /v DestDir /d 'C:\Maps\AustrianMap' /f >/dev/null
wine_ reg query "$base" /s | tr -d '\r' | grep -v '^$' | sed 's/^/  /'

say "2. quovan_plugin_dist.exe --version and --help"
wine_ 'C:\QuovanDemo\quovan_plugin_dist.exe' --version | tr -d '\r' | without_notices | sed 's/^/  /'
installer ok --help

say "3. Installing"
explain "The installer walks the products and installations, skips the one without bin\\PlugIn, copies quovan.dll into the two others and shows its summary."
installer ok
show_plugin_folders
[ "$status" -eq 0 ] || fail "the installation ended with exit code $status"
for folder in Top50 AustrianMap; do
    cmp -s "$drive_c/QuovanDemo/quovan.dll" "$drive_c/Maps/$folder/bin/PlugIn/quovan.dll" ||
        fail "C:\\Maps\\$folder\\bin\\PlugIn\\quovan.dll is not the package's plug-in"
done
echo "  The log, C:\\QuovanDemo\\quovan.log:"
show_log

say "4. The map host loads the plug-in from C:\\Maps\\Top50\\bin\\PlugIn"
explain "The simulated map host registers the DLL the installer put there, creates it by its ProgID and drives it: the Mobile menu, an area marked with two clicks, the export. The plug-in starts the Quovan Desktop (a stand-in that records what it receives) from its registered command line and hands it the maps and the area."
tools/demo-plugin.sh "$drive_c/Maps/Top50" || fail "the map host did not export through the installed plug-in"

say "5. Removing again: quovan_plugin_dist.exe --remove"
installer ok --remove
show_plugin_folders

say "6. Unattended: quovan_plugin_dist.exe --silent"
explain "An administrator's software-distribution tool runs the installer with nobody at the screen. No box appears; the log keeps what the boxes would have said and ends with one summary line, and the exit code tells the result (0 all done, 2 some failed, 3 a map application runs, 4 nothing found, 1 wrong options)."
installer ok --silent
show_plugin_folders
echo "  The last lines of the log:"
show_log | tail -4

say "7. A failed installation: quovan.dll is missing next to the installer"
explain "Each installation fails with its own box, the summary lists the failures and the installer offers to mail its log to support. The user answers Yes; the mail goes to the mail system (here a recording stand-in for MAPI32.DLL), which shows what it was handed."
rm "$drive_c/QuovanDemo/quovan.dll"
if [ -e "$mail_library" ]; then mv "$mail_library" "$mail_library.demo"; fi
cp build/tests/bin/MAPI32.DLL "$mail_library"
QUOVAN_MAPI_RECORD='C:\QuovanDemo\mail.txt' installer ok,ok,ok,yes
echo "  The mail system received:"
sed 's/^/  | /' "$drive_c/QuovanDemo/mail.txt"

if [ -n "$failed" ]; then
    echo "demo: checks failed:$failed" >&2
    exit 1
fi
