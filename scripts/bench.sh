#!/usr/bin/env bash
# The whole benchmark: builds both Orvane.dll and prints their sizes, registers one in its
# preset's Wine prefix and times KeyExist from C++ (KeyExistBench.exe) and from the script
# host of its bitness (bench/ScriptHostBench.vbs). Takes about two minutes under Wine.
# Usage: bench.sh [--arch x64|x86]; the 64-bit DLL unless asked.
source "$(dirname "$0")/common.sh"
pick_arch bench.sh "$@"
echo "Measuring the $arch Orvane.dll (build/$arch/bin/Orvane.dll)"

bin=build/$arch/bin
wine=$(wine_for "$arch")
registered=
cleanup() {
  if [ -n "$registered" ]; then
    (cd "$bin" && sh ../../../cmake/wine-run.sh "$wine" regsvr32 /s /u Orvane.dll) ||
      echo "regsvr32 /u could not unregister Orvane.dll (exit $?)" >&2
  fi
  stop_prefix
}
trap cleanup EXIT

# Both built for their sizes; building needs no 32-bit program.
build x86 -DBUILD_TESTING=OFF
stop_prefix
build x64 -DBUILD_TESTING=OFF
stop_prefix
use_prefix "$arch"
(cd "$bin" && sh ../../../cmake/wine-run.sh "$wine" regsvr32 /s Orvane.dll) ||
  { echo "regsvr32 could not register Orvane.dll (exit $?)" >&2; exit 1; }
registered=1

cpu=$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1)
echo "Machine: ${cpu:-unknown CPU}, $(nproc) cores, $("$wine" --version), Linux $(uname -r)"
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
echo "== KeyExistBench.exe ($arch): median ns per call; ratio to the raw registry calls"
(cd "$bin" && sh ../../../cmake/wine-run.sh "$wine" KeyExistBench.exe) ||
  { echo "KeyExistBench.exe failed (exit $?)" >&2; exit 1; }
echo
echo "== ScriptHostBench.vbs under the $arch cscript: median calls per second"
(cd bench && sh ../cmake/wine-run.sh "$wine" cscript //nologo ScriptHostBench.vbs) ||
  { echo "ScriptHostBench.vbs failed (exit $?)" >&2; exit 1; }
