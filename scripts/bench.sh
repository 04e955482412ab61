#!/usr/bin/env bash
# The whole benchmark: builds every Orvane.dll and prints their sizes, registers one in its
# preset's Wine prefix and times KeyExist from C++ (KeyExistBench.exe) and from the script
# host of its bitness (bench/ScriptHostBench.vbs). Takes about two minutes under Wine.
# Usage: bench.sh [--arch x64|x86] [--gcc]; the 64-bit DLL unless asked, the one that ships
# (LLVM's) unless --gcc asks for the GCC build's. Prints its own lines and the tables; Wine's
# messages only with a command that failed.
source "$(dirname "$0")/common.sh"
pick_arch bench.sh "$@"
compiler=llvm
case "${#args[@]} ${args[0]:-}" in
  "1 --gcc") compiler=gcc ;;
  "0 ") ;;
  *) echo "bench.sh: takes [--arch x64|x86] [--gcc]" >&2; exit 2 ;;
esac
# The programs are the GCC build's; beside them, in a folder of their own, the DLL measured.
bin=build/$arch/bin
dll=$bin/Orvane.dll
which="GCC builds"
if [ $compiler = llvm ]; then
  dll=build/$arch-llvm/bin/Orvane.dll
  bin=build/$arch/bench-llvm
  which="ships, by LLVM"
fi
echo "Measuring the $arch Orvane.dll that $which ($dll)"
registered=
cleanup() {
  if [ -n "$registered" ]; then
    on_wine "$bin" --quiet regsvr32 /s /u Orvane.dll ||
      echo "regsvr32 /u could not unregister Orvane.dll (exit $?)" >&2
  fi
  stop_prefix
}
trap cleanup EXIT

# All four built for their sizes; building needs no 32-bit program.
build x86 -DBUILD_TESTING=OFF
stop_prefix
build x64 -DBUILD_TESTING=OFF
stop_prefix
build x86-llvm
stop_prefix
build x64-llvm -DBUILD_TESTING=OFF
stop_prefix
if [ $compiler = llvm ]; then
  rm -rf "$bin" && mkdir -p "$bin"
  cp "build/$arch/bin/KeyExistBench.exe" "$dll" "$bin/"
fi
use_prefix "$arch"
on_wine "$bin" --quiet regsvr32 /s Orvane.dll ||
  { echo "regsvr32 could not register Orvane.dll (exit $?)" >&2; exit 1; }
registered=1

cpu=$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1)
echo "Machine: ${cpu:-unknown CPU}, $(nproc) cores, $("$(wine_for "$arch")" --version), Linux $(uname -r)"
echo
echo "== Orvane.dll: size of the Release build (unsigned)"
printf '%-12s %10s %10s\n' build bytes limit
for each in x86-llvm x64-llvm x86 x64; do
  limit=$([ ${each%-llvm} = x86 ] && echo 49152 || echo 65536)
  file=build/$each/bin/Orvane.dll
  if [ -f "$file" ]; then
    size=$(stat -c %s "$file")
    printf '%-12s %10s %10s %s\n' $each "$size" $limit "$([ "$size" -le $limit ] && echo met || echo 'NOT MET')"
  else
    printf '%-12s %10s %10s (not built)\n' $each - $limit
  fi
done
echo
echo "== KeyExistBench.exe ($arch): median ns per call; ratio to the raw registry calls"
on_wine "$bin" KeyExistBench.exe ||
  { echo "KeyExistBench.exe failed (exit $?)" >&2; exit 1; }
echo
echo "== ScriptHostBench.vbs under the $arch cscript: median calls per second"
on_wine bench cscript //nologo ScriptHostBench.vbs ||
  { echo "ScriptHostBench.vbs failed (exit $?)" >&2; exit 1; }
