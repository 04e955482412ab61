#!/usr/bin/env bash
# Builds every configuration and runs the whole test suite: the portable rules natively (with
# a short fuzz), then everything under Wine, headless: the tests that need a real window get an
# Xvfb display of their own. Where this machine runs no 32-bit program, the x86 build runs
# only the checks that need none, the x64 build leaves out its 32-bit steps, and the summary
# says so. ORVANE_X86=off acts as such a machine; ORVANE_REQUIRE_X86=1 makes it a failure.
source "$(dirname "$0")/common.sh"

trap 'stop_prefix; stop_display' EXIT
bash scripts/setup.sh
start_display

status=0
summary=()
passed=0 failed=0 skipped=0
# suite NAME CTEST-ARGS...: runs ctest, counts its tests and notes the outcome under NAME.
suite() {
  local name=$1 log; shift
  log=$(mktemp)
  ctest "$@" 2>&1 | tee "$log" || true
  local line skip
  line=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1)
  skip=$(grep -cE '^[[:space:]]+[0-9]+ - .* \(Skipped\)$' "$log" || true)
  rm -f "$log"
  if [ -z "$line" ]; then
    summary+=("$name: failed (ctest ran no test)"); status=1; return
  fi
  local bad total
  bad=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")
  total=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$line")
  passed=$((passed + total - bad - skip)) failed=$((failed + bad)) skipped=$((skipped + skip))
  local skips=
  [ "$skip" -eq 0 ] || skips=", $skip skipped"
  if [ "$bad" -eq 0 ]; then
    summary+=("$name: passed ($((total - skip)) tests$skips)")
  else
    summary+=("$name: failed ($bad of $total tests$skips)"); status=1
  fi
}

# The portable rules on this host first: sanitized case tables and hostile paths, then a
# short fuzz. No Wine here.
echo "== native"
if quietly cmake --preset native && quietly cmake --build --preset native; then
  suite "native" --preset native -j "$(nproc)"
else
  summary+=("native: failed (build)"); status=1
fi
if bash scripts/fuzz.sh 30; then summary+=("fuzz: passed (30 s)"); else summary+=("fuzz: failed"); status=1; fi

# Whether 32-bit programs run here, asked once.
x86_runs || true
for preset in x86 x64; do
  echo "== $preset"
  # The 64-bit build also tests both architectures side by side, with the 32-bit DLL.
  peer=()
  [ "$preset" = x64 ] && peer=(-DORVANE_PEER_BIN="$PWD/build/x86/bin")
  if ! build "$preset" -DBUILD_TESTING=ON "${peer[@]}"; then
    summary+=("$preset: failed (build)"); status=1; stop_prefix; continue
  fi
  if [ "$preset" = x86 ] && ! x86_runs; then
    # Only what reads the 32-bit build's files: its imports and link map here, its resources
    # and type library from the x64 suite.
    suite "x86 checks without Wine" --preset x86
    summary+=("x86 under Wine: not run: $(x86_cause)")
    if [ "${ORVANE_REQUIRE_X86:-}" = 1 ]; then
      summary+=("x86 under Wine: required by ORVANE_REQUIRE_X86=1: failed"); status=1
    fi
    continue
  fi
  # The tests use the build's prefix no more: each runs in a copy of its own.
  stop_prefix
  suite "$preset under Wine" --preset "$preset" -j "$(nproc)"
done
x86_runs || summary+=("x64 under Wine: not run: the 32-bit steps of BothArchitectures, Installer, Package.Upgrade and Package.Client: $(x86_cause)")

echo
echo "== summary"
printf '%s\n' "${summary[@]}"
echo "tests: $passed passed, $failed failed, $skipped skipped"
exit $status
