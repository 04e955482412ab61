#!/usr/bin/env bash
# Makes build/arm64-root once: Debian's arm64 Wine (wine64, libwine and what they need, about
# 90 MB to download, 700 MB unpacked), unpacked without running any of it, in which the arm64
# build's tests run the DLL under qemu-user (cmake/arm64-wine.sh). Needs debootstrap and
# qemu-user-static.
source "$(dirname "$0")/common.sh"
root=$PWD/build/arm64-root
[ ! -x "$root/usr/lib/wine/wine64" ] || exit 0
codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
rm -rf "$root.partial"
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
"${sudo[@]}" debootstrap --foreign --arch=arm64 --variant=minbase --include=wine64,libwine \
  "$codename" "$root.partial" http://deb.debian.org/debian >/dev/null
# The first stage unpacks only the base; the rest waits in the package cache.
for deb in "$root.partial"/var/cache/apt/archives/*.deb; do
  dpkg-deb -x "$deb" "$root.partial"
done
rm -f "$root.partial"/var/cache/apt/archives/*.deb
mv "$root.partial" "$root"
