# Shared by run.sh and test.sh: installs what is missing, builds a preset, and runs Wine in
# the preset's private prefix. Source it; it changes into the project's root.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

quietly() {
  local log; log=$(mktemp)
  if ! "$@" >"$log" 2>&1; then cat "$log" >&2; rm -f "$log"; return 1; fi
  rm -f "$log"
}

# build PRESET [cmake options...]: configures and builds build/PRESET.
build() {
  local preset=$1; shift
  bash scripts/setup.sh
  quietly cmake --preset "$preset" "$@"
  # A running wine server keeps no pipe of the build open, so the build never waits on it.
  use_prefix "$preset"
  quietly cmake --build --preset "$preset"
}

# use_prefix PRESET: points Wine at the preset's prefix and starts its server.
use_prefix() {
  export WINEPREFIX="$PWD/build/$1/wineprefix"
  case $1 in x64*) export WINEARCH=win64 ;; *) export WINEARCH=win32 ;; esac
  mkdir -p "$WINEPREFIX"
  # Exits 2 when a server already runs for this prefix.
  wineserver -p </dev/null >/dev/null 2>&1 || [ $? -eq 2 ]
}

stop_prefix() {
  wineserver -k </dev/null >/dev/null 2>&1 || true
}
