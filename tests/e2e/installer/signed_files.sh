#!/bin/sh
# Signed and unsigned forms of the built installer and plug-in, for the signature cases of the
# installer's tests. Where the build signed its deliverables (CI), the signed pair is the build's own;
# elsewhere both are signed here with a throw-away key. A second throw-away key signs the foreign
# plug-in. The keys live in the output folder for this run only and are deleted at the end.
# usage: signed_files.sh <installer.exe> <quovan.dll> <output folder>
set -eu
installer=$1 plugin=$2 out=$3
rm -rf "$out"
mkdir -p "$out/keys"
keys=$out/keys

# osslsigncode never overwrites its output.
is_signed() {
    rm -f "$keys/extracted"
    osslsigncode extract-signature -in "$1" -out "$keys/extracted" >/dev/null 2>&1
}
make_key() { # <name>
    openssl req -x509 -newkey rsa:2048 -sha256 -days 2 -nodes -subj "/CN=Quovan test $1/O=telvor" \
        -keyout "$keys/$1.key" -out "$keys/$1.crt" >/dev/null 2>&1
}
sign() { # <key> <in> <out>
    osslsigncode sign -certs "$keys/$1.crt" -key "$keys/$1.key" -h sha256 -n "Quovan Plugin" \
        -in "$2" -out "$3" >/dev/null
}
unsigned() { # <in> <out>
    if is_signed "$1"; then osslsigncode remove-signature -in "$1" -out "$2" >/dev/null; else cp "$1" "$2"; fi
}

make_key publisher
make_key foreign
unsigned "$installer" "$out/unsigned.exe"
unsigned "$plugin" "$keys/plugin-unsigned.dll"
if is_signed "$installer" && is_signed "$plugin"; then
    cp "$installer" "$out/signed.exe"
    cp "$plugin" "$out/same.dll"
else
    sign publisher "$out/unsigned.exe" "$out/signed.exe"
    sign publisher "$keys/plugin-unsigned.dll" "$out/same.dll"
fi
sign foreign "$keys/plugin-unsigned.dll" "$out/foreign.dll"
osslsigncode remove-signature -in "$out/same.dll" -out "$out/removed.dll" >/dev/null
rm -rf "$keys"
