#!/usr/bin/env bash
# The suite's own mutation run: each fault of tests/mutants.txt planted alone in a copy of the
# tree (build/mutants/tree, never this one), the build of the copy brought up to date, the
# fault's named tests run, then that build's whole suite if they all pass; the file is put
# back before the next. Prints a table and "mutants: N caught of M".
# Usage: mutants.sh [--check] [--no-baseline] [--list FILE] [NAME...]
#   --check        only that every fault's snippet occurs exactly once in this tree (quick)
#   --no-baseline  skip the run of all named tests on the unchanged copy first
#   NAME...        only these faults
# ORVANE_MUTANTS_WHOLE=0 leaves out the whole-suite run after named tests that pass.
source "$(dirname "$0")/common.sh"
# All of it is read before any of it runs: an edit to this file during a run changes nothing.
main() {

list=tests/mutants.txt check= baseline=yes only=()
while [ $# -gt 0 ]; do
  case $1 in
    --check) check=yes ;;
    --no-baseline) baseline= ;;
    --list) list=$2; shift ;;
    -*) echo "mutants.sh: unknown option $1" >&2; exit 2 ;;
    *) only+=("$1") ;;
  esac
  shift
done

# The list: blocks of "key: value" lines, each starting at "[name]"; "find+:"/"with+:" add a
# line to the snippet or its replacement.
names=() files=() finds=() withs=() builds=() tests=() equivalents=()
parse() {
  local line key value n=-1 lineno=0
  while IFS= read -r line || [ -n "$line" ]; do
    lineno=$((lineno + 1))
    case $line in '#'* | '') continue ;; esac
    if [[ $line =~ ^\[([^]]+)\]$ ]]; then
      n=$((n + 1))
      names[n]=${BASH_REMATCH[1]} files[n]= finds[n]= withs[n]= builds[n]= tests[n]= equivalents[n]=
      continue
    fi
    if [ "$n" -lt 0 ] || [[ ! $line =~ ^([a-z+]+):\ ?(.*)$ ]]; then
      echo "$list:$lineno: not \"key: value\" in a [name] block: $line" >&2; exit 2
    fi
    key=${BASH_REMATCH[1]} value=${BASH_REMATCH[2]}
    case $key in
      file) files[n]=$value ;;
      find) finds[n]=$value ;;
      find+) finds[n]+=$'\n'$value ;;
      with) withs[n]=$value ;;
      with+) withs[n]+=$'\n'$value ;;
      build) builds[n]=$value ;;
      tests) tests[n]=$value ;;
      equivalent) equivalents[n]=$value ;;
      *) echo "$list:$lineno: unknown key $key" >&2; exit 2 ;;
    esac
  done <"$list"
}
parse

# occurrences FILE SNIPPET: how often the snippet occurs in the file.
occurrences() {
  local text rest
  [ -f "$1" ] || { echo 0; return; }
  IFS= read -r -d '' text <"$1" || true
  rest=${text//"$2"/}
  echo $(((${#text} - ${#rest}) / ${#2}))
}

# problem I: what is wrong with fault I's entry in this tree, if anything.
problem() {
  local i=$1 count
  [ -n "${files[i]}" ] && [ -n "${finds[i]}" ] || { echo "no file or no find"; return; }
  [ "${finds[i]}" != "${withs[i]}" ] || { echo "the replacement is the snippet"; return; }
  case ${builds[i]} in x64 | x86 | native) ;; *) echo "build is not x64, x86 or native"; return ;; esac
  [ -n "${tests[i]}${equivalents[i]}" ] || { echo "no tests and not equivalent"; return; }
  count=$(occurrences "${files[i]}" "${finds[i]}")
  [ "$count" -eq 1 ] || echo "the snippet occurs $count times in ${files[i]}"
}

selected=()
for i in "${!names[@]}"; do
  if [ ${#only[@]} -eq 0 ] || [[ " ${only[*]} " == *" ${names[i]} "* ]]; then selected+=("$i"); fi
done
[ ${#selected[@]} -gt 0 ] || { echo "mutants.sh: no fault of $list selected" >&2; exit 2; }
declare -A seen=()
for i in "${!names[@]}"; do
  [ -z "${seen[${names[i]}]:-}" ] || { echo "$list: ${names[i]} twice" >&2; exit 2; }
  seen[${names[i]}]=1
done

if [ -n "$check" ]; then
  bad=0
  for i in "${selected[@]}"; do
    why=$(problem "$i")
    [ -z "$why" ] || { echo "error: ${names[i]}: $why"; bad=$((bad + 1)); }
  done
  equivalent=0
  for i in "${selected[@]}"; do [ -z "${equivalents[i]}" ] || equivalent=$((equivalent + 1)); done
  echo "mutants: ${#selected[@]} listed ($equivalent equivalent), $bad in error"
  [ "$bad" -eq 0 ]
  return
fi

started=$(date +%s)
copy=$orvane_root/build/mutants/tree
logs=$orvane_root/build/mutants/logs
mkdir -p "$copy" "$logs"
# One run at a time: runs side by side would plant their faults in the same copy.
lock=$orvane_root/build/mutants/run.pid
if [ -s "$lock" ] && kill -0 "$(cat "$lock")" 2>/dev/null; then
  echo "mutants.sh: run $(cat "$lock") holds build/mutants" >&2; exit 2
fi
echo $$ >"$lock"
# The copy holds this tree's files (tracked or not ignored); a file is written only when it
# differs, so that the copy's builds stay incremental.
sync_copy() {
  local file
  while IFS= read -r -d '' file; do
    [ -f "$file" ] || continue
    if ! cmp -s "$file" "$copy/$file"; then
      mkdir -p "$copy/$(dirname "$file")"
      cat "$file" >"$copy/$file"
    fi
  done < <(git ls-files -z -co --exclude-standard)
}
sync_copy

# The builds the selected faults need. x64 is built as the test command builds it, with the
# x86 build beside it (its notices, installer and package tests use that build's programs).
declare -A need=()
for i in "${selected[@]}"; do [ -n "${equivalents[i]}" ] || need[${builds[i]}]=1; done
export ORVANE_WINEDEBUG=${ORVANE_WINEDEBUG-warn+heap}
(
  cd "$copy"
  source scripts/common.sh
  # (errexit does not hold in a subshell whose status is tested)
  if [ -n "${need[x64]:-}${need[x86]:-}" ]; then
    build x86 -DBUILD_TESTING=ON || exit 1
    stop_prefix
  fi
  if [ -n "${need[x64]:-}" ]; then
    build x64 -DBUILD_TESTING=ON -DORVANE_PEER_BIN="$PWD/build/x86/bin" || exit 1
    stop_prefix
  fi
  if [ -n "${need[native]:-}" ]; then
    quietly cmake --preset native && quietly cmake --build --preset native || exit 1
  fi
) || { echo "mutants.sh: the unchanged copy does not build" >&2; exit 1; }
start_display
trap 'stop_prefix; stop_display' EXIT

# rebuild BUILD: brings the copy's build up to date, as the test command would.
rebuild() {
  (cd "$copy" && source scripts/common.sh &&
    if [ "$1" = native ]; then cmake --build --preset native
    else use_prefix "$1"; status=0; cmake --build --preset "$1" || status=$?; stop_prefix; exit $status
    fi)
}
# run_tests BUILD LOG [CTEST ARGS...]: 0 when every test passed, 1 when one failed, 2 when
# the arguments chose no test.
run_tests() {
  local build=$1 log=$2 status=0; shift 2
  ctest --test-dir "$copy/build/$build" -j "$(nproc)" --timeout 600 --output-on-failure "$@" \
    >>"$log" 2>&1 || status=1
  if tail -n 5 "$log" | grep -q '^No tests were found'; then return 2; fi
  return $status
}
# failed LOG: the tests that failed, and the first failure the log shows.
failed() {
  local names line
  names=$(sed -n 's/^[[:space:]]*[0-9]* - \([^ ]*\) (.*/\1/p' "$1" | head -n 3 | paste -sd ' ')
  line=$(grep -m 1 -E 'Failure$|error: |: Failure|CMake Error' "$1" | sed 's/^ *//' | cut -c1-120)
  echo "$names${line:+: $line}"
}

if [ -n "$baseline" ]; then
  for build in "${!need[@]}"; do
    # CMake's regular expressions take only a few groups: the tests are chosen by number.
    numbers=$(for i in "${selected[@]}"; do
                [ -n "${equivalents[i]}" ] || [ "${builds[i]}" != "$build" ] ||
                  ctest --test-dir "$copy/build/$build" -N -R "${tests[i]}" 2>/dev/null |
                    sed -n 's/^ *Test *#\([0-9]*\):.*/\1/p'
              done | sort -nu | paste -sd ,)
    : >"$logs/baseline-$build.log"
    if [ -z "$numbers" ] || ! run_tests "$build" "$logs/baseline-$build.log" -I "0,0,0,$numbers"; then
      echo "mutants.sh: without any fault, the named tests of $build fail: $(failed "$logs/baseline-$build.log")" >&2
      exit 1
    fi
    echo "baseline $build: the named tests pass ($(grep -oE '[0-9]+ tests? failed out of [0-9]+' "$logs/baseline-$build.log"))"
  done
fi

# plant I WHAT: plants fault I in the copy, rebuilds, runs its named tests (WHAT=named) or
# its build's whole suite (whole), and puts the file back. Sets result and detail.
plant() {
  local i=$1 what=$2 file=$copy/${files[i]} log=$logs/${names[i]}.log original status=0
  IFS= read -r -d '' original <"$file" || true
  printf '%s' "${original/"${finds[i]}"/"${withs[i]}"}" >"$file"
  if ! rebuild "${builds[i]}" >"$log" 2>&1; then
    result=error detail="does not build: $(grep -m 1 -E 'error:|Error' "$log" | cut -c1-120)"
  elif [ "$what" = named ]; then
    run_tests "${builds[i]}" "$log" -R "${tests[i]}" || status=$?
    case $status in
      0) result=passed detail="named tests pass: ${tests[i]}" ;;
      1) result=caught detail=$(failed "$log") ;;
      *) result=error detail="no test matches ${tests[i]}" ;;
    esac
  elif run_tests "${builds[i]}" "$log"; then
    result=SURVIVED detail="the whole ${builds[i]} suite passes"
  else
    result=caught detail="by the whole suite: $(failed "$log")"
  fi
  # Written afresh (a new time), so that the next build compiles it again.
  printf '%s' "$original" >"$file"
}

# First every fault against its named tests; then, for those that passed them, the whole
# suite of their build.
rows=() results=() pending=()
for i in "${selected[@]}"; do
  if [ -n "${equivalents[i]}" ]; then
    result=equivalent detail=${equivalents[i]}
  else
    why=$(cd "$copy" && problem "$i")
    if [ -n "$why" ]; then
      result=error detail=$why
    else
      mutant_started=$(date +%s)
      plant "$i" named
      detail="$(($(date +%s) - mutant_started)) s, $detail"
      [ "$result" != passed ] || pending+=("$i")
    fi
  fi
  results[i]=$result rows[i]=$detail
  printf '%s\t%s\t%s\t%s\n' "${names[i]}" "${builds[i]}" "$result" "$detail"
done
for i in "${pending[@]}"; do
  if [ "${ORVANE_MUTANTS_WHOLE:-1}" = 0 ]; then
    results[i]=SURVIVED
    continue
  fi
  mutant_started=$(date +%s)
  plant "$i" whole
  results[i]=$result rows[i]="$(($(date +%s) - mutant_started)) s, $detail"
  printf '%s\t%s\t%s\t%s\n' "${names[i]}" "${builds[i]}" "$result" "${rows[i]}"
done
# The copy's builds left as the tree is.
for build in "${!need[@]}"; do rebuild "$build" >"$logs/restore-$build.log" 2>&1 || true; done

echo
printf '%-36s %-6s %-10s %s\n' fault build result detail
caught=0 ran=0 errors=0 equivalent=0 survivors=()
for i in "${selected[@]}"; do
  printf '%-36s %-6s %-10s %s\n' "${names[i]}" "${builds[i]}" "${results[i]}" "${rows[i]}"
  case ${results[i]} in
    caught) caught=$((caught + 1)) ran=$((ran + 1)) ;;
    SURVIVED) survivors+=("${names[i]}") ran=$((ran + 1)) ;;
    equivalent) equivalent=$((equivalent + 1)) ;;
    *) errors=$((errors + 1)) ;;
  esac
done
echo
[ "$equivalent" -eq 0 ] || echo "equivalent (not run): $equivalent"
[ "$errors" -eq 0 ] || echo "errors (not counted): $errors"
[ ${#survivors[@]} -eq 0 ] || echo "survived: ${survivors[*]}"
[ "${ORVANE_MUTANTS_WHOLE:-1}" != 0 ] || echo "(the whole suites were not run: ORVANE_MUTANTS_WHOLE=0)"
echo "time: $(( ($(date +%s) - started) / 60 )) min $(( ($(date +%s) - started) % 60 )) s"
echo "mutants: $caught caught of $ran"
[ "$errors" -eq 0 ] && [ "$caught" -eq "$ran" ]
}
main "$@"
