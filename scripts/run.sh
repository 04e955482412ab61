#!/usr/bin/env bash
# The main job: builds Orvane.dll, registers it in a private Wine prefix with regsvr32 and
# asks about real registry keys through the VBScript client, in the script host of the DLL's
# bitness. Usage: run.sh [--arch x64|x86] [key paths...]; the 64-bit DLL unless asked.
source "$(dirname "$0")/common.sh"
pick_arch run.sh "$@"
set -- "${args[@]}"
echo "Using the $arch Orvane.dll (build/$arch/bin/Orvane.dll)"
trap stop_prefix EXIT

wine=$(wine_for "$arch")
build "$arch" -DBUILD_TESTING=OFF
(cd "build/$arch/bin" && sh ../../../cmake/wine-run.sh "$wine" regsvr32 /s Orvane.dll) ||
  { echo "regsvr32 could not register Orvane.dll (exit $?)" >&2; exit 1; }
echo "Registered $(cd "build/$arch/bin" && pwd)/Orvane.dll in $WINEPREFIX"
cd examples
sh ../cmake/wine-run.sh "$wine" cscript //nologo KeyExist.vbs "$@"
