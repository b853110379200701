#!/usr/bin/env bash
# oske-capture.exe --wav under Wine writes the very bytes the Linux oske-capture writes.
#   capture_wav.sh LINUX_CAPTURE LINUX_MUSIC
linux_capture=$1 linux_music=$2
source "$(dirname "$0")/wine_env.sh"

status=0
oske_wine_run 600 capture oske-capture.exe --wav music.wav --quiet || status=$?
[[ $status == 0 ]] || oske_fail "oske-capture.exe status $status: $(cat "$work/capture.err")"
"$linux_capture" --music "$linux_music" --wav "$work/linux.wav" --quiet >"$work/linux.out" 2>&1 ||
    oske_fail "Linux oske-capture failed: $(cat "$work/linux.out")"
cmp music.wav "$work/linux.wav" || oske_fail "the soundtracks differ"
echo "music.wav: $(stat -c %s music.wav) bytes, identical to Linux"
