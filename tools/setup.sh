#!/bin/sh
# Installs what a fresh Debian 12 machine lacks for the cross build and the Wine tests.
set -e
need=""
command -v i686-w64-mingw32-g++-posix >/dev/null 2>&1 || need=1
command -v wine >/dev/null 2>&1 || need=1
command -v cmake >/dev/null 2>&1 || need=1
[ -d /usr/include/boost ] || need=1
[ -d /usr/src/googletest ] || need=1
dpkg -s wine32:i386 >/dev/null 2>&1 || need=1
[ -z "$need" ] && exit 0
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO=sudo
$SUDO dpkg --add-architecture i386
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq \
    g++-mingw-w64-i686 wine wine32:i386 libboost1.81-dev cmake googletest >/dev/null
