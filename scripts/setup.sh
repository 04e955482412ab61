#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need; does nothing when all are present.
# Every name is unversioned: each current Debian release has its own versions behind them.
set -euo pipefail

packages=(
  g++-mingw-w64-i686-win32 g++-mingw-w64-x86-64-win32 mingw-w64-tools
  wine wine64 xvfb xauth
  cmake ninja-build googletest
  wixl msitools zip osslsigncode openssl
  # The native build of the portable rules: clang and lld, the sanitizer and libFuzzer
  # runtimes (only a Recommends of clang) and llvm-profdata/llvm-cov for the coverage report.
  # clang, lld and llvm also build the x64-llvm and arm64 presets.
  clang lld libclang-rt-dev llvm
  # The arm64 DLL's run under Debian's arm64 Wine, through qemu-user (scripts/arm64-root.sh).
  debootstrap qemu-user-static
)
# 32-bit Wine, asked for with the rest but not required: where it cannot be installed (no
# consistent i386 package list, say) everything is built and what needs it is reported as
# not run. Where it is all that is missing, nothing is installed.
optional=(wine32:i386)

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }
missing=()
for p in "${packages[@]}"; do installed "$p" || missing+=("$p"); done
[ ${#missing[@]} -eq 0 ] && exit 0
extra=()
for p in "${optional[@]}"; do installed "$p" || extra+=("$p"); done

sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
echo "Installing: ${missing[*]}${extra[*]:+ ${extra[*]}}" >&2
if [ ${#extra[@]} -gt 0 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${sudo[@]}" dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
# A mirror caught mid-sync fails an index or two ("File has unexpected size"); the lists that
# were read may still hold all that is needed, which the install then finds out.
if ! log=$("${sudo[@]}" apt-get update -qq 2>&1); then
  echo "setup.sh: apt-get update failed in part; installing from the lists it could read:" >&2
  grep -E '^(E|W):' <<<"$log" >&2 || echo "$log" >&2
fi
apt_install() { "${sudo[@]}" apt-get install -y -qq --no-install-recommends "$@" >/dev/null; }
if [ ${#extra[@]} -gt 0 ]; then
  if log=$(apt_install "${missing[@]}" "${extra[@]}" 2>&1); then exit 0; fi
  apt_install "${missing[@]}"
  echo "setup.sh: ${extra[*]} could not be installed; what needs 32-bit Wine will not run:" >&2
  grep -E '^(E|W):' <<<"$log" >&2 || echo "$log" >&2
else
  apt_install "${missing[@]}"
fi
