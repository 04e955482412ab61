#!/usr/bin/env bash
# Builds both architectures and makes the release archive build/package/Orvane-<version>.zip:
# each architecture's DLL, type library and manifest, the installer, the examples, README and
# SHA256SUMS. The archive's time is the last commit's, unless SOURCE_DATE_EPOCH says otherwise.
source "$(dirname "$0")/common.sh"
trap stop_prefix EXIT

build x86 -DBUILD_TESTING=OFF
stop_prefix
build x64 -DBUILD_TESTING=OFF -DORVANE_PEER_BIN="$PWD/build/x86/bin"
stop_prefix
cmake -DX86=build/x86 -DX64=build/x64 -DOUT=build/package -P cmake/Package.cmake
