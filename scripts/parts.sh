# The test command's parts and their summary (scripts/test.sh sources it, after common.sh).
# Each part leaves its files in $results: KEY.part, that it started; KEY.line, its line of
# the summary, KEY sorting lines in the summary's order; PART.built, the seconds its builds
# took; PART.N.counts, what each ctest run of it passed, failed and skipped, with the run's
# start and end. A part with no line at the end fails the run.

# duration SECONDS: as "1 min 5 s".
duration() {
  if [ "$1" -ge 60 ]; then echo "$(($1 / 60)) min $(($1 % 60)) s"; else echo "$1 s"; fi
}

# since START: the time since START (seconds since the epoch).
since() {
  duration $(($(date +%s) - $1))
}

# expect KEY NAME: the part that will write the line KEY, named NAME if it writes none.
expect() {
  echo "$2" >"$results/$1.part"
}

# note KEY TEXT [failed]: a line of the summary.
note() {
  echo "$2" >"$results/$1.line"
  [ "${3:-}" != failed ] || touch "$results/failed"
}

# built PART START: adds the time since START to the part's build time.
built() {
  local before=0
  [ ! -f "$results/$1.built" ] || before=$(cat "$results/$1.built")
  echo "$((before + $(date +%s) - $2))" >"$results/$1.built"
}

# since_built PART: the part's build time.
since_built() {
  duration "$(cat "$results/$1.built" 2>/dev/null || echo 0)"
}

# release_targets PRESET: the folders of build/PRESET that make what the release is made of.
release_targets() {
  local folder
  for folder in Component examples bench notices installer; do
    [ ! -d "build/$1/$folder" ] || echo "$folder/all"
  done
}

# suite PART.N -- CTEST-ARGS...: runs ctest and counts its tests into PART.N.counts; a run
# that ends without ctest's summary (ended from outside, say) counts as none.
suite() {
  local key=$1 log start; shift 2
  log=$(mktemp)
  start=$(date +%s)
  ctest --timeout 300 --output-on-failure "$@" 2>&1 | tee "$log" || true
  local line skip
  line=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1)
  skip=$(grep -cE '^[[:space:]]+[0-9]+ - .* \(Skipped\)$' "$log" || true)
  rm -f "$log"
  if [ -z "$line" ]; then
    echo "none 0 0 $start $(date +%s)" >"$results/$key.counts"
    return
  fi
  local bad total
  bad=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")
  total=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$line")
  echo "$((total - bad - skip)) $bad $skip $start $(date +%s)" >"$results/$key.counts"
}

# wine_suite PART.N PRESET CTEST-ARGS...: a suite of Wine tests, then the end of their prefixes.
wine_suite() {
  local key=$1 preset=$2; shift 2
  suite "$key" -- "$@"
  sh cmake/wine-prefix.sh --wait "build/$preset/testprefixes" || true
}

# finish KEY PART NAME: the line KEY of the part's suites: passed, or failed with how many,
# in the time from the first suite's start to the last one's end, and its build time.
finish() {
  local key=$1 part=$2 name=$3
  local passed=0 failed=0 skipped=0 first= last=0 none=
  local p f s start end
  for counts in "$results/$part".*.counts; do
    [ -f "$counts" ] || continue
    read -r p f s start end <"$counts"
    if [ "$p" = none ]; then none=yes; else
      passed=$((passed + p)) failed=$((failed + f)) skipped=$((skipped + s))
    fi
    [ -n "$first" ] && [ "$first" -le "$start" ] || first=$start
    [ "$last" -ge "$end" ] || last=$end
  done
  local took="in $(duration $((last - ${first:-$last}))), built in $(since_built "$part")"
  local skips=
  [ "$skipped" -eq 0 ] || skips=", $skipped skipped"
  if [ -n "$none" ]; then
    note "$key" "$name: failed (a ctest run ended without its summary; $passed passed, $failed failed$skips) $took" failed
  elif [ -z "$first" ]; then
    note "$key" "$name: failed (no test ran) $took" failed
  elif [ "$failed" -eq 0 ]; then
    note "$key" "$name: passed ($passed tests$skips) $took"
  else
    note "$key" "$name: failed ($failed of $((passed + failed + skipped)) tests$skips) $took" failed
  fi
}

# arm64_suite: the arm64 checks, and the run under arm64 Wine where scripts/arm64-root.sh
# made its tree.
arm64_suite() {
  echo "== arm64"
  local why name="arm64 checks without running it"
  why=$(head -n 1 "$results/arm64-tree")
  [ ! -x build/arm64-root/usr/lib/wine/wine64 ] ||
    name="arm64 checks, and under arm64 Wine through qemu-user"
  suite arm64.1 -- --preset arm64
  finish 45 arm64 "$name"
  case $why in
    failed:*) cat "$results/arm64-tree.log"; note 46 "arm64 under Wine: $why" failed ;;
    ?*) note 46 "arm64 under Wine: not run: $why" ;;
  esac
}

# summary: the parts' lines, one for each part that ended without its own, the count of
# tests, and the status: 0 when every part ran and passed.
summary() {
  echo
  echo "== summary"
  local part key
  for part in "$results"/*.part; do
    key=$(basename "$part" .part)
    [ -f "$results/$key.line" ] ||
      note "$key" "$(cat "$part"): failed (ended without its summary line)" failed
  done
  cat "$results"/*.line
  local passed failed skipped
  read -r passed failed skipped < <(cat "$results"/*.counts 2>/dev/null |
    awk '$1 != "none" {p += $1; f += $2; s += $3} END {print p + 0, f + 0, s + 0}')
  say_exit_crashes
  echo "tests: $passed passed, $failed failed, $skipped skipped"
  [ ! -f "$results/failed" ]
}
