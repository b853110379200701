# Sourced by the Wine tests: a fresh Wine prefix and a fresh Xvfb display for this test alone, a
# private copy of the unpacked release, and `wine` only ever run under a timeout with its
# output in files (Wine's services keep a pipe open for as long as they live).
#
# Needs OSKE_ZIP_DIR (the unpacked release folder). Gives oske_wine_run, oske_wine_start,
# oske_wine_wait, oske_fail; $app is the release copy (the current folder), $work the scratch.
set -euo pipefail

oske_fail() {
    echo "FAIL: $*" >&2
    exit 1
}

work=$(mktemp -d "${TMPDIR:-/tmp}/oske-wine.XXXXXX")
xvfb_pid=""
oske_cleanup() {
    # wineserver -k ends every Windows process of this prefix, then the display goes.
    timeout 30 wineserver -k >/dev/null 2>&1 || true
    [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null || true
    if [[ ${OSKE_KEEP_WINE_WORK:-} ]]; then echo "scratch kept: $work"; else rm -rf "$work"; fi
}
trap oske_cleanup EXIT

export WINEPREFIX="$work/prefix" WINEARCH=win64 WINEDEBUG=-all
# No Mono or Gecko install prompts; no debugger, whose crash dialog would hang the test.
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
export SDL_AUDIODRIVER=dummy
unset WAYLAND_DISPLAY

# Xvfb picks a free display itself and writes its number once it accepts clients.
Xvfb -displayfd 9 -screen 0 1920x1080x24 -nolisten tcp 9>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do
    [[ -s $work/display ]] && break
    sleep 0.1
done
[[ -s $work/display ]] || oske_fail "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=":$(head -n1 "$work/display")"

timeout 180 wine wineboot --init >"$work/wineboot.out" 2>"$work/wineboot.err" ||
    oske_fail "wineboot failed: $(tail -n5 "$work/wineboot.err")"

app="$work/app"
cp -r "$OSKE_ZIP_DIR" "$app"
cd "$app"

# oske_wine_run SECONDS NAME PROGRAM [ARGS...]: runs PROGRAM in $app under Wine; its output in
# $work/NAME.out and .err; returns its exit status (124 when it had to be stopped).
oske_wine_run() {
    local seconds=$1 name=$2
    shift 2
    local status=0
    timeout --kill-after=10 "$seconds" wine "$@" >"$work/$name.out" 2>"$work/$name.err" </dev/null ||
        status=$?
    return $status
}

# oske_wine_start SECONDS NAME PROGRAM [ARGS...]: the same in the background; oske_wine_wait
# then gives its exit status.
oske_wine_start() {
    local seconds=$1 name=$2
    shift 2
    timeout --kill-after=10 "$seconds" wine "$@" >"$work/$name.out" 2>"$work/$name.err" </dev/null &
    oske_wine_pid=$!
}
oske_wine_wait() {
    local status=0
    wait "$oske_wine_pid" || status=$?
    return $status
}

# oske_wait_for SECONDS COMMAND...: polls COMMAND until it succeeds; false at the deadline.
oske_wait_for() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        ((SECONDS < deadline)) || return 1
        sleep 0.2
    done
}
