#!/bin/sh
# Installs what a fresh Debian 12 machine lacks for the cross builds and the Wine tests.
# usage: setup.sh [extra Debian packages a tool needs besides, e.g. xvfb imagemagick]
set -e
packages="g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix wine wine32:i386 wine64 libboost1.81-dev cmake
          googletest $*"
need=""
for package in $packages; do
    dpkg -s "$package" >/dev/null 2>&1 || need=1
done
[ -z "$need" ] && exit 0
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO=sudo
$SUDO dpkg --add-architecture i386
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq $packages >/dev/null
