#!/usr/bin/env bash
# Line and branch coverage of the production code. The portable rules (Core/) natively, through
# clang's source-based coverage over the native suite; every .cpp linked into the DLL through
# mingw's gcov over the whole suite of one architecture under Wine, which writes the counters
# through its Z: drive. The two tools count branches differently, so their figures stay
# apart. A production file without counters counts as 0%. Fails below core lines 99.5% or
# product lines 95%.
# Usage: coverage.sh [--arch x64|x86]; the 64-bit build unless asked.
source "$(dirname "$0")/common.sh"
pick_arch coverage.sh "$@"
echo "Measuring through the $arch build (build/$arch-coverage)"

trap 'stop_prefix; stop_display' EXIT
bash scripts/setup.sh
status=0

# percent COVERED TOTAL
percent() { awk -v c="$1" -v t="$2" 'BEGIN { printf "%.1f%%", t ? 100 * c / t : 100 }'; }
row() { printf '  %-34s lines %4s/%-4s %7s   branches %4s/%-4s %7s\n' "$1" "$2" "$3" "$(percent "$2" "$3")" "$4" "$5" "$(percent "$4" "$5")"; }

# -- The portable rules, natively.
native=build/native-coverage
quietly cmake --preset native-coverage
quietly cmake --build --preset native-coverage
rm -rf "$native/profiles"
LLVM_PROFILE_FILE="$PWD/$native/profiles/%p.profraw" quietly ctest --test-dir "$native" -j2 ||
  { echo "the native suite failed under coverage" >&2; status=1; }
llvm-profdata merge -sparse "$native"/profiles/*.profraw -o "$native/core.profdata"
report=$(llvm-cov report "$native/tests/core/core_tests" -instr-profile="$native/core.profdata" Core/ 2>/dev/null)

echo "== core (clang source-based coverage, native suite)"
core_lines=0 core_lines_hit=0 core_branches=0 core_branches_hit=0
for source in Core/*.cpp; do
  # Columns: file, regions, missed, cover, functions, missed, cover, lines, missed, cover,
  # branches, missed, cover.
  read -r lines missed branches bmissed < <(awk -v f="$(basename "$source")" \
    '$1 == f { print $8, $9, $11, $12 }' <<<"$report") || true
  if [ -z "${lines:-}" ]; then
    # No counters: every line that is not blank or a comment counts as missed.
    lines=$(grep -cvE '^\s*(//.*)?$' "$source") missed=$lines branches=0 bmissed=0
    echo "  $source: no counter data"
  fi
  row "$source" $((lines - missed)) "$lines" $((branches - bmissed)) "$branches"
  core_lines=$((core_lines + lines)) core_lines_hit=$((core_lines_hit + lines - missed))
  core_branches=$((core_branches + branches)) core_branches_hit=$((core_branches_hit + branches - bmissed))
  lines=
done
llvm-cov show "$native/tests/core/core_tests" -instr-profile="$native/core.profdata" Core/ \
  2>/dev/null | awk -v root="$PWD/" '
  /^\/.*:$/ { file = substr($0, length(root) + 1, length($0) - length(root) - 1); next }
  /^ *[0-9]+\| *0\|/ { split($0, a, "|"); text = $0; sub(/^[^|]*\|[^|]*\|/, "", text)
    printf "  uncovered: %s:%d:%s\n", file, a[1] + 0, text }'

# -- The DLL under Wine.
cov=build/$arch-coverage
quietly cmake --preset "$arch-coverage"
use_prefix "$arch-coverage"
quietly cmake --build --preset "$arch-coverage"
stop_prefix
find "$cov" -name '*.gcda' -delete
start_display
# One process at a time: processes that run the same code write the same counter files. The
# load-cycle test runs no code the others miss, and each of its 10,000 unloads would write
# the counter files again.
quietly ctest --test-dir "$cov" -E LoadCycles -j1 --output-on-failure ||
  { echo "tests failed under coverage" >&2; status=1; }
sh cmake/wine-prefix.sh --wait "$cov/testprefixes" || true
stop_display

# The objects of the DLL, from its link map: its own, and the members it took from our
# libraries (Dir/libTARGET.a(Name.cpp.obj), whose objects are in Dir/CMakeFiles/TARGET.dir).
objects=()
while read -r object; do objects+=("$cov/$object"); done < <(
  sed -n 's/^LOAD \([A-Za-z][^ ]*\.cpp\.obj\)$/\1/p' "$cov/bin/Orvane.dll.map"
  grep -oE '^[A-Za-z][^ (]*/lib[^/ (]+\.a\([^)]+\.cpp\.obj\)' "$cov/bin/Orvane.dll.map" | sort -u |
    while IFS='(' read -r library member; do
      target=$(basename "$library" .a); target=${target#lib}
      (cd "$cov" && find "$(dirname "$library")/CMakeFiles/$target.dir" -name "${member%)}")
    done)
gcov=$([ "$arch" = x86 ] && echo i686 || echo x86_64)-w64-mingw32-gcov-win32
notes=("${objects[@]/%.obj/.gcno}")
summary=$("$gcov" -b -n "${notes[@]}" 2>/dev/null)

echo "== product (mingw gcov, $arch suite under Wine; every .cpp linked into Orvane.dll)"
product_lines=0 product_lines_hit=0 product_branches=0 product_branches_hit=0
for note in "${notes[@]}"; do
  # Dir/CMakeFiles/TARGET.dir/Name.cpp.gcno was compiled from Dir/Name.cpp.
  relative=${note#$cov/}
  inner=${relative#*/CMakeFiles/*.dir/}
  source=${relative%%/CMakeFiles/*}/${inner%.gcno}
  # gcov's block for the file ends with its calls; the run's grand total follows the last.
  read -r lines lines_pct branches taken_pct < <(awk -v f="$source" '
    $0 == "File '\''" f "'\''" { on = 1; next }
    on && /^(Calls executed|No calls)/ { exit }
    on && /^Lines executed:/ { split($0, a, /[:% ]+/); l = a[5]; lp = a[3] }
    on && /^Taken at least once:/ { split($0, a, /[:% ]+/); b = a[7]; bp = a[5] }
    END { print l + 0, lp + 0, b + 0, bp + 0 }' <<<"$summary")
  hit=$(awk -v p="$lines_pct" -v n="$lines" 'BEGIN { printf "%d", p * n / 100 + 0.5 }')
  taken=$(awk -v p="$taken_pct" -v n="$branches" 'BEGIN { printf "%d", p * n / 100 + 0.5 }')
  [ -f "${note%.gcno}.gcda" ] || echo "  $source: no counter data (counts as 0%)"
  row "$source" "$hit" "$lines" "$taken" "$branches"
  product_lines=$((product_lines + lines)) product_lines_hit=$((product_lines_hit + hit))
  product_branches=$((product_branches + branches)) product_branches_hit=$((product_branches_hit + taken))
done
# Each line of a product .cpp that no test ran.
"$gcov" -t "${notes[@]}" 2>/dev/null | awk '
  /^ *-: *0:Source:/ { sub(/^ *-: *0:Source:/, ""); file = ($0 ~ /\.cpp$/ && $0 !~ /^\//) ? $0 : ""; next }
  file != "" && /^ *(#####|=====):/ { split($0, a, ":"); line = a[2] + 0; text = $0
    sub(/^[^:]*:[^:]*:/, "", text); printf "  uncovered: %s:%d:%s\n", file, line, text }'

# The figures DEVELOPING.md promises: core lines 99.5%, product lines 95%.
below() { awk -v c="$1" -v t="$2" -v least="$3" 'BEGIN { exit !(t && 100 * c / t < least) }'; }
if below "$core_lines_hit" "$core_lines" 99.5; then echo "core lines below 99.5%" >&2; status=1; fi
if below "$product_lines_hit" "$product_lines" 95; then echo "product lines below 95%" >&2; status=1; fi
echo "coverage core: lines $(percent $core_lines_hit $core_lines) branches $(percent $core_branches_hit $core_branches)"
echo "coverage product: lines $(percent $product_lines_hit $product_lines) branches $(percent $product_branches_hit $product_branches)"
exit $status
