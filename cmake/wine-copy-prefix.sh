#!/bin/sh
# Copies a Wine prefix: wine-copy-prefix.sh <from> <to>, <to> new or empty. The system's DLLs
# are shared with <from> by hard links; everything else is copied. The copy is marked as up
# to date for good: an update would rewrite those shared files in place.
from=$1 to=$2
windows=drive_c/windows
mkdir -p "$to/$windows" &&
for dir in system32 syswow64 winsxs; do
  [ ! -d "$from/$windows/$dir" ] || cp -al "$from/$windows/$dir" "$to/$windows/" || exit 1
done &&
tar -C "$from" --exclude="./$windows/system32" --exclude="./$windows/syswow64" \
    --exclude="./$windows/winsxs" --exclude=./.orvane-ready -cf - . | tar -C "$to" -xf - &&
echo disable >"$to/.update-timestamp"
