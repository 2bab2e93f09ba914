#!/bin/sh
# Creates the private Wine prefix once (before tests run in parallel).
# usage: make-wineprefix.sh <wineenv script> <prefix dir> <stamp file>
set -e
env_sh=$1; prefix=$2; stamp=$3
rm -rf "$prefix"
# A win64 prefix on a machine without 32-bit execution cannot set up its 32-bit half; wineboot then
# fails, and the 64-bit prefix is still complete. So judge by the result, not by wineboot's status.
"$env_sh" wine wineboot --init >/dev/null 2>&1 || true
"$env_sh" wineserver -w
"$env_sh" wine cmd.exe /c exit 0 >/dev/null 2>&1
# The settings go in through the prefix's own reg.exe: in a 64-bit prefix the 64-bit one, which sees
# both registry views (the 32-bit one writes HKLM\Software into Wow6432Node).
reg=wine
[ -d "$prefix/drive_c/windows/syswow64" ] && reg=wine64
# Headless: windows and message boxes exist without any X display.
"$env_sh" $reg reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
# The mail system is never Wine's own: MAPI32.DLL is a double that a test put into the system folder,
# or none at all.
"$env_sh" $reg reg add 'HKCU\Software\Wine\DllOverrides' /v mapi32 /d native /f >/dev/null 2>&1
# A crash ends its process at once instead of waiting for a debugger: no debugger command to start, and
# no question whether to start one (Wine asks when Auto is 0 and starts winedbg when Debugger is
# missing). The 64-bit prefix keeps a second copy of the key for 32-bit programs.
for key in 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' \
           'HKLM\Software\Wow6432Node\Microsoft\Windows NT\CurrentVersion\AeDebug'; do
    "$env_sh" $reg reg add "$key" /v Auto /d 1 /f >/dev/null 2>&1
    "$env_sh" $reg reg add "$key" /v Debugger /d "" /f >/dev/null 2>&1
done
"$env_sh" wineserver -w
touch "$stamp"
