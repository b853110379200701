#!/usr/bin/env bash
# oske.exe under Wine: starts, presents frames whose picture reaches the screen, and ends with
# status 0 on "q".    start_quit.sh FRAME_DIFF
frame_diff=$1
source "$(dirname "$0")/wine_env.sh"

export OSKE_TEST_TRACE=trace.txt
oske_wine_start 180 oske oske.exe
oske_wait_for 120 grep -qs '^running' trace.txt ||
    oske_fail "no frame presented within 120 s; $(cat "$work/oske.out" "$work/oske.err")"
window=$(timeout 30 xdotool search --sync --onlyvisible --name '^Quorvent::OSKE$' | head -n1) ||
    oske_fail "no window named Quorvent::OSKE"
# The first seconds are the bare background; then the tiles stream in, in many colours.
window_drawn() {
    xwd -id "$window" -silent >"$work/shot.xwd" && "$frame_diff" drawn "$work/shot.xwd" 64
}
oske_wait_for 60 window_drawn >"$work/shots.log" ||
    oske_fail "the window shows no drawn picture: $(tail -n1 "$work/shots.log")"
tail -n1 "$work/shots.log"

xdotool windowfocus --sync "$window"
xdotool key q
status=0
oske_wine_wait || status=$?
[[ $status == 0 ]] || oske_fail "oske.exe ended with status $status after q (124: it did not end)"
grep -q '^ended' trace.txt || oske_fail "no orderly shut-down: $(cat trace.txt)"
echo "oske.exe drew and quit on q with status 0"
