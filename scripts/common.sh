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

# start_display: an Xvfb display of the script's own for the window tests; stop_display ends
# it. Window tests then fail, rather than skip, when they see no box.
start_display() {
  local displayfile; displayfile=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$displayfile" </dev/null >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do [ -s "$displayfile" ] && break; sleep 0.1; done
  [ -s "$displayfile" ] || { rm -f "$displayfile"; echo "Xvfb did not start" >&2; return 1; }
  export DISPLAY=":$(head -n 1 "$displayfile")"
  export ORVANE_REQUIRE_DISPLAY=1
  rm -f "$displayfile"
}

stop_display() {
  [ -z "${xvfb_pid:-}" ] || kill "$xvfb_pid" 2>/dev/null || true
  xvfb_pid=
}
