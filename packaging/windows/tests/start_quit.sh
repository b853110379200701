#!/usr/bin/env bash
# oske.exe under Wine: starts, presents frames whose picture reaches the screen, and ends with
# status 0 on "q".    start_quit.sh FRAME_DIFF
frame_diff=$1
source "$(dirname "$0")/wine_env.sh"

export OSKE_TEST_TRACE=trace.txt
oske_wine_start 180 oske oske.exe
oske_wait_for 120 grep -q '^running' trace.txt ||
    oske_fail "no frame presented within 120 s; $(cat "$work/oske.out" "$work/oske.err")"
window=$(timeout 30 xdotool search --sync --onlyvisible --name '^Quorvent::OSKE$' | head -n1) ||
    oske_fail "no window named Quorvent::OSKE"
# A second of frames, then what the window shows.
sleep 1
xwd -id "$window" -silent >"$work/shot.xwd"
"$frame_diff" drawn "$work/shot.xwd" 16 || oske_fail "the window shows no drawn picture"

xdotool windowfocus --sync "$window"
xdotool key q
status=0
oske_wine_wait || status=$?
[[ $status == 0 ]] || oske_fail "oske.exe ended with status $status after q (124: it did not end)"
grep -q '^ended' trace.txt || oske_fail "no orderly shut-down: $(cat trace.txt)"
echo "oske.exe drew and quit on q with status 0"
