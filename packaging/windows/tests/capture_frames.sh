#!/usr/bin/env bash
# oske-capture.exe under Wine draws one frame in each scene as the Linux oske-capture does: the
# same pixels but for the few that the two C runtimes' last-bit differences in sinf/cosf move.
#   capture_frames.sh LINUX_CAPTURE LINUX_MUSIC FRAME_DIFF MAX_PIXELS MAX_CHANNEL
linux_capture=$1 linux_music=$2 frame_diff=$3 max_pixels=$4 max_channel=$5
source "$(dirname "$0")/wine_env.sh"

# The capture pins Mesa's llvmpipe to SSE4.1 through its environment; under Wine, Mesa is a
# Linux library that reads the Linux environment, so the pin is given from here.
export GALLIUM_OVERRIDE_CPU_CAPS=sse4.1
times=12000,30000,50000,69000,90000,112000,132000,151000,170000,190000
status=0
oske_wine_run 600 capture oske-capture.exe --frames $times --out frames --quiet || status=$?
[[ $status == 0 ]] || oske_fail "oske-capture.exe status $status: $(cat "$work/capture.err")"
SDL_VIDEODRIVER=offscreen LIBGL_ALWAYS_SOFTWARE=1 \
    "$linux_capture" --music "$linux_music" --frames $times --out "$work/linux" --quiet >"$work/linux.out" 2>&1 ||
    oske_fail "Linux oske-capture failed: $(cat "$work/linux.out")"

failed=0
for t in ${times//,/ }; do
    name=$(printf 'frame_%06d.png' "$t")
    [[ -f frames/$name ]] || oske_fail "oske-capture.exe wrote no $name"
    if cmp -s "frames/$name" "$work/linux/$name"; then
        echo "frames/$name: identical"
    else
        "$frame_diff" compare "$work/linux/$name" "frames/$name" "$max_pixels" "$max_channel" ||
            failed=1
    fi
done
((failed == 0)) || oske_fail "frames differ beyond $max_pixels pixels or $max_channel per channel"
