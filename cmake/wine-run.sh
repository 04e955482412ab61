#!/bin/sh
# Runs a Windows program under Wine: wine-run.sh <wine loader> <program> [args...].
# Output goes through files, not the caller's pipes: Wine's helper processes (services,
# device drivers) inherit the standard streams and outlive the program, and a pipe they
# hold open would keep ninja or ctest waiting.
out=$(mktemp) err=$(mktemp)
"$@" </dev/null >"$out" 2>"$err"
status=$?
# Now and then Wine's loader cannot set up a new process's address space and gives up
# before any of the program runs; that start, and only that, is made again.
if [ $status -eq 1 ] && [ ! -s "$out" ] && grep -q "failed to map the shared user data" "$err"; then
  echo "wine-run.sh: Wine could not start $2 ($(cat "$err")); starting it again" >&2
  "$@" </dev/null >"$out" 2>"$err"
  status=$?
fi
# 32-bit Wine now and then crashes as a process exits: a thread of Wine's own, still in a
# call to the wineserver, takes a signal while libc's exit() runs, and faults in ntdll's
# Unix code. A test program that had already reported every test passed is not failed for
# that: the crash is said, and counted in the file ORVANE_EXIT_CRASHES names, if any.
if [ $status -eq 139 ] && grep -q '^\[  PASSED  \] [1-9]' "$out" && ! grep -q '^\[  FAILED  \]' "$out"; then
  echo "wine-run.sh: every test passed, then Wine crashed as the process exited" >>"$err"
  [ -z "${ORVANE_EXIT_CRASHES:-}" ] || echo "$*" >>"$ORVANE_EXIT_CRASHES"
  status=0
fi
# A GoogleTest program that ended before its summary failed, whatever its status: Wine 8 now
# and then ends a process that took an unhandled exception with status 0, once its debugger
# has printed the crash.
if [ $status -eq 0 ] && grep -q '^\[==========\] Running ' "$out" &&
   ! grep -q '^\[==========\] .* ran\.' "$out"; then
  echo "wine-run.sh: $2 ended before GoogleTest's summary" >>"$err"
  status=1
fi
cat "$out"
cat "$err" >&2
rm -f "$out" "$err"
exit $status
