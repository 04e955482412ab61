#!/bin/sh
# TwoVolumes.sh <folder> <Orvane.dll> <command> [args...]: runs the command (in the Wine
# prefix that WINEPREFIX names) with four tmpfs file systems mounted below <folder>, each
# with a copy of the DLL as its first file (so that the copies have one inode): a and b,
# and c and d, which the prefix also reaches as the drives X: and Y:, each with a volume
# serial of its own; and link, a symbolic link to a. ORVANE_VOLUMES is <folder> as Wine
# names it (below Z:). Everything goes again however the command ends. Mounting needs
# root: elsewhere the test is reported as not run (exit 77).
folder=$1 dll=$2
shift 2
if [ "$(id -u)" != 0 ]; then
  echo "not run: mounting the test's file systems needs root"
  exit 77
fi
drives=$WINEPREFIX/dosdevices
undo() {
  rm -f "$drives/x:" "$drives/y:" "$folder/link"
  for volume in a b c d; do
    ! mountpoint -q "$folder/$volume" || umount "$folder/$volume" || umount -l "$folder/$volume"
  done
  rmdir "$folder"/a "$folder"/b "$folder"/c "$folder"/d "$folder" 2>/dev/null
}
undo
trap undo EXIT
for volume in a b c d; do
  mkdir -p "$folder/$volume" && mount -t tmpfs -o size=16m orvane-test "$folder/$volume" ||
    { echo "TwoVolumes.sh: cannot mount $folder/$volume" >&2; exit 1; }
done
printf 0000c0c0 >"$folder/c/.windows-serial" && printf 0000d0d0 >"$folder/d/.windows-serial" &&
for volume in a b c d; do cp "$dll" "$folder/$volume/Orvane.dll" || exit 1; done &&
ln -s a "$folder/link" && ln -s "$folder/c" "$drives/x:" && ln -s "$folder/d" "$drives/y:" ||
  exit 1
ORVANE_VOLUMES=Z:$(printf %s "$folder" | tr / '\\') "$@"
