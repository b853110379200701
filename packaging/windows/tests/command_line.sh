#!/usr/bin/env bash
# oske.exe and oske-capture.exe answer --help and --version on standard output with status 0,
# and refuse a stray argument on standard error with status 2, without opening a window.
source "$(dirname "$0")/wine_env.sh"

expect_answer() { # NAME STATUS STREAM TEXT PROGRAM [ARGS...]
    local name=$1 want=$2 stream=$3 text=$4 status=0
    shift 4
    oske_wine_run 60 "$name" "$@" || status=$?
    [[ $status == "$want" ]] || oske_fail "$* ended with status $status, not $want"
    grep -q -- "$text" "$work/$name.$stream" ||
        oske_fail "$* printed no \"$text\" on std$stream: $(cat "$work/$name.out" "$work/$name.err")"
    echo "$*: status $status, \"$(grep -m1 -- "$text" "$work/$name.$stream" | tr -d '\r')\""
}

expect_answer help 0 out 'Usage: oske ' oske.exe --help
grep -q 'music.xm' "$work/help.out" || oske_fail "--help names no soundtrack"
expect_answer version 0 out '^oske (OSKE by Quorvent) ' oske.exe --version
expect_answer bogus 2 err "unknown option '--bogus'" oske.exe --bogus
expect_answer capture_version 0 out '^oske-capture (OSKE by Quorvent) ' oske-capture.exe --version
if timeout 5 xdotool search --onlyvisible --name '^Quorvent::OSKE$' >/dev/null 2>&1; then
    oske_fail "a window was opened for the command line"
fi

