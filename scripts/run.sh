#!/usr/bin/env bash
# The main job: builds Orvane.dll, registers it in a private Wine prefix with regsvr32 and
# asks about real registry keys through the VBScript client, in the script host of the DLL's
# bitness. Usage: run.sh [--arch x64|x86] [key paths...]; the 64-bit DLL unless asked.
# Prints its own lines and the answers; Wine's messages only with a command that failed.
source "$(dirname "$0")/common.sh"
pick_arch run.sh "$@"
set -- "${args[@]}"
echo "Using the $arch Orvane.dll (build/$arch/bin/Orvane.dll)"
trap stop_prefix EXIT

build "$arch" -DBUILD_TESTING=OFF
on_wine "build/$arch/bin" --quiet regsvr32 /s Orvane.dll ||
  { echo "regsvr32 could not register Orvane.dll (exit $?)" >&2; exit 1; }
echo "Registered $(cd "build/$arch/bin" && pwd)/Orvane.dll in $WINEPREFIX"
on_wine examples cscript //nologo KeyExist.vbs "$@"
