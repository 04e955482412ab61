#!/bin/sh
# sh cmake/arm64-wine.sh ROOT COMMAND...: runs COMMAND, a program of this host, where the
# arm64 programs of ROOT (a Debian arm64 tree with Wine, scripts/arm64-root.sh) run: in a user
# namespace of its own, whose own binfmt_misc instance hands aarch64 ELF programs to
# qemu-aarch64-static (flag F: opened now, so that it serves inside a chroot into ROOT), with
# ROOT's /dev and /proc mounted. Nothing outside the namespace sees the handler.
set -eu
root=$1
shift
exec unshare --user --map-root-user --mount --pid --fork sh -eu -c '
  root=$1
  shift
  mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc
  printf "%s" ":qemu-aarch64:M::\x7fELF\x02\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\xb7\x00:\xff\xff\xff\xff\xff\xff\xff\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-aarch64-static:F" \
    >/proc/sys/fs/binfmt_misc/register
  mount --rbind /dev "$root/dev"
  mount -t proc proc "$root/proc"
  exec "$@"' sh "$root" "$@"
