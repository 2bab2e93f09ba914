#!/bin/sh
# Installs what a fresh Debian 12 machine lacks for the cross builds and the Wine tests.
# usage: setup.sh [extra Debian packages a tool needs besides, e.g. xvfb imagemagick]
set -e
if [ -n "$QUOVAN_CI_PREPARED" ]; then
    echo "setup.sh: installed once already by this CI run"
    exit 0
fi
tools=$(dirname "$0")
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO=sudo
packages="g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix wine wine32:i386 wine64 libboost1.81-dev cmake
          googletest zip osslsigncode openssl $*"
need=""
for package in $packages; do
    dpkg -s "$package" >/dev/null 2>&1 || need=1
done
if [ -n "$need" ]; then
    $SUDO dpkg --add-architecture i386
    # A mirror in mid-sync fails the update now and then; try again, then go on with the lists we got.
    tries=0
    until $SUDO apt-get update -qq; do
        tries=$((tries + 1))
        [ "$tries" -ge 3 ] && { echo "setup.sh: package lists incomplete, installing from what arrived" >&2; break; }
        sleep 15
    done
    apt_install() { DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "$@" $packages >/dev/null; }
    # Without the security archive's i386 list the 32-bit and 64-bit versions of shared libraries
    # disagree; the release's own versions always agree.
    apt_install || { . /etc/os-release; echo "setup.sh: installing $VERSION_CODENAME's own versions" >&2
                 apt_install -t "$VERSION_CODENAME"; }
fi

# Where this machine cannot execute 32-bit x86 code, tools/run32.sh needs qemu-i386 of qemu-user 10
# from Debian's bookworm-backports. Only that one file is taken, through an apt configuration of its
# own, so that the machine's sources, packages and binfmt_misc entries stay as they are.
qemu=/usr/local/libexec/quovan/qemu-i386
status=0
"$tools/run32.sh" true 2>/dev/null || status=$?
if [ "$status" -eq 125 ]; then
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
    mkdir -p "$work/lists/partial" "$work/cache/archives/partial" "$work/root"
    echo 'deb http://deb.debian.org/debian bookworm-backports main' >"$work/sources.list"
    apt_own() {
        apt-get -qq -o Dir::Etc::SourceList="$work/sources.list" -o Dir::Etc::SourceParts=/dev/null \
            -o Dir::State::Lists="$work/lists" -o Dir::Cache="$work/cache" -o Debug::NoLocking=1 \
            -o APT::Sandbox::User=root "$@"
    }
    apt_own update || { sleep 15; apt_own update; }
    (cd "$work" && apt_own download qemu-user)
    dpkg-deb --fsys-tarfile "$work"/qemu-user_*.deb | tar -x -C "$work/root" ./usr/bin/qemu-i386
    $SUDO install -D -m 755 "$work/root/usr/bin/qemu-i386" "$qemu"
    "$qemu" --version | head -n 1
    "$tools/run32.sh" true
fi
