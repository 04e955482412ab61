#!/bin/sh
# Runs a Windows program under Wine: wine-run.sh <wine loader> <program> [args...].
# Output goes through files, not the caller's pipes: Wine's helper processes (services,
# device drivers) inherit the standard streams and outlive the program, and a pipe they
# hold open would keep ninja or ctest waiting.
out=$(mktemp) err=$(mktemp)
"$@" </dev/null >"$out" 2>"$err"
status=$?
cat "$out"
cat "$err" >&2
rm -f "$out" "$err"
exit $status
