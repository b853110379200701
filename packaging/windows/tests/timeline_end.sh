#!/usr/bin/env bash
# oske.exe under Wine ends by itself, status 0, when its timeline is over (shortened to two
# seconds through the test hook).
source "$(dirname "$0")/wine_env.sh"

export OSKE_TEST_TRACE=trace.txt OSKE_TEST_LAST_FRAME_MS=2000
status=0
oske_wine_run 120 oske oske.exe || status=$?
[[ $status == 0 ]] || oske_fail "status $status (124: it did not end): $(cat "$work/oske.out")"
grep -q '^ended' trace.txt || oske_fail "no orderly shut-down: $(cat trace.txt)"
echo "oske.exe ended by itself: $(grep '^frames' trace.txt)"
