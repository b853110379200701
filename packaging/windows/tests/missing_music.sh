#!/usr/bin/env bash
# oske.exe under Wine without its music.xm: says so on standard output and in a message box,
# and once the box is closed ends with status 1.
source "$(dirname "$0")/wine_env.sh"

rm music.xm
oske_wine_start 120 oske oske.exe
box=$(timeout 60 xdotool search --sync --onlyvisible --name '^OSKE$' | head -n1) ||
    oske_fail "no message box; output: $(cat "$work/oske.out")"
xdotool windowfocus --sync "$box"
xdotool key Return
status=0
oske_wine_wait || status=$?
[[ $status == 1 ]] || oske_fail "status $status, not 1 (124: it hung)"
grep -q "music.xm" "$work/oske.out" ||
    oske_fail "nothing about music.xm on standard output: $(cat "$work/oske.out")"
echo "oske.exe without music.xm: \"$(head -n1 "$work/oske.out" | tr -d '\r')\", a message box, status 1"
