#!/usr/bin/env bash
# Builds every configuration and runs the whole test suite: the portable rules natively (with
# a short fuzz) and everything under Wine, headless: the tests that need a real window get an
# Xvfb display of their own. Every test runs once, each Wine test in a prefix of its own, and
# side by side: the native part beside the Wine builds, the x86 suite and the x64 build by LLVM
# with its suite beside the x64 build. The arm64 DLL is built, checked from outside and, where
# the kernel allows, run under Debian's arm64 Wine through qemu-user (its tree made beside the
# builds by scripts/arm64-root.sh).
# Where this machine runs no 32-bit program, the x86 build runs only the checks that need
# none, the x64 build leaves out its 32-bit steps, and the summary says so. ORVANE_X86=off
# acts as such a machine; ORVANE_REQUIRE_X86=1 makes it a failure.
source "$(dirname "$0")/common.sh"

trap 'stop_prefix; stop_display; rm -rf "$results"' EXIT
results=$(mktemp -d)
# Wine's heap fills freed blocks and checks itself: a use after free fails at once.
export ORVANE_WINEDEBUG=${ORVANE_WINEDEBUG-warn+heap}
# Wine's crashes at exit after a test program passed (cmake/wine-run.sh), counted.
export ORVANE_EXIT_CRASHES=$results/exit-crashes
bash scripts/setup.sh
start_display

# Each step leaves its lines of the summary in $results, named to sort in the summary's
# order, so that steps can run side by side.
# note KEY TEXT [failed]: a line of the summary.
note() {
  echo "$2" >"$results/$1.line"
  [ "${3:-}" != failed ] || touch "$results/failed"
}
# suite KEY NAME CTEST-ARGS...: runs ctest, counts its tests and notes the outcome.
suite() {
  local key=$1 name=$2 log; shift 2
  log=$(mktemp)
  ctest --timeout 300 "$@" 2>&1 | tee "$log" || true
  local line skip
  line=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1)
  skip=$(grep -cE '^[[:space:]]+[0-9]+ - .* \(Skipped\)$' "$log" || true)
  rm -f "$log"
  if [ -z "$line" ]; then
    note "$key" "$name: failed (ctest ran no test)" failed; return
  fi
  local bad total
  bad=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")
  total=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$line")
  echo "$((total - bad - skip)) $bad $skip" >"$results/$key.counts"
  local skips=
  [ "$skip" -eq 0 ] || skips=", $skip skipped"
  if [ "$bad" -eq 0 ]; then
    note "$key" "$name: passed ($((total - skip)) tests$skips)"
  else
    note "$key" "$name: failed ($bad of $total tests$skips)" failed
  fi
}

# The portable rules on this host: sanitized case tables and hostile paths, then a short
# fuzz. No Wine here; it runs beside the Wine builds, its output shown at the end.
native() {
  echo "== native"
  if quietly cmake --preset native && quietly cmake --build --preset native; then
    suite 10 "native" --preset native -j "$(nproc)"
  else
    note 10 "native: failed (build)" failed
  fi
  if bash scripts/fuzz.sh 30; then note 20 "fuzz: passed (30 s)"; else note 20 "fuzz: failed" failed; fi
}
native >"$results/native.log" 2>&1 &
jobs_beside=($!)

# Every Wine test runs in a prefix of its own, so the x86 suite runs beside the x64 build.
# wine_suite KEY PRESET: the preset's Wine tests, then the end of their prefixes.
wine_suite() {
  suite "$1" "$2 under Wine" --preset "$2" -j "$(nproc)"
  sh cmake/wine-prefix.sh --wait "build/$2/testprefixes" || true
}

# The x64 build by LLVM, with no C runtime in its DLL, and the same tests beside the GCC builds.
llvm_suite() {
  echo "== x64 (LLVM)"
  if build x64-llvm -DBUILD_TESTING=ON; then
    stop_prefix
    suite 50 "x64 (LLVM) under Wine" --preset x64-llvm -j "$(nproc)"
    sh cmake/wine-prefix.sh --wait build/x64-llvm/testprefixes || true
  else
    stop_prefix
    note 50 "x64 (LLVM): failed (build)" failed
  fi
}
llvm_suite >"$results/llvm.log" 2>&1 &
jobs_beside+=($!)

# Debian's arm64 Wine, unpacked into build/arm64-root beside the builds, where arm64 programs
# can run here; the arm64 build's configuration waits for it.
arm64_tree() {
  if ! arm64_runs; then
    echo "no binfmt_misc of its own can be mounted in a user namespace here (Linux 6.7 or later, not in a chroot)"
  elif ! quietly bash scripts/arm64-root.sh; then
    echo "failed: scripts/arm64-root.sh could not make the arm64 Wine tree"
  fi
}
arm64_tree >"$results/arm64-tree" 2>"$results/arm64-tree.log" &
arm64_tree_job=$!

# Whether 32-bit programs run here, asked once.
x86_runs || true
echo "== x86"
# Each build leaves its own prefix's server running; the tests do not use it.
built=yes
build x86 -DBUILD_TESTING=ON || built=
stop_prefix
if [ -z "$built" ]; then
  note 30 "x86: failed (build)" failed
elif ! x86_runs; then
  # Only what reads the 32-bit build's files: its imports and link map here, its resources
  # and type library from the x64 suite.
  suite 30 "x86 checks without Wine" --preset x86
  note 31 "x86 under Wine: not run: $(x86_cause)"
  if [ "${ORVANE_REQUIRE_X86:-}" = 1 ]; then
    note 32 "x86 under Wine: required by ORVANE_REQUIRE_X86=1: failed" failed
  fi
  note 41 "x64 under Wine: not run: the 32-bit steps of BothArchitectures, Installer, Package.Upgrade and Package.Client: $(x86_cause)"
else
  wine_suite 30 x86 >"$results/x86.log" 2>&1 &
  jobs_beside+=($!)
fi

# The 64-bit build also tests both architectures side by side, with the 32-bit DLL.
echo "== x64"
built=yes
build x64 -DBUILD_TESTING=ON -DORVANE_PEER_BIN="$PWD/build/x86/bin" \
  -DORVANE_ARM64_BUILD="$PWD/build/arm64" || built=
stop_prefix
# The arm64 DLL, with the x64 build's type library, checked from outside and, where
# scripts/arm64-root.sh unpacked an arm64 Wine, run under it; the x64 suite packages it.
arm64_suite() {
  if [ -x build/arm64-root/usr/lib/wine/wine64 ]; then
    suite 45 "arm64 checks, and under arm64 Wine through qemu-user" --preset arm64
  else
    suite 45 "arm64 checks without running it" --preset arm64
    local why; why=$(head -n 1 "$results/arm64-tree")
    case $why in
      failed:*) cat "$results/arm64-tree.log"; note 46 "arm64 under Wine: $why" failed ;;
      *) note 46 "arm64 under Wine: not run: $why" ;;
    esac
  fi
}
wait "$arm64_tree_job" || true
if [ -n "$built" ] && build arm64 -DBUILD_TESTING=ON; then
  arm64_suite >"$results/arm64.log" 2>&1 &
  jobs_beside+=($!)
else
  note 45 "arm64: failed (build)" failed
fi
if [ -n "$built" ]; then
  wine_suite 40 x64
else
  note 40 "x64: failed (build)" failed
fi

wait "${jobs_beside[@]}"
for log in native x86 arm64 llvm; do
  [ ! -f "$results/$log.log" ] || cat "$results/$log.log"
done

echo
echo "== summary"
cat "$results"/*.line
read -r passed failed skipped < <(cat "$results"/*.counts 2>/dev/null |
  awk '{p += $1; f += $2; s += $3} END {print p + 0, f + 0, s + 0}')
say_exit_crashes
echo "tests: $passed passed, $failed failed, $skipped skipped"
[ ! -f "$results/failed" ]
