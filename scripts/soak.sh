#!/usr/bin/env bash
# Runs the Wine suites RUNS times (default 5), without retries, to find the tests that fail
# now and then: usage soak.sh [RUNS]. Builds both presets first; each run tests x86 and x64
# side by side, as the test command does (x64 alone where 32-bit programs do not run), with
# Wine's heap checking unless ORVANE_WINEDEBUG says otherwise. Prints each test that failed
# and how often, then "soak: R runs, F failures, slowest run S s"; exits 1 when F > 0. The
# runs' ctest logs stay in build/soak, and a failed test's Wine prefix in its testprefixes.
source "$(dirname "$0")/common.sh"
runs=${1:-5}
[[ $runs =~ ^[1-9][0-9]*$ ]] || { echo "usage: soak.sh [RUNS]" >&2; exit 2; }
export ORVANE_WINEDEBUG=${ORVANE_WINEDEBUG-warn+heap}

work=$PWD/build/soak
rm -rf "$work" && mkdir -p "$work"
export ORVANE_EXIT_CRASHES=$work/exit-crashes
: >"$ORVANE_EXIT_CRASHES"
trap 'stop_prefix; stop_display' EXIT
bash scripts/setup.sh
start_display
build x86 -DBUILD_TESTING=ON
stop_prefix
build x64 -DBUILD_TESTING=ON -DORVANE_PEER_BIN="$PWD/build/x86/bin"
stop_prefix
presets=(x64)
! x86_runs || presets=(x86 x64)

# soak_suite PRESET RUN: the preset's tests once; the failed ones' names in $work/failed.
soak_suite() {
  local log=$work/$1.$2.log
  ctest --preset "$1" -j "$(nproc)" --timeout 300 >"$log" 2>&1 || true
  sh cmake/wine-prefix.sh --wait "build/$1/testprefixes" || true
  grep -q '^[0-9]*% tests passed' "$log" || echo "$1: ctest ran no test" >>"$work/failed"
  sed -n '/^The following tests FAILED:/,$ s/^[[:space:]]*[0-9]* - \(.*\) ([^)]*)$/\1/p' "$log" |
    sed "s/^/$1: /" >>"$work/failed"
}

touch "$work/failed"
slowest=0
for run in $(seq "$runs"); do
  start=$(date +%s)
  before=$(wc -l <"$work/failed")
  suites=()
  for preset in "${presets[@]}"; do
    soak_suite "$preset" "$run" &
    suites+=($!)
  done
  wait "${suites[@]}"
  seconds=$(($(date +%s) - start))
  [ "$seconds" -le "$slowest" ] || slowest=$seconds
  echo "run $run: $(($(wc -l <"$work/failed") - before)) failed, $seconds s"
done

failures=$(wc -l <"$work/failed")
sort "$work/failed" | uniq -c | sort -rn | awk '{n = $1; $1 = ""; printf "%s: failed %d of '"$runs"'\n", substr($0, 2), n}'
say_exit_crashes
sed 's/^/  /' "$ORVANE_EXIT_CRASHES"
echo "soak: $runs runs, $failures failures, slowest run $slowest s"
[ "$failures" -eq 0 ]
