#!/usr/bin/env bash
# Fuzzes the portable key-path rules for SECONDS (default 60) against the oracle, starting
# from the seed corpus in tests/fuzz. Exits non-zero on a finding, naming the file that holds
# the input, or when the run did not reach every outcome of the rules.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
work=build/native/fuzz
fuzzer=build/native/tests/fuzz/keypath_fuzzer

bash scripts/setup.sh
mkdir -p build/native
if ! { cmake --preset native && cmake --build --preset native --target keypath_fuzzer; } \
     >build/native/fuzz-build.log 2>&1; then
  cat build/native/fuzz-build.log >&2; exit 1
fi

rm -rf "$work" && mkdir -p "$work/corpus" "$work/findings"
log=$work/fuzz.log
# New inputs go to the first folder; the repository's corpus is only read.
status=0
ORVANE_FUZZ_COUNT_OUTCOMES=1 "$fuzzer" \
  -max_total_time="$seconds" -max_len=4096 -timeout=10 -print_final_stats=1 \
  -dict=tests/fuzz/keypath.dict -artifact_prefix="$work/findings/" \
  "$work/corpus" tests/fuzz/corpus >"$log" 2>&1 || status=$?

grep '^outcomes:' "$log" || true
finding=$(find "$work/findings" -type f | head -n 1)
if [ -n "$finding" ]; then
  grep -E '^path |ERROR|runtime error|SUMMARY' "$log" | head -n 20 >&2 || true
  echo "fuzz: finding in $finding (replay: $fuzzer $finding; log: $log)" >&2
  exit 1
fi
if [ "$status" -ne 0 ]; then
  tail -n 20 "$log" >&2
  echo "fuzz: the run failed (exit $status; log: $log)" >&2
  exit 1
fi
runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
echo "fuzz: $runs inputs in $seconds s ($rate/s), no finding"
