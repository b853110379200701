#!/usr/bin/env bash
# A program that crashes under these tests' Wine set-up ends at once with a failing status: no
# debugger, no crash dialog, nothing that would hang a test until its timeout.
#   crash_fails.sh CRASH_EXE
crash_exe=$(realpath "$1")
source "$(dirname "$0")/wine_env.sh"

cp "$crash_exe" .
start=$SECONDS
status=0
oske_wine_run 60 crash "$(basename "$crash_exe")" || status=$?
((status != 0 && status != 124)) || oske_fail "a crash gave status $status"
((SECONDS - start < 30)) || oske_fail "a crash took $((SECONDS - start)) s to end"
echo "a crash ends in $((SECONDS - start)) s with status $status"
