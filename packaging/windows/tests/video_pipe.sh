#!/usr/bin/env bash
# oske-capture.exe --video under Wine: without ffmpeg.exe it says where it must be and fails;
# with one beside it (a stand-in that counts what it is fed) every frame goes through the pipe
# and the finished file takes its name.
#   video_pipe.sh FAKE_FFMPEG_EXE
fake_ffmpeg=$(realpath "$1")
source "$(dirname "$0")/wine_env.sh"

args=(--video out.mp4 --from 0 --to 400 --fps 5 --size 64x36 --quiet)
status=0
oske_wine_run 300 none oske-capture.exe "${args[@]}" || status=$?
[[ $status == 1 ]] || oske_fail "without ffmpeg.exe: status $status, not 1"
grep -q 'ffmpeg.exe on PATH or in' "$work/none.err" ||
    oske_fail "no word of where ffmpeg.exe belongs: $(cat "$work/none.err")"
[[ ! -e out.mp4 ]] || oske_fail "a failed run left out.mp4"
echo "without ffmpeg.exe: $(tr -d '\r' <"$work/none.err")"

cp "$fake_ffmpeg" ffmpeg.exe
status=0
oske_wine_run 300 fake oske-capture.exe "${args[@]}" || status=$?
[[ $status == 0 ]] || oske_fail "with ffmpeg.exe: status $status: $(cat "$work/fake.err")"
# Three frames (0, 200 and 400 ms) of 64 x 36 RGB.
[[ $(tr -d '\r' <out.mp4) == $((3 * 64 * 36 * 3)) ]] ||
    oske_fail "ffmpeg.exe was fed $(cat out.mp4) bytes, not $((3 * 64 * 36 * 3))"
ls ./*.part >/dev/null 2>&1 && oske_fail "partial files left: $(ls ./*.part)"
echo "with ffmpeg.exe beside it: fed $((3 * 64 * 36 * 3)) bytes, out.mp4 in place"
