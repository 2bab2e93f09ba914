#!/bin/sh
# Runs a command in which 32-bit x86 programs run, and exits with its exit code:
#   tools/run32.sh <command> [args]
#
# Where the machine executes 32-bit code the command runs as it is. Elsewhere (virtual machines whose
# host runs 64-bit user code only) the kernel hands 32-bit programs to qemu-i386, user-mode emulation
# registered through binfmt_misc (tools/setup.sh installs it). The registration is private to the
# command's user and mount namespace where the kernel allows it (Linux 6.7 and later), so nothing
# outside changes. On older kernels it is made machine-wide, needs root, and is taken away again when
# the command ends: a machine-wide entry changes what every program on the machine sees.
#
# The emulator is qemu-i386 of qemu-user 10 (Debian's bookworm-backports); Debian 12's own 7.2 does not
# get Wine's 32-bit loader started. QUOVAN_QEMU_I386 names another one.
set -e
[ $# -gt 0 ] || { echo "usage: $0 <command> [args]" >&2; exit 2; }
qemu=${QUOVAN_QEMU_I386:-/usr/local/libexec/quovan/qemu-i386}

# A 91-byte static i386 program that exits with 0.
probe=$(mktemp)
trap 'rm -f "$probe"' EXIT
printf '\177\105\114\106\001\001\001\000\000\000\000\000\000\000\000\000\002\000\003\000\001\000\000\000\124\200\004\010\064\000\000\000\000\000\000\000\000\000\000\000\064\000\040\000\001\000\000\000\000\000\000\000\001\000\000\000\000\000\000\000\000\200\004\010\000\200\004\010\133\000\000\000\133\000\000\000\005\000\000\000\000\020\000\000\061\333\061\300\100\315\200' >"$probe"
chmod +x "$probe"
if "$probe" 2>/dev/null; then
    rm -f "$probe"
    exec "$@"
fi
if [ ! -x "$qemu" ]; then
    echo "run32.sh: this machine cannot execute 32-bit x86 code, and $qemu is missing (tools/setup.sh installs it)" >&2
    exit 125
fi

# The magic and mask of Debian's qemu-user-binfmt for i386 ELF files. Flag F opens the emulator now,
# so that it is found from any mount namespace and root.
magic='\x7f\x45\x4c\x46\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
mask='\xff\xff\xff\xff\xff\xfe\xfe\xfc\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
entry=quovan-i386-$$
rule=":$entry:M::$magic:$mask:$qemu:F"

# Private: a new user and mount namespace with a binfmt_misc instance of its own. Tried with the probe
# first, so that a failure of the command itself is never taken for a refused namespace.
private='mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc &&
         printf "%s\n" "$0" >/proc/sys/fs/binfmt_misc/register && exec "$@"'
if unshare --user --map-root-user --mount sh -c "$private" "$rule" sh -c '"$0"' "$probe" 2>/dev/null; then
    rm -f "$probe"
    trap - EXIT
    exec unshare --user --map-root-user --mount sh -c "$private" "$rule" "$@"
fi

# Machine-wide, under a name of this run's own, so that runs side by side do not take each other's away.
binfmt=/proc/sys/fs/binfmt_misc
mounted=""
if [ ! -e "$binfmt/register" ]; then
    mounted=1
    mount -t binfmt_misc binfmt_misc "$binfmt" || {
        echo "run32.sh: binfmt_misc cannot be mounted (root is needed on kernels before 6.7)" >&2
        exit 125
    }
fi
printf '%s\n' "$rule" >"$binfmt/register" || {
    echo "run32.sh: the emulator cannot be registered with binfmt_misc (root is needed on kernels before 6.7)" >&2
    exit 125
}
# At the end the entry goes, and binfmt_misc too if this run mounted it and no other entry is left.
leave() {
    rm -f "$probe"
    echo -1 >"$binfmt/$entry" 2>/dev/null || true
    if [ -n "$mounted" ] && [ "$(ls "$binfmt")" = "$(printf 'register\nstatus')" ]; then
        umount "$binfmt" 2>/dev/null || true
    fi
}
trap leave EXIT
trap 'exit 130' INT TERM
status=0
"$@" || status=$?
exit $status
