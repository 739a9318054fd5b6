#!/usr/bin/env bash
# Runs a command where 32-bit programs run although this kernel runs none
# (IA-32 emulation switched off): inside a new user and mount namespace, with
# a private binfmt_misc in which i386 ELF executables and shared objects are
# handed to qemu-i386-static (package qemu-user-static). 32-bit Wine starts
# there, and every 32-bit program it runs is emulated, some 40 times slower
# than natively. Nothing is registered outside the namespace: a binfmt_misc
# mounted in a new user namespace is that namespace's own (Linux 6.7 and
# later; older kernels refuse the mount), and it ends with it. The F flag
# opens the emulator at registration, so it needs no path inside the
# namespace afterwards.
#
#   scripts/wine32-emulated.sh --check    says in one line why not, exit 1,
#                                         when 32-bit Wine cannot start so here
#   scripts/wine32-emulated.sh COMMAND... runs COMMAND so, exit its status,
#                                         with TELEPOST_WINE32_EMULATED set
#
# The namespace maps the caller to root (--map-root-user), so that it may
# mount; files it makes belong to the caller outside.
set -euo pipefail

emulator=/usr/bin/qemu-i386-static
# Debian's qemu-user-static entry for i386: ELF, 32-bit, little-endian,
# type executable or shared object, machine i386.
magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
binfmt=/proc/sys/fs/binfmt_misc

# Inside the namespace: mounts and registers, then runs the command. Exit
# statuses 90 and 91 say which step failed (only --check tells them apart).
inside='
  binfmt=$1 entry=$2
  shift 2
  mount -t binfmt_misc binfmt_misc "$binfmt" 2>/dev/null || exit 90
  printf "%s" "$entry" >"$binfmt/register" 2>/dev/null || exit 91
  exec "$@"
'

in_namespace() {
  TELEPOST_WINE32_EMULATED=$emulator unshare --user --map-root-user --mount \
    bash -c "$inside" wine32-emulated "$binfmt" ":telepost-i386:M::$magic:$mask:$emulator:F" "$@"
}

if [ "${1:-}" = --check ]; then
  if [ ! -x "$emulator" ]; then
    echo "$emulator is not installed (package qemu-user-static)"
    exit 1
  fi
  if ! command -v unshare >/dev/null; then
    echo "unshare (package util-linux) is not installed"
    exit 1
  fi
  if ! error=$(unshare --user --map-root-user --mount true 2>&1); then
    echo "no user namespace can be made here: $error"
    exit 1
  fi
  status=0
  version=$(in_namespace /usr/lib/wine/wine --version 2>&1) || status=$?
  case $status in
    0) exit 0 ;;
    90) echo "this kernel ($(uname -r)) gives a user namespace no binfmt_misc of its own (Linux 6.7 and later do)" ;;
    91) echo "$emulator could not be registered in the namespace's binfmt_misc" ;;
    *) echo "32-bit Wine does not start under $emulator: $version" ;;
  esac
  exit 1
fi

[ $# -gt 0 ] || {
  echo "usage: scripts/wine32-emulated.sh --check | COMMAND..." >&2
  exit 2
}
in_namespace "$@"
