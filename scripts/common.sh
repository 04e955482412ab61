# Shared by run.sh and test.sh: installs what is missing, builds a preset, and runs Wine in
# the preset's private prefix. Source it; it changes into the project's root.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
orvane_root=$PWD

export WINEDEBUG=-all
# Neither Mono and Gecko nor the menu entries Wine updates as each session starts.
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
# Only a prefix this script chose is its to use and to stop, never one it was started in.
unset WINEPREFIX WINEARCH

quietly() {
  local log; log=$(mktemp)
  if ! "$@" >"$log" 2>&1; then cat "$log" >&2; rm -f "$log"; return 1; fi
  rm -f "$log"
}

# x86_runs: whether this machine runs 32-bit programs, found once by running one (32-bit
# Wine's loader), not by reading a kernel setting. ORVANE_X86=off answers no.
x86_runs() {
  if [ -z "${orvane_x86_runs:-}" ]; then
    orvane_x86_runs=no
    if [ "${ORVANE_X86:-}" != off ] &&
       orvane_x86_error=$(/usr/lib/wine/wine --version </dev/null 2>&1 >/dev/null); then
      orvane_x86_runs=yes
    fi
  fi
  [ "$orvane_x86_runs" = yes ]
}

# Why 32-bit programs do not run here, for the lines that say what was not run.
x86_cause() {
  x86_runs || true
  if [ "${ORVANE_X86:-}" = off ]; then
    echo "ORVANE_X86=off"
  elif [ ! -e /usr/lib/wine/wine ]; then
    echo "32-bit Wine is not installed (apt-get install wine32:i386)"
  elif grep -q "Exec format error" <<<"${orvane_x86_error:-}"; then
    echo "this kernel cannot execute 32-bit programs (boot with ia32_emulation=1)"
  else
    echo "32-bit Wine does not start: $(head -n 1 <<<"${orvane_x86_error:-}")"
  fi
}

# arm64_runs: whether arm64 programs can run here: through qemu-user, registered in a
# binfmt_misc instance of a user namespace (cmake/arm64-wine.sh), which needs Linux 6.7 or later.
arm64_runs() {
  command -v qemu-aarch64-static >/dev/null &&
    unshare --user --map-root-user --mount \
      sh -c 'mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc' >/dev/null 2>&1
}

# pick_arch SCRIPT [--arch x86|x64] [args...]: sets arch (x64 unless asked) and args, the
# rest. A 32-bit architecture this machine cannot run ends the script with status 2.
pick_arch() {
  local script=$1; shift
  arch=x64
  case ${1:-} in
    --arch) arch=${2:-}; shift 2 || shift ;;
    --arch=*) arch=${1#--arch=}; shift ;;
  esac
  args=("$@")
  case $arch in
    x64) ;;
    x86) x86_runs || { echo "$script: --arch x86 needs 32-bit programs: $(x86_cause)" >&2; exit 2; } ;;
    *) echo "$script: --arch takes x86 or x64" >&2; exit 2 ;;
  esac
}

# wine_for ARCH: the Wine loader for that architecture's programs.
wine_for() {
  if [ "$1" = x86 ]; then echo wine; else echo /usr/lib/wine/wine64; fi
}

# on_wine DIR [--quiet] PROGRAM [ARGS...]: runs a Windows program in DIR under the Wine of
# $arch (cmake/wine-run.sh). Its standard output is passed on with Unix line ends, none with
# --quiet. Wine's own messages are shown only when the program fails: then the command, its
# exit status and everything it printed.
on_wine() {
  local dir=$1 quiet= status=0 out err; shift
  [ "$1" != --quiet ] || { quiet=yes; shift; }
  out=$(mktemp) err=$(mktemp)
  (cd "$dir" && sh "$orvane_root/cmake/wine-run.sh" "$(wine_for "$arch")" "$@") \
    >"$out" 2>"$err" || status=$?
  [ -n "$quiet" ] || tr -d '\r' <"$out"
  if [ "$status" -ne 0 ]; then
    echo "Failed (exit $status) in $dir: $(wine_for "$arch") $*" >&2
    [ -z "$quiet" ] || tr -d '\r' <"$out" >&2
    cat "$err" >&2
  fi
  rm -f "$out" "$err"
  return "$status"
}

# build PRESET [cmake options...]: configures and builds build/PRESET.
build() {
  configure "$@"
  build_targets "$1"
}

# configure PRESET [cmake options...]: configures build/PRESET.
configure() {
  local preset=$1; shift
  bash scripts/setup.sh
  local runs_x86=OFF
  x86_runs && runs_x86=ON
  quietly cmake --preset "$preset" -DORVANE_RUNS_X86=$runs_x86 "$@"
}

# build_targets PRESET [targets...]: builds those targets of build/PRESET, else all.
build_targets() {
  local preset=$1; shift
  # A running wine server keeps no pipe of the build open, so the build never waits on it.
  # A 32-bit prefix is of no use where 32-bit programs do not run, nor any to arm64.
  case $preset in
    arm64*) ;;
    x86*) ! x86_runs || use_prefix "$preset" ;;
    *) use_prefix "$preset" ;;
  esac
  quietly cmake --build --preset "$preset" ${1:+--target "$@"}
}

# use_prefix PRESET: points Wine at the preset's prefix and starts its server. The server is
# 64-bit Wine's, also for a 32-bit prefix.
use_prefix() {
  export WINEPREFIX="$PWD/build/$1/wineprefix"
  case $1 in x64*) export WINEARCH=win64 ;; *) export WINEARCH=win32 ;; esac
  mkdir -p "$WINEPREFIX"
  # Exits 2 when a server already runs for this prefix.
  wineserver -p </dev/null >/dev/null 2>&1 || [ $? -eq 2 ]
}

# stop_prefix: stops the server of the prefix use_prefix chose, and forgets that prefix.
stop_prefix() {
  [ -z "${WINEPREFIX:-}" ] || wineserver -k </dev/null >/dev/null 2>&1 || true
  unset WINEPREFIX WINEARCH
}

# say_exit_crashes: a line for the Wine crashes at exit that cmake/wine-run.sh did not count
# as failures (in the file ORVANE_EXIT_CRASHES names), when there were any.
say_exit_crashes() {
  [ ! -s "${ORVANE_EXIT_CRASHES:-}" ] ||
    echo "Wine crashed at exit after every test passed (not failures): $(wc -l <"$ORVANE_EXIT_CRASHES") times"
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
