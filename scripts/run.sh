#!/usr/bin/env bash
# The main job: builds Orvane.dll, registers it in a private Wine prefix with regsvr32 and
# asks about real registry keys through the VBScript client. Key paths may be given as
# arguments.
source "$(dirname "$0")/common.sh"
trap stop_prefix EXIT

build x86 -DBUILD_TESTING=OFF
(cd build/x86/bin && sh ../../../cmake/wine-run.sh wine regsvr32 /s Orvane.dll) ||
  { echo "regsvr32 could not register Orvane.dll (exit $?)" >&2; exit 1; }
echo "Registered $(cd build/x86/bin && pwd)/Orvane.dll in $WINEPREFIX"
cd examples
sh ../cmake/wine-run.sh wine cscript //nologo KeyExist.vbs "$@"
