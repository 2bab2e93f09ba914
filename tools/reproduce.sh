#!/bin/sh
# Rebuilds the release package of the checked-out commit from a clean export of it, unsigned, twice: in
# two folders of different names, one after the other, and compares the installer, the plug-in and the
# zip byte for byte. Files are dated by the commit (SOURCE_DATE_EPOCH), so the zip is the same too.
#
#   tools/reproduce.sh                    rebuild twice and compare
#   tools/reproduce.sh --against <zip>    also compare the files of a release zip with the rebuild
#
# A signed release differs from the unsigned rebuild by its signatures only. Before comparing, the
# signature is removed from the release's programs (osslsigncode remove-signature), and the rebuilt ones
# are brought to the same form: signed with a throw-away key, which is removed again at once. Removing a
# signature leaves the file padded to 8 bytes and its header checksum set, so this is the form both share.
# Uncommitted changes are not part of the rebuild.
set -e
cd "$(dirname "$0")/.."
root=$PWD
against=""
case $1 in
--against) against=$(cd "$(dirname "$2")" && echo "$PWD/$(basename "$2")"); [ -f "$against" ] || {
    echo "reproduce.sh: $2 is no file" >&2; exit 2; } ;;
"") ;;
*) echo "usage: $0 [--against <release zip>]" >&2; exit 2 ;;
esac
tools/setup.sh osslsigncode openssl unzip >/dev/null

commit=$(git rev-parse HEAD)
export SOURCE_DATE_EPOCH="$(git log -1 --format=%ct)"
[ -z "$(git status --porcelain --untracked-files=no)" ] ||
    echo "reproduce.sh: uncommitted changes are left out; the rebuild is of commit $commit"
work=$root/build-reproduce
rm -rf "$work"
mkdir -p "$work"

# build <source folder> <build folder>: the deliverables and the package of the commit, unsigned.
build() {
    mkdir -p "$1"
    git archive "$commit" | tar -x -C "$1"
    start=$(date +%s)
    env -u QUOVAN_SIGN_PKCS12 cmake -S "$1" -B "$2" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF \
        -DCMAKE_TOOLCHAIN_FILE="$1/cmake/toolchain-mingw32.cmake" >/dev/null 2>&1
    cmake --build "$2" -j"$(nproc)" >/dev/null
    cmake --build "$2" --target package >/dev/null
    echo "reproduce.sh: built $1 in $(( $(date +%s) - start )) s"
}
first=$work/first/src
second=$work/second-build/source-tree
build "$first" "$work/first/build"
build "$second" "$work/second-build/tree"

package=$(cd "$first/dist" && ls quovan_plugin_dist-*-win32.zip)
status=0
same() {
    if cmp -s "$2" "$3"; then
        echo "  identical: $1"
    else
        echo "  DIFFERENT: $1 ($2, $3)"
        status=1
    fi
}
echo "Two builds of $commit (SOURCE_DATE_EPOCH=$SOURCE_DATE_EPOCH):"
same "$package" "$first/dist/$package" "$second/dist/$package"
same quovan_plugin_dist.exe "$work/first/build/quovan_plugin_dist/quovan_plugin_dist.exe" \
    "$work/second-build/tree/quovan_plugin_dist/quovan_plugin_dist.exe"
same quovan.dll "$work/first/build/quovan/quovan.dll" "$work/second-build/tree/quovan/quovan.dll"
sed 's/^/  /' "$first/dist/SHA256SUMS"

if [ -n "$against" ]; then
    echo "The release $against against the rebuild:"
    mkdir -p "$work/release" "$work/rebuilt" "$work/key"
    unzip -q "$against" -d "$work/release"
    unzip -q "$first/dist/$package" -d "$work/rebuilt"
    openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj "/CN=reproduce.sh throw-away" \
        -keyout "$work/key/key.pem" -out "$work/key/cert.pem" >/dev/null 2>&1
    for name in $(cd "$work/rebuilt" && ls); do
        release=$work/release/$name rebuilt=$work/rebuilt/$name
        [ -f "$release" ] || { echo "  MISSING in the release: $name"; status=1; continue; }
        if osslsigncode extract-signature -in "$release" -out "$work/key/$name.sig" >/dev/null 2>&1; then
            osslsigncode remove-signature -in "$release" -out "$release.unsigned" >/dev/null
            osslsigncode sign -certs "$work/key/cert.pem" -key "$work/key/key.pem" -h sha256 \
                -in "$rebuilt" -out "$rebuilt.signed" >/dev/null
            osslsigncode remove-signature -in "$rebuilt.signed" -out "$rebuilt.unsigned" >/dev/null
            same "$name (signature removed)" "$release.unsigned" "$rebuilt.unsigned"
        else
            same "$name" "$release" "$rebuilt"
        fi
    done
fi
exit $status
