#!/usr/bin/env bash
# Builds every configuration and runs the whole test suite: the portable rules natively (with
# a short fuzz) and everything under Wine, headless: the tests that need a real window get an
# Xvfb display of their own. Every test runs once, each Wine test in a prefix of its own, and
# the parts side by side: each suite starts as soon as what it tests is built, beside the
# builds still running. The x64 build by LLVM is the DLL alone; the x64 build's programs run
# the tests that load the DLL against it too. The arm64 DLL is built, checked from outside
# and, where the kernel allows, run under Debian's arm64 Wine through qemu-user (its tree
# made beside the builds by scripts/arm64-root.sh).
# Each part ends with a line of the summary saying what ran, how long it took and how long
# its build took; a part that ends without its line (ended from outside, say) fails the run.
# Where this machine runs no 32-bit program, the x86 build runs only the checks that need
# none, the x64 build leaves out its 32-bit steps, and the summary says so. ORVANE_X86=off
# acts as such a machine; ORVANE_REQUIRE_X86=1 makes it a failure.
source "$(dirname "$0")/common.sh"
source scripts/parts.sh

trap 'stop_prefix; stop_display; rm -rf "$results"' EXIT
results=$(mktemp -d)
# Wine's heap fills freed blocks and checks itself: a use after free fails at once.
export ORVANE_WINEDEBUG=${ORVANE_WINEDEBUG-warn+heap}
# Wine's crashes at exit after a test program passed (cmake/wine-run.sh), counted.
export ORVANE_EXIT_CRASHES=$results/exit-crashes
bash scripts/setup.sh
start_display
# Whether 32-bit programs run here, asked once.
x86_runs || true
jobs_beside=()

# One booted Wine prefix per architecture, which every build's prefixes copy (also in the
# package tests' copy of the sources) rather than boot their own: cmake/wine-new-prefix.sh.
export ORVANE_PRISTINE_PREFIXES=$PWD/build/prefixes
# pristine ARCH LOADER: boots ARCH's beside what follows; removed when that fails.
pristine() {
  local dir=$ORVANE_PRISTINE_PREFIXES/$1
  rm -rf "$dir" && mkdir -p "$dir"
  { ORVANE_PRISTINE_PREFIXES= sh cmake/wine-new-prefix.sh --stop "$dir" "$1" "$2" &&
      touch "$dir/.orvane-ready"; } >"$results/prefix-$1.log" 2>&1 ||
    { cat "$results/prefix-$1.log"; rm -rf "$dir"; } &
}
pristine win64 /usr/lib/wine/wine64
! x86_runs || pristine win32 wine

# The portable rules on this host: sanitized case tables and hostile paths, then a short
# fuzz. No Wine here.
native() {
  echo "== native"
  local start; start=$(date +%s)
  if quietly cmake --preset native && quietly cmake --build --preset native; then
    built native "$start"
    suite native.1 -- --preset native -j "$(nproc)"
    finish 10 native native
  else
    note 10 "native: failed (build, $(since "$start"))" failed
  fi
  start=$(date +%s)
  if bash scripts/fuzz.sh 30; then
    note 20 "fuzz: passed (30 s) in $(since "$start")"
  else
    note 20 "fuzz: failed in $(since "$start")" failed
  fi
}
expect 10 native
expect 20 fuzz
native >"$results/native.log" 2>&1 &
jobs_beside+=($!)

# The package tests' second build of the release, from a copy of the sources (the x64 build's
# package-tests/sources): it needs none of the builds, so it starts now, beside them, and
# Package.Reproducible takes it (tests/scripts/PackageCopy.cmake).
package_copy() {
  local work=$PWD/build/x64/package-tests epoch
  epoch=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || true)}
  rm -rf "$work" && mkdir -p "$work"
  env -u DISPLAY cmake -DSOURCE="$PWD" -DCOPY="$work/sources" -DEPOCH="$epoch" \
    -DSTATUS="$work/sources.status" -P tests/scripts/PackageCopy.cmake
}
package_copy >"$results/package-copy.log" 2>&1 &
package_copy_job=$!

# Debian's arm64 Wine, unpacked into build/arm64-root beside the builds, where arm64 programs
# can run here; the arm64 build waits for it.
arm64_tree() {
  if ! arm64_runs; then
    echo "no binfmt_misc of its own can be mounted in a user namespace here (Linux 6.7 or later, not in a chroot)"
  elif ! quietly bash scripts/arm64-root.sh; then
    echo "failed: scripts/arm64-root.sh could not make the arm64 Wine tree"
  fi
}
arm64_tree >"$results/arm64-tree" 2>"$results/arm64-tree.log" &
arm64_tree_job=$!

# The x86 and x64 DLLs by LLVM, hardened, with no C runtime: the DLLs the release ships, built
# beside the rest. Their tests are their trees' own (the file's checks, symbols, a smashed
# stack) and the LLVM.* ones of the GCC build of each architecture (ORVANE_OTHER_DLLS), which
# start once both are built.
# llvm_dll PRESET PART KEY NAME: builds one of them; a failed build is the part's line.
llvm_dll() {
  local start
  echo "== $4"
  start=$(date +%s)
  if build "$1" -DBUILD_TESTING=ON; then
    built "$2" "$start"
  else
    note "$3" "$4: failed (build, $(since "$start"))" failed
  fi
  stop_prefix
}
llvm_build() {
  llvm_dll x86-llvm llvm86 51 "x86 (LLVM)"
  llvm_dll x64-llvm llvm 50 "x64 (LLVM)"
}
expect 50 "x64 (LLVM) under Wine"
expect 51 "x86 (LLVM) under Wine"
llvm_build >"$results/llvm-build.log" 2>&1 &
llvm_build_job=$!

# What the release is made of first, in both builds (and the x64 tests' prefix template), so
# that the package tests and the arm64 build can start; the test programs after.
echo "== x86"
x86_start=$(date +%s)
expect 30 "x86 under Wine"
x86_built=yes
{ configure x86 -DBUILD_TESTING=ON -DORVANE_OTHER_DLLS="LLVM=$PWD/build/x86-llvm/bin" &&
  build_targets x86 $(release_targets x86); } || x86_built=
stop_prefix
built x86 "$x86_start"

# The 64-bit build also tests both architectures side by side, with the 32-bit DLL, and
# packages all three.
echo "== x64"
x64_start=$(date +%s)
expect 40 "x64 under Wine"
x64_built=
# The release takes LLVM's DLLs.
wait "$llvm_build_job" || true
if [ -n "$x86_built" ] && [ -f "$results/llvm.built" ] && [ -f "$results/llvm86.built" ] &&
   configure x64 -DBUILD_TESTING=ON -DORVANE_PEER_BIN="$PWD/build/x86/bin" \
     -DORVANE_ARM64_BUILD="$PWD/build/arm64" -DORVANE_OTHER_DLLS="LLVM=$PWD/build/x64-llvm/bin" \
     -DORVANE_SHIPPED_X86="$PWD/build/x86-llvm" -DORVANE_SHIPPED_X64="$PWD/build/x64-llvm" &&
   build_targets x64 $(release_targets x64) wine_test_template; then
  x64_built=yes
fi
stop_prefix
built x64 "$x64_start"

# The arm64 DLL, with the x64 build's type library, checked from outside and, where
# scripts/arm64-root.sh unpacked an arm64 Wine, run under it; the x64 build packages it. Its
# configuration looks for that tree.
expect 45 arm64
wait "$arm64_tree_job" || echo "failed: scripts/arm64-root.sh ended with $?" >"$results/arm64-tree"
arm64_start=$(date +%s)
arm64_built=
if [ -n "$x64_built" ] && build arm64 -DBUILD_TESTING=ON; then
  arm64_built=yes
  built arm64 "$arm64_start"
  arm64_suite >"$results/arm64.log" 2>&1 &
  jobs_beside+=($!)
else
  note 45 "arm64: failed (build, $(since "$arm64_start"))" failed
fi

# The package tests take turns on the copy of the sources built above, and build it twice
# more: they start once it is built, beside the builds of the test programs.
if [ -n "$x64_built" ]; then
  { while kill -0 "$package_copy_job" 2>/dev/null; do sleep 1; done
    suite x64.1 -- --test-dir build/x64 -R '^Package\.' -j "$(nproc)"; } >"$results/package.log" 2>&1 &
  package_job=$!
fi

# The test programs of both builds, then their suites.
# build_rest PRESET: the rest of PRESET's build (its test programs), added to its build time.
build_rest() {
  local start status=0
  start=$(date +%s)
  build_targets "$1" || status=1
  stop_prefix
  built "$1" "$start"
  return "$status"
}
[ -z "$x86_built" ] || build_rest x86 || x86_built=
if [ -z "$x86_built" ]; then
  note 30 "x86: failed (build, $(since_built x86))" failed
elif ! x86_runs; then
  # Only what reads the 32-bit build's files: its imports and link map here, its resources
  # and type library from the x64 suite.
  suite x86.1 -- --preset x86
  finish 30 x86 "x86 checks without Wine"
  [ ! -f "$results/llvm86.built" ] || {
    suite llvm86.1 -- --test-dir build/x86-llvm
    finish 51 llvm86 "x86 (LLVM) checks without Wine"
  }
  note 31 "x86 under Wine: not run: $(x86_cause)"
  if [ "${ORVANE_REQUIRE_X86:-}" = 1 ]; then
    note 32 "x86 under Wine: required by ORVANE_REQUIRE_X86=1: failed" failed
  fi
  note 41 "x64 under Wine: not run: the 32-bit steps of BothArchitectures, Installer, Package.Upgrade and Package.Client: $(x86_cause)"
else
  (wine_suite x86.1 x86 --preset x86 -E '^LLVM\.' -j "$(nproc)"; finish 30 x86 "x86 under Wine"
   if [ -f "$results/llvm86.built" ]; then
     echo "== x86 (LLVM) under Wine"
     suite llvm86.1 -- --test-dir build/x86-llvm
     wine_suite llvm86.2 x86 --preset x86 -R '^LLVM\.' -j "$(nproc)"
     finish 51 llvm86 "x86 (LLVM) under Wine"
   fi) >"$results/x86.log" 2>&1 &
  jobs_beside+=($!)
fi

[ -z "$x64_built" ] || build_rest x64 || x64_built=
if [ -n "$x64_built" ]; then
  # Both suites of this build read its test list: found once, before they start.
  quietly ctest --test-dir build/x64 -N
  if [ -f "$results/llvm.built" ]; then
    (echo "== x64 (LLVM) under Wine"
     suite llvm.1 -- --test-dir build/x64-llvm
     wine_suite llvm.2 x64 --test-dir build/x64 -R '^LLVM\.' -j "$(nproc)"
     finish 50 llvm "x64 (LLVM) under Wine") >"$results/llvm.log" 2>&1 &
    jobs_beside+=($!)
  fi
  wine_suite x64.2 x64 --test-dir build/x64 -E '^(Package|LLVM)\.' -j "$(nproc)"
fi
if [ -n "${package_job:-}" ]; then
  wait "$package_job" || true
  cat "$results/package.log"
fi
if [ -z "$x64_built" ]; then
  note 40 "x64: failed (build, $(since_built x64))" failed
  [ ! -f "$results/llvm.built" ] || note 50 "x64 (LLVM) under Wine: not run: the x64 build failed" failed
else
  sh cmake/wine-prefix.sh --wait build/x64/testprefixes || true
  finish 40 x64 "x64 under Wine"
fi

wait "${jobs_beside[@]}"
wait "$package_copy_job" || true
for log in native x86 arm64 llvm-build llvm package-copy; do
  [ ! -f "$results/$log.log" ] || cat "$results/$log.log"
done
summary
