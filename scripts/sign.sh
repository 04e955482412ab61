# Authenticode signing for scripts/package.sh; source it after common.sh. osslsigncode signs
# with the certificate and key of ORVANE_SIGN_PFX (PKCS#12), SHA-256, and with an RFC 3161
# timestamp from ORVANE_TIMESTAMP_URL when that is set. ORVANE_SIGN_PASSWORD reaches
# osslsigncode through a file that only we can read, never on a command line.

password_file=

# signing_requested: true when both variables are set, false when neither; anything else
# is a mistake that must not yield an unsigned release quietly.
signing_requested() {
  if [ -z "${ORVANE_SIGN_PFX:-}" ] && [ -z "${ORVANE_SIGN_PASSWORD+set}" ]; then
    return 1
  fi
  if [ -z "${ORVANE_SIGN_PFX:-}" ] || [ -z "${ORVANE_SIGN_PASSWORD+set}" ]; then
    echo "Set both ORVANE_SIGN_PFX and ORVANE_SIGN_PASSWORD to sign, or neither" >&2
    exit 1
  fi
  if [ ! -r "$ORVANE_SIGN_PFX" ]; then
    echo "ORVANE_SIGN_PFX: cannot read $ORVANE_SIGN_PFX" >&2
    exit 1
  fi
}

forget_password() {
  [ -z "$password_file" ] || rm -f "$password_file"
  password_file=
}

# sign_file IN OUT: a signed copy of IN.
sign_file() {
  local timestamp=()
  [ -z "${ORVANE_TIMESTAMP_URL:-}" ] || timestamp=(-ts "$ORVANE_TIMESTAMP_URL")
  rm -f "$2"
  quietly osslsigncode sign -pkcs12 "$ORVANE_SIGN_PFX" -readpass "$password_file" \
    -h sha256 -n Orvane "${timestamp[@]}" -in "$1" -out "$2"
}

# sign_release OUT: signed copies of what the built trees ship, laid out as in the package.
# The installer packs the DLLs, so they are signed first and the installer is built again
# from the signed copies, then signed itself.
sign_release() {
  local out=$1 inputs arch
  inputs=$(sed -n 's/^ORVANE_MSI_INPUTS:INTERNAL=//p' build/x64/CMakeCache.txt)
  if [ -z "$inputs" ]; then
    echo "The 64-bit build made no installer to sign (msitools missing?)" >&2
    exit 1
  fi
  # mktemp makes the file readable by us alone; printf is a shell builtin, so the password
  # is in no process's arguments.
  password_file=$(mktemp)
  printf '%s' "$ORVANE_SIGN_PASSWORD" >"$password_file"

  rm -rf "$out"
  mkdir -p "$out/x86" "$out/x64" "$out/arm64"
  # The DLLs that ship: LLVM's (scripts/package.sh).
  for arch in x86 x64 arm64; do
    local tree=$arch-llvm
    [ $arch != arm64 ] || tree=arm64
    sign_file "build/$tree/bin/Orvane.dll" "$out/$arch/Orvane.dll"
  done
  use_prefix x64 # the installer's build sets its time with a Windows program
  quietly cmake -DINPUTS="$inputs" -DDLL64="$PWD/$out/x64/Orvane.dll" \
    -DDLL32="$PWD/$out/x86/Orvane.dll" -DWORK="$PWD/$out/installer" \
    -DOUTPUT="$PWD/$out/installer/unsigned.msi" -P installer/BuildPackage.cmake
  sign_file "$out/installer/unsigned.msi" "$out/Orvane.msi"
  rm -rf "$out/installer"
  for arch in x86 x64; do
    sign_file "build/$arch/bin/RegFreeClient.exe" "$out/$arch/RegFreeClient.exe"
  done
  forget_password
}
