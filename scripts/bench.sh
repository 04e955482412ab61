#!/usr/bin/env bash
# The whole benchmark: builds both Orvane.dll and prints their sizes, registers the 32-bit one
# in the preset's Wine prefix and times KeyExist from C++ (KeyExistBench.exe) and from the
# script host (bench/ScriptHostBench.vbs). Takes about two minutes under Wine.
source "$(dirname "$0")/common.sh"

bin=build/x86/bin
registered=
cleanup() {
  if [ -n "$registered" ]; then
    (cd "$bin" && sh ../../../cmake/wine-run.sh wine regsvr32 /s /u Orvane.dll) ||
      echo "regsvr32 /u could not unregister Orvane.dll (exit $?)" >&2
  fi
  stop_prefix
}
trap cleanup EXIT

build x86 -DBUILD_TESTING=OFF
stop_prefix
# The 64-bit DLL only for its size.
build x64 -DBUILD_TESTING=OFF
stop_prefix
use_prefix x86
(cd "$bin" && sh ../../../cmake/wine-run.sh wine regsvr32 /s Orvane.dll) ||
  { echo "regsvr32 could not register Orvane.dll (exit $?)" >&2; exit 1; }
registered=1

cpu=$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1)
echo "Machine: ${cpu:-unknown CPU}, $(nproc) cores, $(wine --version), Linux $(uname -r)"
echo
echo "== Orvane.dll: size of the Release build (unsigned)"
printf '%-5s %10s %10s\n' arch bytes limit
for arch in x86 x64; do
  limit=$([ $arch = x86 ] && echo 49152 || echo 65536)
  dll=build/$arch/bin/Orvane.dll
  if [ -f "$dll" ]; then
    size=$(stat -c %s "$dll")
    printf '%-5s %10s %10s %s\n' $arch "$size" $limit "$([ "$size" -le $limit ] && echo met || echo 'NOT MET')"
  else
    printf '%-5s %10s %10s (not built)\n' $arch - $limit
  fi
done
echo
echo "== KeyExistBench.exe: median ns per call; ratio to the raw registry calls"
(cd "$bin" && sh ../../../cmake/wine-run.sh wine KeyExistBench.exe) ||
  { echo "KeyExistBench.exe failed (exit $?)" >&2; exit 1; }
echo
echo "== ScriptHostBench.vbs under cscript: median calls per second"
(cd bench && sh ../cmake/wine-run.sh wine cscript //nologo ScriptHostBench.vbs) ||
  { echo "ScriptHostBench.vbs failed (exit $?)" >&2; exit 1; }
