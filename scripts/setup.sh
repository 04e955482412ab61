#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need; does nothing when all are present.
set -euo pipefail

packages=(
  g++-mingw-w64-i686-win32 g++-mingw-w64-x86-64-win32 mingw-w64-tools
  wine wine32:i386 wine64 xvfb xauth
  cmake ninja-build googletest
  wixl msitools zip osslsigncode openssl
  # The native build of the portable rules: clang, its sanitizer and libFuzzer runtimes (only
  # a Recommends of clang) and llvm-profdata/llvm-cov for the coverage report.
  clang clang-14 libclang-rt-14-dev llvm-14
  # LLVM's linker, for the x64-llvm and arm64 presets (with clang and llvm).
  lld llvm
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
echo "Installing: ${missing[*]}" >&2
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${sudo[@]}" dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq >/dev/null
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
