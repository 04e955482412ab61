#!/usr/bin/env bash
# Builds the three architectures and makes the release archive build/package/Orvane-<version>.zip:
# each architecture's DLL, type library, manifest and client, the installer, the headers and
# IDL for C++ clients, the examples, README, LICENSE, THIRD_PARTY_NOTICES.txt and SHA256SUMS;
# beside it Orvane-<version>-symbols.zip, each DLL's PDB. The archive's time is the last commit's,
# unless SOURCE_DATE_EPOCH says otherwise. Read from the environment:
#   ORVANE_PACKAGE_VERSION   the release's version (else the project's default)
#   ORVANE_SIGN_PFX          a PKCS#12 file and its password: sign the DLLs, the installer
#   ORVANE_SIGN_PASSWORD     and the clients (Authenticode, SHA-256); neither: sign nothing
#   ORVANE_TIMESTAMP_URL     with those, an RFC 3161 time-stamping service (optional)
source "$(dirname "$0")/common.sh"
source scripts/sign.sh
trap 'forget_password; stop_prefix' EXIT

# A version given once must not stick to the build folders for the next run.
version=(-UORVANE_PACKAGE_VERSION)
[ -z "${ORVANE_PACKAGE_VERSION:-}" ] || version=("-DORVANE_PACKAGE_VERSION=$ORVANE_PACKAGE_VERSION")
signed=()
signing_requested && signed=("-DSIGNED=$PWD/build/signed")

# The DLLs that ship are LLVM's, hardened, with their PDBs; GCC's trees give the clients,
# the notices and the installer, which packs LLVM's DLLs.
build x86 -DBUILD_TESTING=OFF "${version[@]}"
stop_prefix
build x86-llvm "${version[@]}"
stop_prefix
build x64-llvm -DBUILD_TESTING=OFF "${version[@]}"
stop_prefix
build x64 -DBUILD_TESTING=OFF -DORVANE_PEER_BIN="$PWD/build/x86/bin" \
  -DORVANE_SHIPPED_X86="$PWD/build/x86-llvm" -DORVANE_SHIPPED_X64="$PWD/build/x64-llvm" "${version[@]}"
stop_prefix
# The arm64 DLL takes the shipped x64 build's type library.
build arm64 -DBUILD_TESTING=OFF "${version[@]}"
[ ${#signed[@]} -eq 0 ] || sign_release build/signed
stop_prefix
cmake -DX86=build/x86 -DX64=build/x64 -DX86_DLL=build/x86-llvm -DX64_DLL=build/x64-llvm \
  -DARM64=build/arm64 -DOUT=build/package "${signed[@]}" -P cmake/Package.cmake
