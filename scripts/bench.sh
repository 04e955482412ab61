#!/usr/bin/env bash
# The whole benchmark: builds the 32-bit Orvane.dll, registers it in the preset's Wine prefix
# and times KeyExist from C++ (KeyExistBench.exe) and from the script host
# (bench/ScriptHostBench.vbs). Takes about a minute and a half under Wine.
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
(cd "$bin" && sh ../../../cmake/wine-run.sh wine regsvr32 /s Orvane.dll) ||
  { echo "regsvr32 could not register Orvane.dll (exit $?)" >&2; exit 1; }
registered=1

cpu=$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1)
echo "Machine: ${cpu:-unknown CPU}, $(nproc) cores, $(wine --version), Linux $(uname -r)"
echo
echo "== KeyExistBench.exe: median ns per call; ratio to the raw registry calls"
(cd "$bin" && sh ../../../cmake/wine-run.sh wine KeyExistBench.exe) ||
  { echo "KeyExistBench.exe failed (exit $?)" >&2; exit 1; }
echo
echo "== ScriptHostBench.vbs under cscript: median calls per second"
(cd bench && sh ../cmake/wine-run.sh wine cscript //nologo ScriptHostBench.vbs) ||
  { echo "ScriptHostBench.vbs failed (exit $?)" >&2; exit 1; }
