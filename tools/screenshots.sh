#!/bin/sh
# Pictures of what the customer sees: runs the installer from the release package under Wine's X11
# driver on a virtual X display and captures each of its message boxes as a PNG in docs/screenshots/,
# and the plug-in's wait window during an export.
# Run it again whenever a text of the installer changes, and commit the pictures.
#
# Wine draws a box with its own caption when the X11 driver is not managed by a window manager
# (Managed=N), so no window manager is needed, and the box is alone on a black screen: ImageMagick's
# import of the root window, trimmed, gives the box and nothing else.
set -e
cd "$(dirname "$0")/.."
if ! tools/setup.sh xvfb imagemagick || ! command -v Xvfb >/dev/null || ! command -v import >/dev/null; then
    echo "screenshots: Xvfb and ImageMagick are needed (Debian packages xvfb, imagemagick) and could not be" \
        "installed; no pictures were taken." >&2
    exit 1
fi
QUOVAN_LANES=32 tools/build.sh >/dev/null

out=$PWD/docs/screenshots
work=$PWD/build/screenshots
prefix=$work/prefix
drive_c=$prefix/drive_c
display=:$((50 + $$ % 40))
mkdir -p "$out" "$work"

Xvfb "$display" -screen 0 1024x768x24 -br -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
# The build's Wine settings (bitness, locale, quiet), with a prefix of its own that draws on the display.
wine_() { build/wineenv.sh env DISPLAY="$display" WINEPREFIX="$prefix" "$@"; }
trap 'wine_ wineserver -k >/dev/null 2>&1 || true; kill $xvfb 2>/dev/null || true' EXIT

if [ ! -e "$work/prefix.stamp" ]; then
    rm -rf "$prefix"
    wine_ wine wineboot --init >/dev/null 2>&1 || true
    wine_ wineserver -w
    wine_ wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    # Wine started through its 64-bit loader here does not find the fonts of its own data folder, so the
    # prefix lacks Tahoma (the boxes' font) and Marlett, whose letter "r" is the caption's close cross:
    # without it the button shows a plain "r". The prefix gets them in its own font folder.
    cp /usr/share/wine/fonts/*.ttf "$drive_c/windows/Fonts/" 2>/dev/null || true
    touch "$work/prefix.stamp"
fi
wine_ wineserver -p >/dev/null 2>&1 </dev/null || true # already running: fine

# The sample PC of the demo: two products with one installation each, and the unpacked package.
base='HKLM\SOFTWARE\EADS Deutschland GmbH'
wine_ wine reg delete "$base" /f >/dev/null 2>&1 || true
rm -rf "$drive_c/Maps" "$drive_c/QuovanDemo" "$drive_c/Geogrid" "$drive_c/hold"
mkdir -p "$drive_c/Maps/Top50/bin/PlugIn" "$drive_c/Maps/AustrianMap/bin/PlugIn" "$drive_c/QuovanDemo" \
    "$drive_c/hold"
package=$(tools/demo-package.sh)
(cd "$drive_c/QuovanDemo" && cmake -E tar xf "$package")
wine_ wine reg add "$base\\Top50\\C:/Maps/Top50" /f >/dev/null
wine_ wine reg add "$base\\Austrian Map\\Installation 1" /v DestDir /d 'C:\Maps\AustrianMap' /f >/dev/null

# Runs the installer with the given answers; "N:name" pictures box N as name.png before it is answered.
run=0
installer() {
    answers=$1; pictures=$2; shift 2
    run=$((run + 1))
    hold=$drive_c/hold/$run
    mkdir -p "$hold"
    wine_ wine build/tests/bin/boxdriver.exe --answers "$answers" --timeout 120000 --hold "C:\\hold\\$run" \
        --cd 'C:\QuovanDemo' -- 'C:\QuovanDemo\quovan_plugin_dist.exe' "$@" >/dev/null 2>&1 &
    driver=$!
    # Boxes that are not pictured are answered at once.
    for number in 1 2 3 4 5 6 7 8 9; do
        case " $pictures" in *" $number:"*) ;; *) touch "$hold/box$number.taken" ;; esac
    done
    for picture in $pictures; do
        number=${picture%%:*}
        waited=0
        while [ ! -e "$hold/box$number.shown" ]; do
            waited=$((waited + 1))
            if [ $waited -gt 600 ]; then
                echo "screenshots: box $number of run $run did not appear" >&2
                exit 1
            fi
            sleep 0.1
        done
        sleep 2 # drawn, caption active
        DISPLAY=$display import -window root -trim +repage "$out/${picture#*:}.png"
        echo "  docs/screenshots/${picture#*:}.png"
        touch "$hold/box$number.taken"
    done
    wait $driver || true
}

installer ok "1:help" --help
installer ok "1:install-summary"
rm "$drive_c/Maps/Top50/bin/PlugIn/quovan.dll" "$drive_c/Maps/AustrianMap/bin/PlugIn/quovan.dll"

# A map program that is still running: a stand-in process under the name of the map host.
mkdir -p "$drive_c/Geogrid"
cp build/tests/bin/procs_helper.exe "$drive_c/Geogrid/d2vexcrd.exe"
wine_ wine 'C:\Geogrid\d2vexcrd.exe' /map Top50 >/dev/null 2>&1 &
sleep 2
installer yes "1:running-application"
wine_ wine taskkill /f /im d2vexcrd.exe >/dev/null 2>&1 || true

# Without the plug-in file next to it, every installation fails.
mv "$drive_c/QuovanDemo/quovan.dll" "$drive_c/QuovanDemo/quovan.dll.away"
installer ok,ok,ok,no "1:installation-failed 3:summary-with-failures 4:mail-question"
mv "$drive_c/QuovanDemo/quovan.dll.away" "$drive_c/QuovanDemo/quovan.dll"

# The plug-in's wait window in front of the simulated map host: a desktop program that must be started
# but is missing keeps the export waiting for about 5 s, and the window shows after 1 s. The box that
# follows is answered by the driver.
host=$drive_c/Host
rm -rf "$host"
mkdir -p "$host/bin/PlugIn"
cp "$drive_c/QuovanDemo/quovan.dll" "$host/bin/PlugIn/"
printf 'initialise\nmenu 2070\nclick 100 50\nclick 200 150\nmenu 2072\n' >"$host/script.txt"
desktop='HKCU\Software\telvor\quovan'
wine_ wine reg add "$desktop" /v folder /d 'C:\Host' /f >/dev/null
wine_ wine reg add "$desktop" /v startcommandline /d 'C:\Host\fehlt\quovan.exe' /f >/dev/null
wine_ wine build/tests/bin/boxdriver.exe --answers ok --timeout 60000 -- build/tests/bin/geohostsim.exe \
    --installation 'C:\Host' --script 'C:\Host\script.txt' --transcript 'C:\Host\transcript.txt' \
    >/dev/null 2>&1 &
driver=$!
sleep 3
DISPLAY=$display import -window root -trim +repage "$out/export-wait.png"
echo "  docs/screenshots/export-wait.png"
wait $driver || true
wine_ wine reg delete "$desktop" /f >/dev/null 2>&1 || true
