#!/usr/bin/env bash
# Sourced: lets this machine run 32-bit x86 programs (Wine's 32-bit loader)
# through qemu-i386 where the kernel cannot run them itself.
#
# binfmt_i386_register registers qemu-i386 with binfmt_misc for 32-bit ELF
# programs unless that is done already; it returns 1 with the reason in
# BINFMT_I386_ERROR when it cannot. binfmt_i386_unregister takes back a
# registration that binfmt_i386_register made: left in place, it would put
# every later 32-bit start under emulation, and make every new 64-bit Wine
# prefix set up its 32-bit half that way, which takes many minutes.

BINFMT_MISC=/proc/sys/fs/binfmt_misc
BINFMT_I386_REGISTERED=
BINFMT_I386_ERROR=

binfmt_i386_register() {
    if [ ! -x /usr/bin/qemu-i386 ]; then
        BINFMT_I386_ERROR="qemu-i386 is not installed (package qemu-user)"
        return 1
    fi
    if [ "$(id -u)" -ne 0 ]; then
        BINFMT_I386_ERROR="registering qemu-i386 with binfmt_misc needs root"
        return 1
    fi
    if [ ! -e "$BINFMT_MISC/register" ] && ! mount -t binfmt_misc binfmt_misc "$BINFMT_MISC" 2>/dev/null; then
        BINFMT_I386_ERROR="binfmt_misc cannot be mounted here"
        return 1
    fi
    [ -e "$BINFMT_MISC/qemu-i386" ] && return 0
    # 32-bit little-endian ELF executables and shared objects for i386; F
    # opens the interpreter now, so it works in any mount namespace.
    if ! printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386:OCF' \
        >"$BINFMT_MISC/register" 2>/dev/null; then
        BINFMT_I386_ERROR="registering qemu-i386 with binfmt_misc was refused"
        return 1
    fi
    BINFMT_I386_REGISTERED=1
}

binfmt_i386_unregister() {
    if [ -n "$BINFMT_I386_REGISTERED" ] && [ -e "$BINFMT_MISC/qemu-i386" ]; then
        echo -1 >"$BINFMT_MISC/qemu-i386" 2>/dev/null || true
    fi
    BINFMT_I386_REGISTERED=
}
