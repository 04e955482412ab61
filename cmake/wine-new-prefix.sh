#!/bin/sh
# Makes a Wine prefix: wine-new-prefix.sh [--stop] <dir> <arch> <loader>, <arch> win32 or
# win64, <loader> the Wine loader of that architecture. Booted, the prefix starts without
# Mono and Gecko, and without a window manager Wine lingers over each closed window unless it
# manages none. Where ORVANE_PRISTINE_PREFIXES names a folder of booted prefixes, one per
# architecture (the test command makes them once), <arch>'s is copied instead: a boot takes
# 7 (win32) to 15 (win64) seconds of CPU, a copy a tenth of one. With --stop no server of the
# prefix runs afterwards.
stop=
[ "$1" != --stop ] || { stop=yes; shift; }
dir=$1 arch=$2 loader=$3
here=$(cd "$(dirname "$0")" && pwd)
pristine=${ORVANE_PRISTINE_PREFIXES:+$ORVANE_PRISTINE_PREFIXES/$arch}

# A pristine prefix still booting is waited for; one that failed is removed.
if [ -n "$pristine" ]; then
  for _ in $(seq 1200); do
    [ -d "$pristine" ] && [ ! -f "$pristine/.orvane-ready" ] || break
    sleep 0.25
  done
fi
if [ -n "$pristine" ] && [ -f "$pristine/.orvane-ready" ]; then
  # A server already running for <dir> (the build's, started with an empty registry) would
  # write that registry over the copy: it ends first, and starts again after.
  running=
  WINEPREFIX=$dir wineserver -k -w </dev/null >/dev/null 2>&1 && running=yes
  rm -rf "$dir" && sh "$here/wine-copy-prefix.sh" "$pristine" "$dir" || exit 1
  [ -z "$running" ] || [ -n "$stop" ] || WINEPREFIX=$dir wineserver -p </dev/null >/dev/null 2>&1
  exit 0
fi

export WINEPREFIX="$dir" WINEARCH="$arch" WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
mkdir -p "$dir" &&
sh "$here/wine-run.sh" "$loader" wineboot --init &&
sh "$here/wine-run.sh" "$loader" reg add "HKCU\\Software\\Wine\\X11 Driver" /v Managed /d N /f \
  >/dev/null || exit 1
[ -z "$stop" ] || wineserver -k -w </dev/null >/dev/null 2>&1 || true
